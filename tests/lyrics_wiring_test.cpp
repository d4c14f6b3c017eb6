// Timed lyrics as the program wires them: the player's track start and
// position, the lyrics label and the month title, the mascot, the stop
// keys and the double click on the label.

#include <QTest>

#include "support/AppHarness.h"
#include "support/TestUtil.h"

#include "media/Player.h"
#include "core/Settings.h"

using namespace yk;
using yk::test::Harness;
using yk::test::touch;

namespace {

// A harness playing "m/a.mp3" (with lyrics beside it) and "m/b.mp3".
struct LyricsHarness : Harness
{
    LyricsHarness(QByteArray lyricsOfA = "[00:01]first line\r\n[00:03]\\h\\s[5]second ライン\r\n")
    {
        QDir(dir.path()).mkpath(QStringLiteral("System")); // no opening sound
        touch(path(QStringLiteral("m/a.mp3")));
        touch(path(QStringLiteral("m/b.mp3")));
        if (!lyricsOfA.isEmpty())
            touch(path(QStringLiteral("m/a.txt")), lyricsOfA);
        startAndSettle({path(QStringLiteral("m"))});
        device.setLength(600'000);
        tick(); // starts a.mp3
    }
    QLabel* lyrics() const { return label(QStringLiteral("lbl_Lyrics")); }
    int titleTop() const { return label(QStringLiteral("LblTitle_2"))->y(); }
    bool lyricsShown() const { return lyrics()->isVisibleTo(form()); }
    // Ticks until the label shows (the lookup runs off the UI thread).
    bool waitShown()
    {
        return yk::test::spinUntil([this] {
            tick();
            return lyricsShown();
        });
    }
    void playTo(qint64 ms)
    {
        device.setPosition(ms);
        player().refreshPosition();
    }
};

} // namespace

TEST(LyricsWiring, TrackWithLyricsBesideItShowsTheLineAndTellsTheMascot)
{
    LyricsHarness h;
    EXPECT_EQ(h.titleTop(), 6);
    ASSERT_TRUE(h.waitShown());
    EXPECT_EQ(h.titleTop(), 12);
    h.mascot.scripts.clear();

    h.playTo(1500);
    EXPECT_EQ(h.lyrics()->text(), QStringLiteral("first line"));
    h.playTo(2500);
    EXPECT_EQ(h.lyrics()->text(), QStringLiteral("first line"));
    h.playTo(3100);
    EXPECT_EQ(h.lyrics()->text(), QStringLiteral("\\h\\s[5]second ライン"));
    EXPECT_EQ(h.mascot.scripts, (QStringList{QStringLiteral("\\n\\w2first line"),
                                             QStringLiteral("\\n\\h\\s[5]second \\w2ライン")}));
}

TEST(LyricsWiring, EndKeyHidesTheLabelAndPutsTheTitleBack)
{
    LyricsHarness h;
    ASSERT_TRUE(h.waitShown());
    h.playTo(1000);
    h.key(Qt::Key_End);
    ASSERT_TRUE(yk::test::spinUntil([&] { return !h.lyricsShown(); }, 1000));
    EXPECT_EQ(h.titleTop(), 6);
    EXPECT_EQ(h.lyrics()->text(), QString());
    // Timed lyrics are off: no line follows the position any more.
    h.mascot.scripts.clear();
    h.playTo(3000);
    EXPECT_TRUE(h.mascot.scripts.isEmpty());
    h.tick();
    EXPECT_FALSE(h.lyricsShown());
}

TEST(LyricsWiring, CtrlStopsTheLyricsToo)
{
    LyricsHarness h;
    ASSERT_TRUE(h.waitShown());
    h.key(Qt::Key_Control);
    ASSERT_TRUE(yk::test::spinUntil([&] { return !h.lyricsShown(); }, 1000));
    EXPECT_EQ(h.titleTop(), 6);
    h.playTo(1000);
    EXPECT_EQ(h.lyrics()->text(), QString());
}

TEST(LyricsWiring, NextTrackWithoutLyricsHidesTheLabel)
{
    LyricsHarness h;
    ASSERT_TRUE(h.waitShown());
    h.playTo(1000);
    h.device.finishTrack();
    h.tick(); // end of a.mp3, b.mp3 starts
    EXPECT_EQ(h.device.fileName(), h.path(QStringLiteral("m/b.mp3")));
    ASSERT_TRUE(yk::test::spinUntil([&] { return !h.lyricsShown(); }));
    EXPECT_EQ(h.titleTop(), 6);
    h.mascot.scripts.clear();
    h.playTo(1000);
    EXPECT_TRUE(h.mascot.scripts.isEmpty());
}

TEST(LyricsWiring, LyricsFolderFromTheSettingsIsSearched)
{
    LyricsHarness h("");
    // a.mp3 has no lyrics beside it: hidden.
    h.tick();
    EXPECT_FALSE(h.lyricsShown());
    touch(h.path(QStringLiteral("lyrics/index.txt")));
    touch(h.path(QStringLiteral("lyrics/singer/b.txt")), "[00:02]from the folder\r\n");
    h.settings().lyricsFolder = h.path(QStringLiteral("lyrics"));
    h.key(Qt::Key_PageDown);
    ASSERT_TRUE(h.waitShown());
    h.playTo(2000);
    EXPECT_EQ(h.lyrics()->text(), QStringLiteral("from the folder"));
}

TEST(LyricsWiring, DoubleClickOnTheLabelOpensTheLyricsFile)
{
    LyricsHarness h;
    ASSERT_TRUE(h.waitShown());
    QTest::mouseDClick(h.lyrics(), Qt::LeftButton);
    EXPECT_EQ(h.shell.opened, QStringList{h.path(QStringLiteral("m/a.txt"))});
    // Elsewhere it does not.
    QTest::mouseDClick(h.label(QStringLiteral("lbl_Play_Name")), Qt::LeftButton);
    EXPECT_EQ(h.shell.opened.size(), 1);
}
