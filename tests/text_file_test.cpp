#include "platform/TextFile.h"

#include <csignal>
#include <sys/resource.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/TestUtil.h"

#include "support/FileSizeLimit.h"

namespace tf = yk::textfile;

using yk::test::readBytes;
using yk::test::writeBytes;

namespace {




const QString kJapanese = QStringLiteral(u"漢字と髙橋①㈱ｱｲｳﾞ～－");

} // namespace

TEST(Cp932, RoundTripsKanjiHalfWidthKanaAndWindowsExtensions)
{
    bool ok = false;
    const QByteArray bytes = yk::cp932::encode(kJapanese, &ok);
    EXPECT_TRUE(ok);
    // ① and ㈱ come from the NEC row 13, 髙 from the IBM extension, ～ is the
    // Windows full-width tilde (0x8160), ｱ a single byte.
    EXPECT_TRUE(bytes.contains(QByteArray("\x87\x40", 2)));
    EXPECT_TRUE(bytes.contains(QByteArray("\x87\x8a", 2)));
    EXPECT_TRUE(bytes.contains(QByteArray("\xfb\xfc", 2)));
    EXPECT_TRUE(bytes.contains(QByteArray("\x81\x60", 2)));
    EXPECT_TRUE(bytes.contains(QByteArray("\xb1\xb2\xb3\xde", 4)));
    EXPECT_EQ(yk::cp932::decode(bytes), kJapanese);
}

TEST(Cp932, UnmappableCharactersBecomeQuestionMarksAndBadBytesDoNotStopDecoding)
{
    bool ok = true;
    EXPECT_EQ(yk::cp932::encode(QStringLiteral(u"a😀bé"), &ok), QByteArray("a?b?"));
    EXPECT_FALSE(ok);
    // A lone lead byte at the end and an undefined byte in the middle.
    const QString s = yk::cp932::decode(QByteArray("A\x80" "B\x88", 4));
    EXPECT_TRUE(s.startsWith(u'A'));
    EXPECT_TRUE(s.contains(u'B'));
    EXPECT_TRUE(s.contains(QChar(0xFFFD)));
}

TEST(TextFileDecode, ChoosesUtf8WithOrWithoutBomAndShiftJisOtherwise)
{
    const QByteArray utf8 = kJapanese.toUtf8();
    EXPECT_EQ(tf::decode(utf8), kJapanese);
    EXPECT_EQ(tf::decode("\xEF\xBB\xBF" + utf8), kJapanese);
    EXPECT_EQ(tf::decode(yk::cp932::encode(kJapanese)), kJapanese);
    // Plain ASCII is the same either way.
    EXPECT_EQ(tf::decode("Time A03"), QStringLiteral("Time A03"));
    // Two kana in Shift-JIS happen to be valid-looking lead bytes but not UTF-8.
    EXPECT_EQ(tf::decode(QByteArray("\x82\xa0\x82\xa2", 4)), QStringLiteral(u"あい"));
    EXPECT_EQ(tf::decode({}), QString());
}

