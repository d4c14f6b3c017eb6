#include "media/Id3TagWriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/FileSizeLimit.h"
#include "support/OrdinaryUser.h"
#include "support/TestUtil.h"

namespace id3 = yk::id3;
using Status = id3::WriteResult::Status;
using yk::test::readBytes;
using yk::test::writeBytes;

namespace {

QByteArray noise(int size, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(gen.bounded(256));
    // Never a tag by accident.
    if (size >= id3::kTagSize)
        bytes[size - id3::kTagSize] = 'x';
    return bytes;
}

// The title in the file's ID3v1 block; none without a block, so a save
// that went elsewhere fails the test instead of crashing it.
std::optional<QString> v1Title(const QString& path)
{
    const std::optional<id3::Tag> tag = id3::readTag(path);
    return tag ? std::optional<QString>(tag->title) : std::nullopt;
}

id3::Tag sampleTag(const QString& title, quint8 genre = 17)
{
    id3::Tag tag;
    tag.title = title;
    tag.artist = QStringLiteral(u"歌手");
    tag.album = QStringLiteral("Album");
    tag.year = QStringLiteral("2026");
    tag.comment = QStringLiteral("note");
    tag.genre = genre;
    return tag;
}

// The folder's file names, to see that a failed write leaves no stray copy.
QStringList namesIn(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

class Id3WriterTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString file(const char* name, const QByteArray& bytes)
    {
        const QString p = dir.filePath(QString::fromLatin1(name));
        writeBytes(p, bytes);
        return p;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(Id3WriterTest, AFileWithoutATagGetsOneAppendedAndKeepsItsSound)
{
    const QByteArray sound = noise(5000, 1);
    const QString song = file("song.mp3", sound);
    const id3::Tag tag = sampleTag(QStringLiteral(u"夜明け"));
    ASSERT_TRUE(id3::writeTag(song, tag).ok());
    const QByteArray after = readBytes(song);
    ASSERT_EQ(after.size(), 5000 + id3::kTagSize);
    EXPECT_EQ(after.left(5000), sound);
    EXPECT_EQ(after.right(id3::kTagSize), id3::tagBlock(tag));
    EXPECT_EQ(id3::readTag(song), tag);
    EXPECT_EQ(namesIn(dir), QStringList{QStringLiteral("song.mp3")});
}

TEST_F(Id3WriterTest, ShortAndEmptyFilesAreAppendedTo)
{
    const QByteArray tiny = noise(50, 2);
    const QString shortSong = file("short.mp3", tiny);
    const QString empty = file("empty.mp3", QByteArray());
    const id3::Tag tag = sampleTag(QStringLiteral("Short"));
    ASSERT_TRUE(id3::writeTag(shortSong, tag).ok());
    ASSERT_TRUE(id3::writeTag(empty, tag).ok());
    EXPECT_EQ(readBytes(shortSong), tiny + id3::tagBlock(tag));
    EXPECT_EQ(readBytes(empty), id3::tagBlock(tag));
    EXPECT_EQ(id3::readTag(shortSong), tag);
}

TEST_F(Id3WriterTest, SavingTwiceGrowsTheFileOnceAndKeepsTheLastTag)
{
    const QByteArray sound = noise(3000, 3);
    const QString song = file("song.mp3", sound);
    ASSERT_TRUE(id3::writeTag(song, sampleTag(QStringLiteral("First"), 1)).ok());
    const id3::Tag second = sampleTag(QStringLiteral("Second"), 2);
    ASSERT_TRUE(id3::writeTag(song, second).ok());
    const QByteArray after = readBytes(song);
    EXPECT_EQ(after, sound + id3::tagBlock(second));
    EXPECT_EQ(v1Title(song), QStringLiteral("Second"));

    // A tag another program wrote is replaced the same way.
    QByteArray foreign = id3::tagBlock(sampleTag(QStringLiteral("Old")));
    foreign.replace(3, 30, QByteArray(30, '\0'));
    writeBytes(song, sound + foreign);
    ASSERT_TRUE(id3::writeTag(song, second).ok());
    EXPECT_EQ(readBytes(song), sound + id3::tagBlock(second));
}

TEST_F(Id3WriterTest, TagLettersAnywhereButTheLastBlockAreSound)
{
    // "TAG" 129 bytes from the end: the last 128 bytes are no tag, so the
    // new one goes behind them and nothing is overwritten.
    const QByteArray sound = noise(400, 4) + "TAG" + QByteArray(126, 'z');
    const QString song = file("song.mp3", sound);
    const id3::Tag tag = sampleTag(QStringLiteral("T"));
    ASSERT_TRUE(id3::writeTag(song, tag).ok());
    EXPECT_EQ(readBytes(song), sound + id3::tagBlock(tag));
}

TEST_F(Id3WriterTest, PermissionsAndLinksSurviveTheRewrite)
{
    const QString song = file("song.mp3", noise(1000, 5));
    const QFileDevice::Permissions perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(song, perms));
    ASSERT_TRUE(id3::writeTag(song, sampleTag(QStringLiteral("P"))).ok());
    EXPECT_EQ(QFileInfo(song).permissions() & QFileDevice::Permissions(0x7077), perms);

    const QString link = dir.filePath(QStringLiteral("link.mp3"));
    ASSERT_TRUE(QFile::link(song, link));
    const id3::Tag tag = sampleTag(QStringLiteral("Through the link"));
    ASSERT_TRUE(id3::writeTag(link, tag).ok());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(id3::readTag(song), tag);
    EXPECT_EQ(QFileInfo(song).size(), 1000 + id3::kTagSize);
}

TEST_F(Id3WriterTest, BlankPathMissingFileAndFolderAreRefusedWithoutCreatingAnything)
{
    EXPECT_EQ(id3::writeTag(QStringLiteral("  "), sampleTag(QStringLiteral("x"))).status, Status::NoPath);
    const QString missing = dir.filePath(QStringLiteral("gone.mp3"));
    EXPECT_EQ(id3::writeTag(missing, sampleTag(QStringLiteral("x"))).status, Status::Missing);
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(id3::writeTag(dir.path(), sampleTag(QStringLiteral("x"))).status, Status::Missing);
    EXPECT_TRUE(namesIn(dir).isEmpty());
}

TEST_F(Id3WriterTest, AReadOnlyFileIsLeftAlone)
{
    const QByteArray sound = noise(2000, 6);
    const QString song = file("song.mp3", sound);
    // The folder is open to everyone, so only the file's own bits can stop
    // the write (replacing the file through its folder would get round them).
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
    ASSERT_TRUE(QFile::setPermissions(song, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    id3::WriteResult result;
    {
        yk::test::OrdinaryUser user;
        result = id3::writeTag(song, sampleTag(QStringLiteral("x")));
    }
    EXPECT_EQ(result.status, Status::ReadOnly);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(readBytes(song), sound);
    EXPECT_EQ(namesIn(dir), QStringList{QStringLiteral("song.mp3")});
}

TEST_F(Id3WriterTest, AFolderThatTakesNoNewFileLeavesTheFileAsItWas)
{
    // The file may be written, its folder not: the new copy has nowhere to
    // go, and the old file is not touched in its place.
    const QByteArray sound = noise(2000, 7);
    const QString song = file("song.mp3", sound);
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
    ASSERT_TRUE(QFile::setPermissions(song, QFileDevice::Permissions(0x6666)));
    id3::WriteResult result;
    {
        yk::test::OrdinaryUser user;
        result = id3::writeTag(song, sampleTag(QStringLiteral("x")));
    }
    EXPECT_EQ(result.status, Status::Failed);
    EXPECT_EQ(readBytes(song), sound);
    EXPECT_EQ(namesIn(dir), QStringList{QStringLiteral("song.mp3")});
}

TEST_F(Id3WriterTest, AFullDiskLeavesTheOldFileWholeAndNoStrayCopy)
{
    const QByteArray sound = noise(4096, 8);
    const QString untagged = file("untagged.mp3", sound);
    const QByteArray taggedBytes = noise(4096, 9) + id3::tagBlock(sampleTag(QStringLiteral("Old")));
    const QString tagged = file("tagged.mp3", taggedBytes);
    {
        // Room for the file as it is, not for 128 bytes more.
        yk::test::FileSizeLimit limit(4096);
        const id3::WriteResult result = id3::writeTag(untagged, sampleTag(QStringLiteral("New")));
        EXPECT_EQ(result.status, Status::Failed);
        EXPECT_FALSE(id3::failureMessage(result).isEmpty());
        // Even a same-size replacement needs room for the new copy.
        EXPECT_EQ(id3::writeTag(tagged, sampleTag(QStringLiteral("New"))).status, Status::Failed);
    }
    EXPECT_EQ(readBytes(untagged), sound);
    EXPECT_EQ(readBytes(tagged), taggedBytes);
    EXPECT_EQ(namesIn(dir), (QStringList{QStringLiteral("tagged.mp3"), QStringLiteral("untagged.mp3")}));
    {
        // Exactly enough room: a tag replaced in place needs no more bytes.
        yk::test::FileSizeLimit limit(taggedBytes.size());
        EXPECT_TRUE(id3::writeTag(tagged, sampleTag(QStringLiteral("New"))).ok());
    }
    EXPECT_EQ(v1Title(tagged), QStringLiteral("New"));
}

TEST_F(Id3WriterTest, ABigFileIsCopiedWholeOnAWorkerThread)
{
    // Several copy rounds, with a last one that is not full.
    const QByteArray sound = noise(3 * 1024 * 1024 + 777, 10);
    const QString song = file("big.mp3", sound);
    const id3::Tag tag = sampleTag(QStringLiteral("Big"));
    QFuture<id3::WriteResult> future = id3::writeTagAsync(song, tag);
    future.waitForFinished();
    ASSERT_TRUE(future.result().ok());
    const QByteArray after = readBytes(song);
    ASSERT_EQ(after.size(), sound.size() + id3::kTagSize);
    EXPECT_EQ(QCryptographicHash::hash(after.left(sound.size()), QCryptographicHash::Sha1),
              QCryptographicHash::hash(sound, QCryptographicHash::Sha1));
    EXPECT_EQ(id3::readTag(song), tag);
}

TEST(Id3WriterMessages, EveryFailureSaysSomethingOfItsOwn)
{
    using R = id3::WriteResult;
    EXPECT_TRUE(id3::failureMessage(R{Status::Written, {}}).isEmpty());
    QStringList seen;
    for (Status s : {Status::NoPath, Status::Missing, Status::ReadOnly, Status::Failed, Status::Unsupported,
                     Status::Unreadable}) {
        const QString m = id3::failureMessage(R{s, {}});
        EXPECT_FALSE(m.isEmpty());
        EXPECT_FALSE(seen.contains(m)) << qPrintable(m);
        seen << m;
    }
}
