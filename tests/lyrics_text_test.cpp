// Timed lyrics read once: every answer is compared with a plain top-down
// reading of the file at each time, the way the line was found when the
// file was read afresh on every refresh, but comparing stamps as times (not
// text keys), skipping a malformed stamp alone and showing "[-1:00]" at 0.

#include <random>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "media/LyricsText.h"
#include "support/MemoryProbe.h"
#include "support/TestUtil.h"

using yk::LyricsText;

namespace {

// 1-based substring, empty past the end.
QString mid(const QString& s, qsizetype start, qsizetype length = -1)
{
    if (start - 1 >= s.size())
        return {};
    return s.mid(start - 1, length);
}

// A two-character field as a whole number; nothing for ".5" and non-numbers.
std::optional<int> field(const QString& two)
{
    static const QRegularExpression re(QStringLiteral(R"(^([0-9][0-9]| [0-9]|[0-9] |[+-][0-9]|[0-9]\.)$)"));
    if (!re.match(two).hasMatch())
        return std::nullopt;
    return QString(two).remove(u' ').remove(u'.').toInt();
}

// The elapsed label: "00:00" at the start, else mm:ss.cc.
QString label(qint64 ms)
{
    if (ms == 0)
        return QStringLiteral("00:00");
    return QString::asprintf("%02lld:%02lld.%02lld", ms / 60000, (ms / 1000) % 60, (ms % 1000) / 10);
}

// The reading this replaces: from the top, skipping past lines, stopping at
// the first line in the future.
QString referenceLine(const QStringList& lines, qint64 ms)
{
    const qint64 clock = ms / 10; // in hundredths, as the label shows it
    QString current;
    for (const QString& line : lines) {
        const auto minutes = field(mid(line, 2, 2));
        const auto seconds = field(mid(line, 5, 2));
        if (mid(line, 1, 1) != u"[" || mid(line, 4, 1) != u":" || !minutes || !seconds || *seconds >= 60)
            continue;
        const qint64 second = std::max(0, *minutes * 60 + *seconds);
        if (mid(line, 7, 1) == u"]") {
            if (second < clock / 100)
                continue;
            if (second > clock / 100)
                break;
            current = mid(line, 8);
            if (current.isEmpty())
                current = QStringLiteral("<BR>");
            continue;
        }
        if (const auto hundredths = field(mid(line, 8, 2))) {
            const qint64 time = std::max(0, *minutes * 6000 + *seconds * 100 + *hundredths);
            if (time / 100 < clock / 100)
                continue;
            if (time > clock)
                break;
            if (line.endsWith(u']')) {
                for (qsizetype i = 1; i <= line.size() - 10;) {
                    if (mid(line, i, 1) == u"[" && mid(line, i + 9, 1) == u"]") {
                        i += 10;
                        continue;
                    }
                    current += mid(line, i, 1);
                    ++i;
                }
            } else {
                current = mid(line, 11);
            }
        }
    }
    return current;
}

QStringList linesOf(const QString& text)
{
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Compares at every `stepMs` up to `untilMs` and at each listed time;
// reports the first few differences.
void expectSameAsReading(const QString& text, qint64 untilMs, qint64 stepMs, QList<qint64> extra = {})
{
    const LyricsText parsed = LyricsText::parse(text);
    const QStringList lines = linesOf(text);
    for (qint64 t = 0; t <= untilMs; t += stepMs)
        extra.append(t);
    int failures = 0;
    for (const qint64 t : std::as_const(extra)) {
        const QString want = referenceLine(lines, t);
        const QString got = parsed.lineAt(t);
        if (got != want && ++failures <= 5)
            ADD_FAILURE() << "at " << t << " ms (" << qPrintable(label(t)) << "): got \"" << qPrintable(got)
                          << "\", the reading shows \"" << qPrintable(want) << '"';
    }
}

const QString kExamples = QStringLiteral("[00:01]first\r\n"
                                         "[00:05]\r\n"
                                         "[00:07]seven\r\n"
                                         "[00:10]ten\r\n"
                                         "[00:12.34]Hel[00:12.80]lo[00:13.00]\r\n"
                                         "[00:14.50]half past\r\n"
                                         "[00:15.00]\r\n"
                                         "[01:02]a minute on\r\n");

} // namespace

TEST(LyricsText, ShortTagShowsDuringItsOwnSecondOnly)
{
    const LyricsText t = LyricsText::parse(kExamples);
    EXPECT_EQ(t.lineAt(1000), QStringLiteral("first"));
    EXPECT_EQ(t.lineAt(1990), QStringLiteral("first"));
    EXPECT_EQ(t.lineAt(999), QString());
    EXPECT_EQ(t.lineAt(2000), QString());
    EXPECT_EQ(t.lineAt(62500), QStringLiteral("a minute on"));
}

TEST(LyricsText, EmptyShortTagTextShowsBreakMark)
{
    const LyricsText t = LyricsText::parse(kExamples);
    EXPECT_EQ(t.lineAt(5000), QStringLiteral("<BR>"));
    EXPECT_EQ(t.lineAt(5990), QStringLiteral("<BR>"));
    EXPECT_EQ(t.lineAt(6000), QString());
}

TEST(LyricsText, ClosingTagLineJoinsItsPiecesFromTheFirstTag)
{
    const LyricsText t = LyricsText::parse(kExamples);
    EXPECT_EQ(t.lineAt(12330), QString());
    EXPECT_EQ(t.lineAt(12340), QStringLiteral("Hello"));
    EXPECT_EQ(t.lineAt(12990), QStringLiteral("Hello"));
    EXPECT_EQ(t.lineAt(14490), QString());
    EXPECT_EQ(t.lineAt(14500), QStringLiteral("half past"));
    // A long tag with nothing after it shows nothing.
    EXPECT_EQ(t.lineAt(15000), QString());
}

TEST(LyricsText, AnswersAsTheTopDownReadingOnTheExamples)
{
    expectSameAsReading(kExamples, 70'000, 10);
}

TEST(LyricsText, AnswersAsTheTopDownReadingOnOddFiles)
{
    const QStringList odd = {
        // Out of order: the 00:09 line stops the reading before 00:03.
        QStringLiteral("[00:01]one\n[00:09]nine\n[00:03]three\n[00:12]twelve\n[00:04]four\n"),
        // The same second twice, short and long forms mixed.
        QStringLiteral("[00:02]a\n[00:02]b\n[00:02.50]c\n[00:02.20]d\n[00:03]e\n"),
        // Two closing-tag lines of one second add up; a plain one replaces.
        QStringLiteral("[00:04.10]A[00:04.20]B[00:04.30]\n[00:04.40]C[00:04.90]\n[00:04.60]plain\n"
                       "[00:04.80]D[00:04.85]E[00:04.90]\n"),
        // Numbers that are not two digits, odd separators, tags too short.
        QStringLiteral("[ 1:05]blank\n[00: 6]six\n[+0:07]plus\n[00:08x50]cross\n[00:09.5]short\n"
                       "[00:10.5 ]spaced\n[0a:11]bad\n[00:11]\n[00:12.]dot\n[00:13.00\n[00:14.00]\n"
                       "[00:15.00]x]\n[00:16]]\n"),
        // Garbage and blank lines between, CR LF and LF mixed, text with tags.
        QStringLiteral("\r\nnothing here\r\n[ar:someone]\r\n[00:01]one\r\n\r\n[offset:+100]\n"
                       "[00:02.00]two [00:02.50] in the middle\r\n]]]]]]]]]]\r\n[00:03]three\r\n"),
        // Keys that sort oddly as text: minutes past 59 and a 99:99 line.
        QStringLiteral("[00:30]half\n[60:00]late\n[99:99]never\n[00:31]after\n"),
    };
    for (const QString& text : odd) {
        SCOPED_TRACE(qPrintable(text));
        expectSameAsReading(text, 20'000, 10);
    }
    expectSameAsReading(odd.last(), 0, 1, {30'000, 31'000, 3'600'000, 5'999'990, 6'000'000, 6'100'000});
}

TEST(LyricsText, AnswersAsTheTopDownReadingOnRandomFiles)
{
    // Lines built from tag-like pieces, so that most of them are nearly,
    // or just, one of the forms.
    std::mt19937 random(20261209);
    const QStringList pieces = {QStringLiteral("["), QStringLiteral("]"), QStringLiteral(":"),
                                QStringLiteral("."), QStringLiteral("0"), QStringLiteral("1"),
                                QStringLiteral("2"), QStringLiteral(" "), QStringLiteral("x"),
                                QStringLiteral("[00:0"), QStringLiteral("[00:01]"), QStringLiteral("[00:02."),
                                QStringLiteral("5]"), QStringLiteral("\n"), QStringLiteral("\r\n")};
    for (int file = 0; file < 40; ++file) {
        QString text;
        for (int i = 0; i < 300; ++i)
            text += pieces[qsizetype(random() % pieces.size())];
        SCOPED_TRACE(qPrintable(text));
        expectSameAsReading(text, 4'000, 10);
    }
}

TEST(LyricsText, AnswersAsTheTopDownReadingOnALongDenseFile)
{
    // A line every half second for ten minutes, in both forms.
    QString text;
    for (int i = 0; i < 1200; ++i) {
        const int ms = i * 500;
        if (i % 2 == 0)
            text += QString::asprintf("[%02d:%02d]line %d\r\n", ms / 60000, (ms / 1000) % 60, i);
        else
            text += QString::asprintf("[%02d:%02d.%02d]line %d\r\n", ms / 60000, (ms / 1000) % 60, (ms % 1000) / 10, i);
    }
    const LyricsText parsed = LyricsText::parse(text);
    EXPECT_EQ(parsed.timedLineCount(), 1200);
    EXPECT_EQ(parsed.lineAt(599'600), QStringLiteral("line 1199"));
    EXPECT_EQ(parsed.lineAt(300'000), QStringLiteral("line 600"));
    EXPECT_EQ(parsed.lineAt(300'700), QStringLiteral("line 601"));
    expectSameAsReading(text, 610'000, 130, {599'490, 599'500, 599'990, 0});
}

TEST(LyricsText, FileIsReadOnceAndDecodedAsTheProgramsTextFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("song.txt"));
    // Shift-JIS: さくら, then UTF-8 would not decode it.
    yk::test::writeBytes(path, QByteArray("[00:01]\x82\xb3\x82\xad\x82\xe7\r\n[00:02]two\r\n"));
    const LyricsText sjis = LyricsText::load(path);
    // The answer comes from what was read: the file may go.
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(sjis.lineAt(1500), QStringLiteral("さくら"));
    EXPECT_EQ(sjis.lineAt(2500), QStringLiteral("two"));

    yk::test::writeBytes(path, QByteArray("\xef\xbb\xbf[00:01]") + QStringLiteral("ラララ♪").toUtf8() + "\n");
    EXPECT_EQ(LyricsText::load(path).lineAt(1000), QStringLiteral("ラララ♪"));

    EXPECT_EQ(LyricsText::load(dir.filePath(QStringLiteral("missing.txt"))).timedLineCount(), 0);
}

TEST(LyricsText, LabelFormsGiveTheSameAnswerAsPositions)
{
    const LyricsText t = LyricsText::parse(kExamples);
    EXPECT_EQ(t.lineForLabel(u"00:00"), t.lineAt(0));
    EXPECT_EQ(t.lineForLabel(u"00:12.50"), QStringLiteral("Hello"));
    EXPECT_EQ(t.lineForLabel(u"00:05.00"), QStringLiteral("<BR>"));
    EXPECT_EQ(t.lineForLabel(u""), QString());
}

TEST(LyricsText, StampsCompareAsTimesAndAMalformedOneHidesOnlyItself)
{
    const LyricsText t = LyricsText::parse(
        u"[-1:00]from the start\n[00:01]one\n[99:99.99]never\n[00:02.00]two\n[00:03. 5]three\n[00:04.5]four\n");
    EXPECT_EQ(t.lineAt(500), QStringLiteral("from the start"));
    EXPECT_EQ(t.lineAt(1500), QStringLiteral("one"));
    EXPECT_EQ(t.lineAt(2500), QStringLiteral("two"));
    EXPECT_EQ(t.lineAt(3040), QString());
    EXPECT_EQ(t.lineAt(3050), QStringLiteral("three"));
}

TEST(LyricsText, LrcLinesStayUpUntilTheNextInTimeOrder)
{
    const LyricsText t = LyricsText::parseLrc(u"[ar:Someone]\n[ti:Song]\n[length: 03:20]\n[offset:+500]\n"
                                              u"[00:12.00][01:40.00]chorus\n[00:02]<00:02.00>Hel<00:02.50>lo\n"
                                              u"[00:05.125]late\nno stamp\n[00:20.9]\n");
    EXPECT_EQ(t.timedLineCount(), 5);
    // Every line half a second early.
    EXPECT_EQ(t.lineAt(1499), QString());
    EXPECT_EQ(t.lineAt(1500), QStringLiteral("Hello"));
    EXPECT_EQ(t.lineAt(4624), QStringLiteral("Hello"));
    EXPECT_EQ(t.lineAt(4625), QStringLiteral("late"));
    EXPECT_EQ(t.lineAt(11'500), QStringLiteral("chorus"));
    EXPECT_EQ(t.lineAt(20'400), QString()); // an empty line: nothing new to show
    EXPECT_EQ(t.lineAt(99'500), QStringLiteral("chorus"));

    EXPECT_EQ(LyricsText::parseLrc(u"words only\n[ar:x]\n[00:99]bad\n").timedLineCount(), 0);
}

TEST(LyricsText, AFileOfStampsCostsASmallMultipleOfItsSize)
{
    QTemporaryDir dir;
    const QString stamps = dir.filePath(QStringLiteral("stamps.txt"));
    yk::test::writeBytes(stamps, QByteArray("[00:00]\n").repeated(1 << 20)); // 8 MiB
    LyricsText t;
    const yk::test::Cost cost = yk::test::measure([&] { t = LyricsText::load(stamps); });
    EXPECT_EQ(t.timedLineCount(), 1 << 20);
    EXPECT_LT(cost.peakGrowth, 6 * (8 << 20)) << cost.peakGrowth;
    EXPECT_EQ(t.lineAt(500), QStringLiteral("<BR>"));
}