TEST(TextFileLines, SplitsAtEveryKindOfLineEndWithoutATrailingEmptyLine)
{
    EXPECT_EQ(tf::splitLines(QStringLiteral("a\r\nb\nc\rd")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(tf::splitLines(QStringLiteral("a\r\n")), QStringList{QStringLiteral("a")});
    EXPECT_EQ(tf::splitLines(QStringLiteral("a\r\n\r\n")), (QStringList{QStringLiteral("a"), QString()}));
    EXPECT_EQ(tf::splitLines(QStringLiteral("\n\n x")), (QStringList{QString(), QString(), QStringLiteral(" x")}));
    EXPECT_TRUE(tf::splitLines(QString()).isEmpty());
}

TEST(TextFileIo, WritesUtf8WithCrLfAndReadsItBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("memo.txt"));
    ASSERT_TRUE(tf::writeLines(path, {kJapanese, QString(), QStringLiteral("end")}));
    EXPECT_EQ(readBytes(path), kJapanese.toUtf8() + "\r\n\r\nend\r\n");
    EXPECT_EQ(tf::readLines(path), (QStringList{kJapanese, QString(), QStringLiteral("end")}));

    // Lone LF and CR in free text become CR LF too; CR LF stays single.
    ASSERT_TRUE(tf::writeText(path, QStringLiteral("a\nb\r\nc\rd")));
    EXPECT_EQ(readBytes(path), QByteArray("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(tf::readText(path), QStringLiteral("a\r\nb\r\nc\r\nd"));

    ASSERT_TRUE(tf::writeLines(path, {}));
    EXPECT_EQ(readBytes(path), QByteArray());
}

TEST(TextFileIo, ReadsShiftJisAndBomFilesWithMixedLineEnds)
{
    QTemporaryDir dir;
    const QString sjis = dir.filePath(QStringLiteral("sjis.txt"));
    writeBytes(sjis, yk::cp932::encode(QStringLiteral(u"一行目①\r\nｶﾀｶﾅ\n髙\r")));
    EXPECT_EQ(tf::readLines(sjis),
              (QStringList{QStringLiteral(u"一行目①"), QStringLiteral(u"ｶﾀｶﾅ"), QStringLiteral(u"髙")}));

    const QString bom = dir.filePath(QStringLiteral("bom.txt"));
    writeBytes(bom, QByteArray("\xEF\xBB\xBF") + QStringLiteral(u"㈱\r\nx").toUtf8());
    EXPECT_EQ(tf::readLines(bom), (QStringList{QStringLiteral(u"㈱"), QStringLiteral("x")}));

    EXPECT_FALSE(tf::readText(dir.filePath(QStringLiteral("missing.txt"))).has_value());
    EXPECT_FALSE(tf::readLines(dir.path()).has_value());
}

TEST(TextFileIo, AFailedWriteReturnsFalseAndLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    // Folder missing, and a "folder" that is really a file.
    EXPECT_FALSE(tf::writeText(dir.filePath(QStringLiteral("no/such/x.txt")), QStringLiteral("x")));
    const QString plain = dir.filePath(QStringLiteral("plain"));
    writeBytes(plain, "keep");
    EXPECT_FALSE(tf::writeText(plain + QStringLiteral("/x.txt"), QStringLiteral("x")));
    EXPECT_EQ(readBytes(plain), QByteArray("keep"));

    // The disk fills up half way through the new content.
    const QString path = dir.filePath(QStringLiteral("old.txt"));
    writeBytes(path, "old content\r\n");
    {
        yk::test::FileSizeLimit limit(4096);
        EXPECT_FALSE(tf::writeText(path, QString(20000, u'x')));
    }
    EXPECT_EQ(readBytes(path), QByteArray("old content\r\n"));
    {
        // Small enough to sit in the write buffer until the file is committed.
        yk::test::FileSizeLimit limit(100);
        EXPECT_FALSE(tf::writeLines(path, {QString(3000, u'y')}));
    }
    EXPECT_EQ(readBytes(path), QByteArray("old content\r\n"));
    // No half-written temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              (QStringList{QStringLiteral("old.txt"), QStringLiteral("plain")}));
}

TEST(TextFileIo, ALeadingZeroWidthNoBreakSpaceSurvivesWritingAndReading)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("feff.txt"));
    // The first three bytes are the byte-order mark; the next three are text.
    writeBytes(path, QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF" "A"));
    const QString feffA = QStringLiteral(u"\uFEFFA");
    ASSERT_EQ(tf::readText(path), feffA);

    ASSERT_TRUE(tf::writeText(path, feffA));
    EXPECT_EQ(tf::readText(path), feffA);
    ASSERT_TRUE(tf::writeLines(path, {feffA, QStringLiteral("B")}));
    EXPECT_EQ(tf::readLines(path), (QStringList{feffA, QStringLiteral("B")}));
    // Only such text carries a mark: everything else is written as before.
    EXPECT_EQ(readBytes(path), QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF" "A\r\nB\r\n"));
    ASSERT_TRUE(tf::writeText(path, QStringLiteral(u"A\uFEFF")));
    EXPECT_EQ(readBytes(path), QByteArray("A\xEF\xBB\xBF"));
    EXPECT_EQ(tf::readText(path), QStringLiteral(u"A\uFEFF"));
    ASSERT_TRUE(tf::writeText(path, QStringLiteral(u"\uFEFF")));
    EXPECT_EQ(tf::readText(path), QStringLiteral(u"\uFEFF"));
}

TEST(TextFileFirstLines, ReadsNoFurtherThanTheLinesItReturns)
{
    QByteArray bytes("one\r\ntwo\rthree\nfour\r\nfive");
    QBuffer device(&bytes);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    EXPECT_EQ(tf::readFirstLines(device, 3, 10),
              (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
    EXPECT_EQ(device.pos(), qsizetype(QByteArray("one\r\ntwo\rthree\n").size()));
    // A CR LF ending the last line is taken whole.
    EXPECT_EQ(tf::readFirstLines(device, 1, 10), QStringList{QStringLiteral("four")});
    EXPECT_EQ(device.pos(), bytes.size() - 4);
    EXPECT_EQ(tf::readFirstLines(device, 5, 10), QStringList{QStringLiteral("five")});
    EXPECT_TRUE(device.atEnd());

    // Megabytes of bare line ends cost the lines asked for and no more.
    QByteArray ends(4 << 20, '\r');
    QBuffer many(&ends);
    ASSERT_TRUE(many.open(QIODevice::ReadOnly));
    EXPECT_EQ(tf::readFirstLines(many, 51, 100), QStringList(51, QString()));
    EXPECT_EQ(many.pos(), 51);
}

TEST(TextFileFirstLines, ALineTooLongEndsTheReadingAndIsLeftOut)
{
    // Counted in characters: six kanji are 18 bytes of UTF-8 but fit in 6.
    const QString kanji = QStringLiteral(u"漢字漢字漢字");
    QByteArray bytes = "ab\r\n" + kanji.toUtf8() + "\r\nabcdefg\r\nlater\r\n";
    QBuffer device(&bytes);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    EXPECT_EQ(tf::readFirstLines(device, 10, 6), (QStringList{QStringLiteral("ab"), kanji}));

    // A line with no end in sight is given up as soon as it cannot fit.
    QByteArray endless = "ok\n" + QByteArray(1 << 20, 'x');
    QBuffer noEnd(&endless);
    ASSERT_TRUE(noEnd.open(QIODevice::ReadOnly));
    EXPECT_EQ(tf::readFirstLines(noEnd, 51, 100), QStringList{QStringLiteral("ok")});
    EXPECT_LE(noEnd.pos(), 3 + 3 * 100 + 4);

    // The encoding is judged on the lines read: Shift-JIS after them does
    // not turn UTF-8 lines into mojibake.
    QByteArray mixed = kanji.toUtf8() + "\r\n" + yk::cp932::encode(kanji);
    QBuffer mixedDevice(&mixed);
    ASSERT_TRUE(mixedDevice.open(QIODevice::ReadOnly));
    EXPECT_EQ(tf::readFirstLines(mixedDevice, 1, 100), QStringList{kanji});

    // Through a path, with a BOM and Shift-JIS lines.
    QTemporaryDir dir;
    const QString sjis = dir.filePath(QStringLiteral("sjis.txt"));
    writeBytes(sjis, yk::cp932::encode(kanji + QStringLiteral("\r\nx\r\ny")));
    EXPECT_EQ(tf::readFirstLines(sjis, 2, 6), (QStringList{kanji, QStringLiteral("x")}));
    const QString bom = dir.filePath(QStringLiteral("bom.txt"));
    writeBytes(bom, "\xEF\xBB\xBF" + kanji.toUtf8());
    EXPECT_EQ(tf::readFirstLines(bom, 2, 6), QStringList{kanji});
    EXPECT_FALSE(tf::readFirstLines(dir.filePath(QStringLiteral("missing")), 2, 6).has_value());
}

TEST(TextFileLimitedRead, ReadsUpToTheLimitAndRefusesLargerFilesUnread)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("note.txt"));
    writeBytes(path, yk::cp932::encode(QStringLiteral(u"予定\r\n")));
    const tf::LimitedRead read = tf::readTextUpTo(path, 6);
    EXPECT_EQ(read.status, tf::LimitedRead::Read);
    EXPECT_EQ(read.text, QStringLiteral(u"予定\r\n"));
    const tf::LimitedRead refused = tf::readTextUpTo(path, 5);
    EXPECT_EQ(refused.status, tf::LimitedRead::TooLarge);
    EXPECT_TRUE(refused.text.isEmpty());
    EXPECT_EQ(tf::readTextUpTo(dir.filePath(QStringLiteral("missing")), 5).status, tf::LimitedRead::CannotOpen);
}
