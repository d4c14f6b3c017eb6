#include "media/ListFiles.h"

#include <algorithm>
#include <limits>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/TextFile.h"
#include "support/FileSizeLimit.h"
#include "support/MemoryProbe.h"
#include "support/TestUtil.h"

namespace lf = yk::listfile;

using yk::test::readBytes;
using yk::test::writeBytes;

namespace {

class PlayListFile : public ::testing::Test
{
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("viw.m3u")); }

    QStringList load(const QByteArray& bytes)
    {
        writeBytes(path(), bytes);
        const std::optional<lf::PlayList> list = lf::readPlayList(path());
        EXPECT_TRUE(list.has_value());
        EXPECT_FALSE(list && list->cutShort);
        return list ? list->entries : QStringList{QStringLiteral("<not read>")};
    }

    QTemporaryDir m_dir;
};

lf::Lines linesOf(const QByteArray& bytes, const lf::Limits& limits = {})
{
    QBuffer buffer;
    buffer.setData(bytes);
    EXPECT_TRUE(buffer.open(QIODevice::ReadOnly));
    return lf::readLines(buffer, limits);
}

} // namespace

TEST_F(PlayListFile, OnePathRepeatedCostsLittleMoreThanTheFile)
{
    // 300,000 entries of one path, 8 MB: the entries share one string.
    // First in the file, while the process's peak memory is still low.
    const QByteArray line = QStringLiteral(u"/home/user/音楽/曲.mp3\r\n").toUtf8();
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < 300000; ++i)
            f.write(line);
    }
    const qint64 fileSize = QFileInfo(path()).size();
    std::optional<lf::PlayList> list;
    const yk::test::Cost cost = yk::test::measure([&] { list = lf::readPlayList(path()); });
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->entries.size(), 300000);
    EXPECT_EQ(list->entries.last(), QString::fromUtf8(line.chopped(2)));
    EXPECT_LT(cost.peakGrowth, 3 * fileSize);
    RecordProperty("peak_growth_kib", int(cost.peakGrowth / 1024));
}

TEST_F(PlayListFile, SavingWritesEachEntryThenOneMoreLineEndAndLoadsBack)
{
    const QStringList entries{QStringLiteral("C:\\Music\\a.mp3"), QString(), QStringLiteral(u"/home/u/音楽/曲 2.ogg"),
                              QStringLiteral(" spaced.wav ")};
    ASSERT_TRUE(lf::writePlayList(path(), entries));
    EXPECT_EQ(readBytes(path()), QStringLiteral(u"C:\\Music\\a.mp3\r\n\r\n/home/u/音楽/曲 2.ogg\r\n spaced.wav \r\n\r\n").toUtf8());
    const std::optional<lf::PlayList> back = lf::readPlayList(path());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->entries, entries);
    EXPECT_FALSE(back->cutShort);
}

TEST_F(PlayListFile, AnEmptyListIsOneEmptyLineAndLoadsEmpty)
{
    ASSERT_TRUE(lf::writePlayList(path(), {}));
    EXPECT_EQ(readBytes(path()), QByteArray("\r\n"));
    EXPECT_EQ(load(readBytes(path())), QStringList());
    EXPECT_EQ(load(QByteArray()), QStringList());
}

