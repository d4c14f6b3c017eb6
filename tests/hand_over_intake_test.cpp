#include "media/HandOverIntake.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/TextFile.h"
#include "shell/HandOver.h"
#include "support/TestUtil.h"

using yk::takeHandOver;
using yk::test::writeBytes;

namespace {

class HandOverIntake : public ::testing::Test
{
protected:
    QString file() const { return m_dir.filePath(QStringLiteral("lst.tmp")); }
    bool exists() const { return QFileInfo::exists(file()); }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(HandOverIntake, NoFileIsNoHandOver)
{
    EXPECT_FALSE(takeHandOver(file()).has_value());
}

TEST_F(HandOverIntake, TakesWhatASecondStartWritesInOrderAndRemovesTheFile)
{
    const QStringList paths{QStringLiteral("/music/b side.mp3"), QStringLiteral(u"/音楽/夜明け.ogg"),
                            QStringLiteral("/music/a.mid")};
    ASSERT_TRUE(yk::writeHandOver(file(), paths));
    const std::optional<QStringList> taken = takeHandOver(file());
    ASSERT_TRUE(taken.has_value());
    EXPECT_EQ(*taken, paths);
    EXPECT_FALSE(exists());
    // Taken once only.
    EXPECT_FALSE(takeHandOver(file()).has_value());
}

TEST_F(HandOverIntake, LineRules)
{
    // Reading ends at the first empty line; a line of two quotes names
    // nothing; quotes go only where they are.
    writeBytes(file(), "\"C:\\a.mp3\"\r\n\"\"\r\nC:\\plain.wav\r\n\"C:\\half.mid\r\n\r\n\"C:\\after.mp3\"\r\n");
    const std::optional<QStringList> taken = takeHandOver(file());
    ASSERT_TRUE(taken.has_value());
    EXPECT_EQ(*taken, (QStringList{QStringLiteral("C:\\a.mp3"), QStringLiteral("C:\\plain.wav"),
                                   QStringLiteral("C:\\half.mid")}));
    EXPECT_FALSE(exists());

    // Written by a Windows copy: Shift-JIS, no final line end.
    const QString path = QStringLiteral(u"C:\\ﾐｭｰｼﾞｯｸ\\曲①.mp3");
    writeBytes(file(), yk::cp932::encode(u'"' + path + QStringLiteral("\"\r\n\"C:\\b.wav\"")));
    EXPECT_EQ(takeHandOver(file()), (QStringList{path, QStringLiteral("C:\\b.wav")}));

    // 10,000 characters (30,000 bytes) are a path; 40,000 are damage, left out and reported.
    const QString longPath = QStringLiteral(u"/音楽/") + QString(10000, u'歌') + QStringLiteral(".flac");
    writeBytes(file(), (u'"' + longPath + QStringLiteral("\"\r\n\"") + QString(40000, u'x') + QStringLiteral("\"\r\n/c.mid")).toUtf8());
    bool incomplete = false;
    EXPECT_EQ(takeHandOver(file(), &incomplete), (QStringList{longPath, QStringLiteral("/c.mid")}));
    EXPECT_TRUE(incomplete);
}

TEST_F(HandOverIntake, ALongJapanesePathComesWholeAndAnOverlongLineIsReported)
{
    // 10,000 characters, about 30,000 bytes: a path, not damage.
    const QString longPath = QStringLiteral(u"/音楽/") + QString(10000, u'歌') + QStringLiteral(".flac");
    ASSERT_TRUE(yk::writeHandOver(file(), {longPath, QStringLiteral("/m/b.ogg")}));
    bool incomplete = true;
    EXPECT_EQ(takeHandOver(file(), &incomplete), (QStringList{longPath, QStringLiteral("/m/b.ogg")}));
    EXPECT_FALSE(incomplete);

    // A line longer than any path is left out, and the caller hears of it.
    writeBytes(file(), "\"/m/a.mp3\"\r\n\"" + QByteArray(40000, 'x') + "\"\r\n\"/m/c.mid\"\r\n");
    EXPECT_EQ(takeHandOver(file(), &incomplete), (QStringList{QStringLiteral("/m/a.mp3"), QStringLiteral("/m/c.mid")}));
    EXPECT_TRUE(incomplete);
}

TEST_F(HandOverIntake, ADamagedFileIsTakenOnce)
{
    writeBytes(file(), QByteArray("\x00\xff\x81\"\r\n\"x\x00y\"", 11));
    std::optional<QStringList> taken = takeHandOver(file());
    ASSERT_TRUE(taken.has_value());
    ASSERT_EQ(taken->size(), 2);
    EXPECT_EQ(taken->at(1), QString::fromUtf8("x\0y", 3));
    EXPECT_FALSE(exists());

    writeBytes(file(), QByteArray());
    EXPECT_EQ(takeHandOver(file()), QStringList());
    EXPECT_FALSE(exists());

    // A folder in the file's place cannot be read: no paths, no crash.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("lst.tmp")));
    EXPECT_EQ(takeHandOver(file()), QStringList());
}
