// Every stored fuzzing input, run again through the same targets the
// fuzzers run (fuzz/targets). A broken rule stops the process, which fails
// this test with the input's name; the corpus folders hold the inputs that
// once showed a fault (named "regress-..."), so those faults stay fixed.
#include "targets/FuzzTargets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using Target = int (*)(const uint8_t*, size_t);

// Runs every file of fuzz/corpus/<name>/ and returns their names.
QStringList replay(const QString& name, Target target)
{
    const QDir dir(QStringLiteral(YK_FUZZ_CORPUS_DIR "/") + name);
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& file : files) {
        QFile f(dir.filePath(file));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(f.fileName());
        const QByteArray bytes = f.readAll();
        yk::fuzz::setInputName(qPrintable(f.fileName()));
        EXPECT_EQ(target(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())), 0);
    }
    yk::fuzz::setInputName(nullptr);
    return files;
}

} // namespace

TEST(FuzzCorpus, SettingsReader)
{
    const QStringList files = replay(QStringLiteral("settings"), yk::fuzz::fuzzSettingsReader);
    EXPECT_GE(files.size(), 5);
    EXPECT_TRUE(files.contains(QStringLiteral("regress-bare-line-ends")));
    EXPECT_TRUE(files.contains(QStringLiteral("regress-long-line")));
}

TEST(FuzzCorpus, DayNotes)
{
    const QStringList files = replay(QStringLiteral("day_notes"), yk::fuzz::fuzzDayNotes);
    EXPECT_GE(files.size(), 5);
    EXPECT_TRUE(files.contains(QStringLiteral("regress-bare-line-ends")));
}

TEST(FuzzCorpus, TextDecoding)
{
    const QStringList files = replay(QStringLiteral("text"), yk::fuzz::fuzzTextDecoding);
    EXPECT_GE(files.size(), 5);
    EXPECT_TRUE(files.contains(QStringLiteral("regress-leading-feff")));
}

TEST(FuzzCorpus, SstpReply)
{
    const QStringList files = replay(QStringLiteral("sstp_reply"), yk::fuzz::fuzzSstpReply);
    EXPECT_GE(files.size(), 5);
}

TEST(FuzzCorpus, PlayList)
{
    const QStringList files = replay(QStringLiteral("play_list"), yk::fuzz::fuzzPlayList);
    EXPECT_GE(files.size(), 5);
    EXPECT_TRUE(files.contains(QStringLiteral("shift-jis")));
    EXPECT_TRUE(files.contains(QStringLiteral("long-japanese-line")));
    EXPECT_TRUE(files.contains(QStringLiteral("repeated-path")));
}

TEST(FuzzCorpus, HandOverIntake)
{
    const QStringList files = replay(QStringLiteral("hand_over"), yk::fuzz::fuzzHandOverIntake);
    EXPECT_GE(files.size(), 5);
    EXPECT_TRUE(files.contains(QStringLiteral("long-japanese-line")));
}

TEST(FuzzCorpus, Id3Tag)
{
    const QStringList files = replay(QStringLiteral("id3_tag"), yk::fuzz::fuzzId3Tag);
    EXPECT_GE(files.size(), 5);
    EXPECT_TRUE(files.contains(QStringLiteral("shift-jis-tag")));
}

TEST(FuzzCorpus, LyricsText)
{
    const QStringList files = replay(QStringLiteral("lyrics_text"), yk::fuzz::fuzzLyricsText);
    EXPECT_GE(files.size(), 5);
    EXPECT_TRUE(files.contains(QStringLiteral("regress-long-script-line")));
    EXPECT_TRUE(files.contains(QStringLiteral("regress-joined-closing-lines")));
}

TEST(FuzzCorpus, LrcLyrics)
{
    const QStringList files = replay(QStringLiteral("lrc_lyrics"), yk::fuzz::fuzzLrcLyrics);
    EXPECT_GE(files.size(), 5);
    EXPECT_TRUE(files.contains(QStringLiteral("word-stamps")));
}

TEST(FuzzCorpus, TrackTags)
{
    const QStringList files = replay(QStringLiteral("track_tags"), yk::fuzz::fuzzTrackTags);
    EXPECT_GE(files.size(), 5);
    EXPECT_TRUE(files.contains(QStringLiteral("id3v2-size-lie")));
}

TEST(FuzzCorpusDeathTest, ABrokenRuleStopsTheRunAndNamesTheInput)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            yk::fuzz::setInputName("the-input");
            const auto lines = QStringList{QStringLiteral("a")}.size();
            YK_FUZZ_CHECK(lines == 2);
        },
        "fuzz check failed: lines == 2(.|\n)*input: the-input");
}

TEST(FuzzCorpus, TagEditing)
{
    const QStringList files = replay(QStringLiteral("tag_edit"), yk::fuzz::fuzzTagEditing);
    EXPECT_GE(files.size(), 5);
    EXPECT_TRUE(files.contains(QStringLiteral("mp3-lying-id3v2")));
}