TEST_F(PlayListFile, LineRulesOfLoading)
{
    // Comment lines go, whatever follows the "#"; a "#" later in a line is text.
    EXPECT_EQ(load("#EXTM3U\r\nC:\\a #1.mp3\r\n#EXTINF:12,x\r\n"), QStringList{QStringLiteral("C:\\a #1.mp3")});
    // An empty line inside the file is an entry; only the last one is not.
    EXPECT_EQ(load("a\r\n\r\nb\r\n"), (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
    EXPECT_EQ(load("a\r\n\r\n\r\n"), (QStringList{QStringLiteral("a"), QString()}));
    EXPECT_EQ(load("a\r\n\r\n#end"), (QStringList{QStringLiteral("a"), QString()}));
    // No final line end: the last line counts all the same.
    EXPECT_EQ(load("a\r\nb"), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    // Unix and old Mac line ends.
    EXPECT_EQ(load("a\nb\n"), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(load("a\rb\r\r"), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    // Paths are taken as they are: relative, blanks, case, separators.
    EXPECT_EQ(load(" rel/X.MP3 \r\n..\\y.mid\r\n"), (QStringList{QStringLiteral(" rel/X.MP3 "), QStringLiteral("..\\y.mid")}));
}

TEST_F(PlayListFile, ShiftJisAndMarkedUtf8ListsLoadUnchanged)
{
    const QStringList entries{QStringLiteral(u"C:\\音楽\\夜明けの歌.mp3"), QStringLiteral(u"D:\\ｱﾆﾒ\\①髙.wav")};
    const QByteArray sjis = yk::cp932::encode(entries.join(u"\r\n") + QStringLiteral("\r\n\r\n"));
    ASSERT_FALSE(QByteArrayView(sjis).isValidUtf8());
    EXPECT_EQ(load(sjis), entries);

    // Saved again, the list is UTF-8 and still the same.
    ASSERT_TRUE(lf::writePlayList(path(), entries));
    EXPECT_EQ(readBytes(path()), (entries.join(u"\r\n") + QStringLiteral("\r\n\r\n")).toUtf8());

    EXPECT_EQ(load("\xEF\xBB\xBF" + entries.first().toUtf8() + "\r\n"), QStringList{entries.first()});
    // A mark at the start of a later line is text.
    EXPECT_EQ(load("a\r\n\xEF\xBB\xBF" "b"), (QStringList{QStringLiteral("a"), QStringLiteral(u"\uFEFFb")}));

    // A path of 10,000 characters (30,000 bytes of UTF-8) is no damage.
    const QStringList longPath{QStringLiteral(u"/音楽/") + QString(10000, u'曲') + QStringLiteral(".flac")};
    ASSERT_TRUE(lf::writePlayList(path(), longPath));
    EXPECT_EQ(load(readBytes(path())), longPath);
    EXPECT_EQ(load(yk::cp932::encode(lf::playListText(longPath))), longPath);
}

TEST_F(PlayListFile, ATenThousandCharacterJapanesePathRoundTrips)
{
    // About 30,000 bytes in UTF-8, 20,000 in Shift-JIS: a line of that many
    // bytes is no damage while it holds no more characters than a path may.
    const QString path = QStringLiteral(u"/音楽/") + QString(10000, u'曲') + QStringLiteral(".flac");
    const QStringList entries{path, QStringLiteral("/m/a.mp3")};
    ASSERT_TRUE(lf::writePlayList(this->path(), entries));
    EXPECT_EQ(load(readBytes(this->path())), entries);
    EXPECT_EQ(load(yk::cp932::encode(lf::playListText(entries))), entries);
}

TEST_F(PlayListFile, AMissingFileIsNoListAndAFailedSaveKeepsTheOldFile)
{
    EXPECT_FALSE(lf::readPlayList(path()).has_value());
    EXPECT_FALSE(lf::readPlayList(m_dir.path()).has_value());

    const QStringList old{QStringLiteral("old.mp3")};
    ASSERT_TRUE(lf::writePlayList(path(), old));
    const QByteArray before = readBytes(path());
    QStringList big;
    for (int i = 0; i < 2000; ++i)
        big.append(QStringLiteral("/music/track-%1.mp3").arg(i));
    {
        yk::test::FileSizeLimit full(1000);
        EXPECT_FALSE(lf::writePlayList(path(), big));
    }
    EXPECT_EQ(readBytes(path()), before);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("viw.m3u")});
    // A folder that is missing: nothing written, failure reported.
    EXPECT_FALSE(lf::writePlayList(m_dir.filePath(QStringLiteral("System/viw.m3u")), old));
}

// How fast is the benchmark's business (bench/player_bench); here only that
// a list of that size comes back whole in both encodings.
TEST_F(PlayListFile, AHundredThousandEntriesLoadWhole)
{
    QStringList entries;
    for (int i = 0; i < 100000; ++i)
        entries.append(QStringLiteral(u"/home/user/音楽/アルバム %1/%2 曲.mp3").arg(i / 12).arg(i));
    ASSERT_TRUE(lf::writePlayList(path(), entries));
    // As a Windows system saves it: Shift-JIS.
    const QString legacy = m_dir.filePath(QStringLiteral("legacy.m3u"));
    writeBytes(legacy, yk::cp932::encode(lf::playListText(entries)));
    for (const QString& file : {path(), legacy}) {
        const std::optional<lf::PlayList> back = lf::readPlayList(file);
        ASSERT_TRUE(back.has_value());
        EXPECT_FALSE(back->cutShort);
        EXPECT_EQ(back->entries, entries);
    }
}

TEST_F(PlayListFile, AHugeDamagedFileCostsLittleMemory)
{
    // 100 MB without a line end: one overlong line, held never, left out.
    yk::test::writeFilledFile(path(), "good.mp3\r\n", 'x', qint64(100) << 20);
    std::optional<lf::PlayList> list;
    const yk::test::Cost cost = yk::test::measure([&] { list = lf::readPlayList(path()); });
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(list->entries, QStringList{QStringLiteral("good.mp3")});
    EXPECT_TRUE(list->cutShort);
    EXPECT_LT(cost.peakGrowth, qint64(8) << 20);
    EXPECT_LT(cost.ms, 1000);
    RecordProperty("peak_growth_kib", int(cost.peakGrowth / 1024));
}

TEST(ListFileLines, LimitsStopAtDamageAndSayThatTheyDid)
{
    lf::Limits limits;
    limits.maxLines = 3;
    lf::Lines read = linesOf("a\r\nb\r\nc\r\nd\r\n", limits);
    EXPECT_EQ(read.lines, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_TRUE(read.cutShort);
    // Exactly at the limit is the whole file.
    read = linesOf("a\r\nb\r\nc\r\n", limits);
    EXPECT_EQ(read.lines.size(), 3);
    EXPECT_FALSE(read.cutShort);

    limits = {.maxLineChars = 4}; // characters count, not bytes; a line left out is said to be
    read = linesOf("abcd\r\nabcde\r\n\r\nxy", limits);
    EXPECT_EQ(read.lines, (QStringList{QStringLiteral("abcd"), QString(), QStringLiteral("xy")}));
    EXPECT_FALSE(read.cutShort);
    EXPECT_TRUE(read.incomplete());
    EXPECT_EQ(linesOf(QStringLiteral(u"曲曲曲曲\n曲曲曲曲曲").toUtf8(), limits).lines, QStringList{QStringLiteral(u"曲曲曲曲")});

    limits = {};
    limits.maxBytes = 8;
    read = linesOf("abc\r\ndefgh\r\n", limits);
    EXPECT_EQ(read.lines, QStringList{QStringLiteral("abc")});
    EXPECT_TRUE(read.cutShort);
    read = linesOf("abc\r\ndef", limits);
    EXPECT_EQ(read.lines, (QStringList{QStringLiteral("abc"), QStringLiteral("def")}));
    EXPECT_FALSE(read.cutShort);
    // The LF of a CR LF pair just past the limit is no more data.
    read = linesOf("abc\r\nde\r\n", limits);
    EXPECT_EQ(read.lines, (QStringList{QStringLiteral("abc"), QStringLiteral("de")}));
    EXPECT_FALSE(read.cutShort);

    // A cut-short play list keeps a trailing empty entry: it is no final line.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("x.m3u"));
    writeBytes(file, "a\r\n\r\nb\r\n");
    limits = {};
    limits.maxLines = 2;
    const std::optional<lf::PlayList> list = lf::readPlayList(file, limits);
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(list->entries, (QStringList{QStringLiteral("a"), QString()}));
    EXPECT_TRUE(list->cutShort);
    // So does one whose last line was too long, and it says so.
    writeBytes(file, "a\r\n\r\nlong line\r\n");
    limits = {};
    limits.maxLineChars = 4;
    const std::optional<lf::PlayList> longLast = lf::readPlayList(file, limits);
    ASSERT_TRUE(longLast.has_value());
    EXPECT_EQ(longLast->entries, (QStringList{QStringLiteral("a"), QString()}));
    EXPECT_TRUE(longLast->incomplete());
}

TEST(ListFileLines, LinesSplitAcrossReadBlocks)
{
    lf::Limits limits;
    limits.maxLineChars = 1 << 20;
    // CR at the end of one 64 KiB block, its LF at the start of the next.
    const QByteArray longLine(65535, 'a');
    lf::Lines read = linesOf(longLine + "\r\nb", limits);
    ASSERT_EQ(read.lines.size(), 2);
    EXPECT_EQ(read.lines[0].size(), 65535);
    EXPECT_EQ(read.lines[1], QStringLiteral("b"));

    // A double-byte character across the block edge, in a Shift-JIS file.
    const QByteArray sjis = QByteArray(65535, 'a') + yk::cp932::encode(QStringLiteral(u"曲")) + "\r\n";
    read = linesOf(sjis, limits);
    ASSERT_EQ(read.lines.size(), 1);
    EXPECT_TRUE(read.lines[0].endsWith(QStringLiteral(u"a曲")));
}

