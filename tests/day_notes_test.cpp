#include "calendar/DayNoteStore.h"
#include "platform/TextFile.h"

#include <iostream>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/MemoryProbe.h"

using namespace yk;
using yk::test::writeFilledFile;

namespace {

class DayNotes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("txt"));
    }

    QString txt(const QString& name) const { return m_dir.path() + QStringLiteral("/txt/") + name; }

    QByteArray bytes(const QString& name) const
    {
        QFile f(txt(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    void put(const QString& name, const QByteArray& content) const
    {
        QFile f(txt(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    QStringList files() const
    {
        return QDir(m_dir.path() + QStringLiteral("/txt")).entryList(QDir::Files, QDir::Name);
    }

    QTemporaryDir m_dir;
    DayNoteStore store{AppPaths(m_dir.path())};
};

} // namespace

TEST_F(DayNotes, WriteLayoutFollowsTheLineEndRules)
{
    ASSERT_TRUE(store.write(u"20260105"_qs, {{}, {}, u"午後の予定"_qs}, {}));
    EXPECT_EQ(files(), QStringList({u"20260105.TXT"_qs, u"Memo0001.TXT"_qs}));
    EXPECT_EQ(bytes(u"20260105.TXT"_qs), QString(u"\r\n&%All\r\n&%AM\r\n午後の予定\r\n"_qs).toUtf8());
    EXPECT_EQ(bytes(u"Memo0001.TXT"_qs), QByteArray("\r\n"));
    EXPECT_TRUE(store.hasNotes(QDate(2026, 1, 5)));

    // A morning text ending in a line break gets no second one; the diary neither.
    ASSERT_TRUE(store.write(u"20260105"_qs, {u"abc\n"_qs, u"m1\nm2\n"_qs, u"p"_qs}, u"common"_qs));
    EXPECT_EQ(bytes(u"20260105.TXT"_qs), QByteArray("abc\r\n&%All\r\nm1\r\nm2\r\n&%AM\r\np\r\n"));
    EXPECT_EQ(bytes(u"Memo0001.TXT"_qs), QByteArray("common\r\n"));

    ASSERT_TRUE(store.write(u"20260105"_qs, {u"abc"_qs, u"m"_qs, {}}, u"a\nb"_qs));
    EXPECT_EQ(bytes(u"20260105.TXT"_qs), QByteArray("abc\r\n&%All\r\nm\r\n&%AM\r\n\r\n"));
    EXPECT_EQ(bytes(u"Memo0001.TXT"_qs), QByteArray("a\r\nb\r\n"));
}

TEST_F(DayNotes, RoundTripsSettleAfterTheFirstSave)
{
    ASSERT_TRUE(store.write(u"20260105"_qs, {u"abc"_qs, {}, {}}, {}));
    const auto first = store.readDay(u"20260105"_qs);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->diary, u"abc\n");
    EXPECT_EQ(first->morning, u"");
    EXPECT_EQ(first->afternoon, u"");

    const DayNote note{u"日記\n二行目"_qs, u"朝\n"_qs, u"午後\n\n三行"_qs};
    ASSERT_TRUE(store.write(u"20260106"_qs, note, u"共通\nメモ\n"_qs));
    const auto read = store.readDay(u"20260106"_qs);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->diary, u"日記\n二行目\n");
    EXPECT_EQ(read->morning, u"朝\n");
    EXPECT_EQ(read->afternoon, u"午後\n\n三行");
    EXPECT_EQ(store.readCommonMemo(), std::optional<QString>(u"共通\nメモ\n"_qs));

    // Saving what was read changes nothing any more.
    const QByteArray before = bytes(u"20260106.TXT"_qs);
    ASSERT_TRUE(store.write(u"20260106"_qs, *read, *store.readCommonMemo()));
    EXPECT_EQ(bytes(u"20260106.TXT"_qs), before);
    EXPECT_EQ(store.readDay(u"20260106"_qs), read);
}

TEST_F(DayNotes, EmptyDayTextsLeaveTheFileButTheCommonMemoIsAlwaysWritten)
{
    ASSERT_TRUE(store.write(u"20260105"_qs, {u"x"_qs, {}, {}}, u"old"_qs));
    const QByteArray day = bytes(u"20260105.TXT"_qs);
    ASSERT_TRUE(store.write(u"20260105"_qs, {}, u"new"_qs));
    EXPECT_EQ(bytes(u"20260105.TXT"_qs), day);
    EXPECT_TRUE(store.hasNotes(u"20260105"_qs));
    EXPECT_EQ(bytes(u"Memo0001.TXT"_qs), QByteArray("new\r\n"));

    // Only the common memo: no day file appears.
    ASSERT_TRUE(store.write(u"20260107"_qs, {}, u"memo"_qs));
    EXPECT_FALSE(store.hasNotes(u"20260107"_qs));
    EXPECT_FALSE(store.readDay(u"20260107"_qs));
}

TEST_F(DayNotes, DeleteRemovesOnlyTheDay)
{
    ASSERT_TRUE(store.write(u"20260105"_qs, {u"x"_qs, {}, {}}, u"keep"_qs));
    put(u"20260105.txt"_qs, "second spelling\r\n");
    EXPECT_TRUE(store.deleteDay(u"20260105"_qs));
    EXPECT_FALSE(store.hasNotes(u"20260105"_qs));
    EXPECT_EQ(files(), QStringList{u"Memo0001.TXT"_qs});
    EXPECT_EQ(bytes(u"Memo0001.TXT"_qs), QByteArray("keep\r\n"));

    EXPECT_TRUE(store.deleteDay(u"20260109"_qs)); // nothing there, nothing done
    EXPECT_EQ(files(), QStringList{u"Memo0001.TXT"_qs});
}

TEST_F(DayNotes, MissingFilesReadAsNothing)
{
    EXPECT_FALSE(store.readDay(u"20260105"_qs));
    EXPECT_FALSE(store.readCommonMemo());
    EXPECT_FALSE(store.hasNotes(u"20260105"_qs));
    EXPECT_TRUE(store.daysWithNotes(2026, 1).isEmpty());
}

TEST_F(DayNotes, WindowsFilesReadUnchangedWhateverTheirCase)
{
    // Shift-JIS with the old program's layout, lower-case extension.
    const QByteArray sjis = cp932::encode(u"今日は晴れ\r\n&%All\r\n会議\r\n&%AM\r\n買い物\r\n"_qs);
    put(u"20251224.txt"_qs, sjis);
    put(u"memo0001.txt"_qs, cp932::encode(u"共通の\r\nメモ\r\n"_qs));
    put(u"20251203.Txt"_qs, "a\r\n&%All\r\n&%AM\r\n\r\n");

    EXPECT_TRUE(store.hasNotes(QDate(2025, 12, 24)));
    const auto note = store.readDay(u"20251224"_qs);
    ASSERT_TRUE(note);
    EXPECT_EQ(note->diary, u"今日は晴れ\n");
    EXPECT_EQ(note->morning, u"会議\n");
    EXPECT_EQ(note->afternoon, u"買い物");
    EXPECT_EQ(store.readCommonMemo(), std::optional<QString>(u"共通の\nメモ"_qs));
    EXPECT_EQ(store.daysWithNotes(2025, 12), (QSet<int>{3, 24}));
    EXPECT_TRUE(store.daysWithNotes(2025, 11).isEmpty());
    const auto test = store.noteTestFor(2025, 12);
    EXPECT_TRUE(test(QDate(2025, 12, 3)));
    EXPECT_FALSE(test(QDate(2025, 12, 4)));
    EXPECT_FALSE(test(QDate(2026, 12, 3)));

    // Rewriting keeps the existing spelling instead of adding a second file.
    ASSERT_TRUE(store.write(u"20251224"_qs, *note, u"x"_qs));
    EXPECT_EQ(files(), QStringList({u"20251203.Txt"_qs, u"20251224.txt"_qs, u"memo0001.txt"_qs}));
    EXPECT_EQ(store.readDay(u"20251224"_qs), note);
}

TEST_F(DayNotes, MarkerLinesInsideTextsSurviveARoundTrip)
{
    const DayNote note{u"&%All\nplain"_qs, u"&%AM"_qs, u"&%&%All\n&%&%AM\n&%x\n&%All "_qs};
    ASSERT_TRUE(store.write(u"20260110"_qs, note, u"&%All"_qs));
    EXPECT_EQ(bytes(u"20260110.TXT"_qs),
              QByteArray("&%&%All\r\nplain\r\n&%All\r\n&%&%AM\r\n&%AM\r\n"
                         "&%&%&%All\r\n&%&%&%AM\r\n&%x\r\n&%All \r\n"));
    const auto read = store.readDay(u"20260110"_qs);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->diary, u"&%All\nplain\n");
    EXPECT_EQ(read->morning, u"&%AM\n");
    EXPECT_EQ(read->afternoon, note.afternoon);
    // The common memo has no markers and is kept as it is.
    EXPECT_EQ(store.readCommonMemo(), std::optional<QString>(u"&%All"_qs));
}

TEST_F(DayNotes, ReadingRulesForOddFiles)
{
    // A second "&%All" empties the morning text; a final marker adds nothing.
    put(u"20260111.TXT"_qs, "d\r\n&%All\r\nm1\r\n&%All\r\nm2\r\n&%AM\r\n");
    const auto note = store.readDay(u"20260111"_qs);
    ASSERT_TRUE(note);
    EXPECT_EQ(note->diary, u"d\n");
    EXPECT_EQ(note->morning, u"m2\n");
    EXPECT_EQ(note->afternoon, u"");

    // No markers at all: everything is the diary, the last line without a break.
    put(u"20260112.TXT"_qs, "one\r\ntwo");
    EXPECT_EQ(store.readDay(u"20260112"_qs)->diary, u"one\ntwo");
}

TEST_F(DayNotes, OnlyEightDigitDatesNameADay)
{
    EXPECT_TRUE(DayNoteStore::isDayStem(u"20240229"_qs));
    EXPECT_FALSE(DayNoteStore::isDayStem(u"20230229"_qs));
    EXPECT_FALSE(DayNoteStore::isDayStem(u"202402"_qs));
    EXPECT_FALSE(DayNoteStore::isDayStem(u"../../x1"_qs));
    // A month-only selection never writes a day file, but the memo is kept.
    EXPECT_FALSE(store.write(u"202601"_qs, {u"x"_qs, {}, {}}, u"m"_qs));
    EXPECT_EQ(files(), QStringList{u"Memo0001.TXT"_qs});
}

TEST_F(DayNotes, FailedWriteIsReported)
{
    // A folder where the common memo should be makes that write fail.
    QDir(m_dir.path()).mkpath(QStringLiteral("txt/Memo0001.TXT"));
    EXPECT_FALSE(store.write(u"20260105"_qs, {u"x"_qs, {}, {}}, u"m"_qs));
    EXPECT_TRUE(store.hasNotes(u"20260105"_qs));
}

TEST_F(DayNotes, AHugeDayFileOrCommonMemoIsRefusedWithoutReadingIt)
{
    writeFilledFile(txt(u"20260105.TXT"_qs), "diary\r\n&%All\r\n", '\r', 50 << 20);
    DayNoteStore::ReadResult<DayNote> day;
    const yk::test::Cost dayCost = yk::test::measure([&] { day = store.readDayFile(u"20260105"_qs); });
    EXPECT_EQ(day.status, DayNoteStore::ReadStatus::TooLarge);
    EXPECT_EQ(day.path, txt(u"20260105.TXT"_qs));
    EXPECT_TRUE(day.value.isEmpty());
    EXPECT_FALSE(store.readDay(u"20260105"_qs).has_value());
    // The day still shows its marker: the file is there, only too large.
    EXPECT_TRUE(store.hasNotes(u"20260105"_qs));
    EXPECT_LT(dayCost.peakGrowth, 8 << 20) << "peak memory grew by " << dayCost.peakGrowth << " bytes";
    EXPECT_LT(dayCost.ms, 200);
    std::cout << "[ measure  ] 50 MiB day file: peak +" << dayCost.peakGrowth / 1024 << " KiB, "
              << dayCost.ms << " ms\n";

    writeFilledFile(txt(u"Memo0001.TXT"_qs), {}, '\n', 50 << 20);
    DayNoteStore::ReadResult<QString> memo;
    const yk::test::Cost memoCost = yk::test::measure([&] { memo = store.readCommonMemoFile(); });
    EXPECT_EQ(memo.status, DayNoteStore::ReadStatus::TooLarge);
    EXPECT_EQ(memo.path, txt(u"Memo0001.TXT"_qs));
    EXPECT_FALSE(store.readCommonMemo().has_value());
    EXPECT_LT(memoCost.peakGrowth, 8 << 20) << "peak memory grew by " << memoCost.peakGrowth << " bytes";
    EXPECT_LT(memoCost.ms, 200);
}

TEST_F(DayNotes, FilesUpToTheLimitAreReadAndTheRefusalNamesTheFile)
{
    // Exactly at the limit: read, every one of its lines.
    const qint64 limit = DayNoteStore::kMaxFileBytes;
    writeFilledFile(txt(u"20260106.txt"_qs), "a\r\n&%All\r\n", '\n', limit);
    const auto atLimit = store.readDayFile(u"20260106"_qs);
    ASSERT_EQ(atLimit.status, DayNoteStore::ReadStatus::Read);
    EXPECT_EQ(atLimit.value.diary, u"a\n"_qs);
    EXPECT_EQ(atLimit.value.morning.size(), limit - 10 - 1);
    EXPECT_EQ(atLimit.value.morning.count(u'\n'), atLimit.value.morning.size());

    // One byte more: refused.
    writeFilledFile(txt(u"20260106.txt"_qs), "a\r\n&%All\r\n", '\n', limit + 1);
    EXPECT_EQ(store.readDayFile(u"20260106"_qs).status, DayNoteStore::ReadStatus::TooLarge);

    EXPECT_EQ(DayNoteStore::tooLargeMessage(txt(u"20260106.txt"_qs)),
              u"メモファイルが大きすぎるため開けません。\n20260106.txt"_qs);

    // Other outcomes keep apart from a refusal.
    EXPECT_EQ(store.readDayFile(u"20260107"_qs).status, DayNoteStore::ReadStatus::Missing);
    EXPECT_TRUE(store.readDayFile(u"20260107"_qs).path.isEmpty());
    EXPECT_EQ(store.readDayFile(u"2026010"_qs).status, DayNoteStore::ReadStatus::Missing);
    put(u"Memo0001.TXT"_qs, "one\r\ntwo\r\n");
    const auto memo = store.readCommonMemoFile();
    EXPECT_EQ(memo.status, DayNoteStore::ReadStatus::Read);
    EXPECT_EQ(memo.value, u"one\ntwo"_qs);
}
