#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "media/PlayWindow.h"
#include "platform/TextFile.h"
#include "shell/App.h"
#include "shell/HandOver.h"
#include "shell/MainWindow.h"
#include "support/AppHarness.h"
#include "platform/TextFile.h"

using namespace yk;
using yk::test::Harness;
using yk::test::touch;

namespace {

const QString kFirst = QStringLiteral("\\t\\h\\s[0]まずは右クリックして色々設定してみてね♪\\e");
const QString kNormal = QStringLiteral("\\t\\h\\s[0]Yomikazeが起動しました♪\\e");
const QString kFarewell = QStringLiteral("\\t\\h\\s[0]Yomikazeが終了しました♪\\e");

} // namespace

TEST(StartUp, FirstStartMakesFoldersGreetsAndCreatesTheSettingsFile)
{
    Harness h;
    h.startAndSettle();
    for (const char* f : {"System", "wav", "img", "txt"})
        EXPECT_TRUE(QDir(h.path(QString::fromLatin1(f))).exists()) << f;
    EXPECT_TRUE(h.firstStart());
    ASSERT_FALSE(h.mascot.scripts.isEmpty());
    EXPECT_EQ(h.mascot.scripts.first(), kFirst);

    const auto lines = textfile::readLines(h.path(QStringLiteral("System/viw.ini")));
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), 1);
    EXPECT_EQ(lines->first().size(), 20);
    EXPECT_TRUE(h.clockTick().isActive());
}

TEST(StartUp, FirstStartWritesOurSkinAndShowsItFramed)
{
    Harness h;
    h.startAndSettle();
    for (const char* f : {"System/Back.jpg", "System/Flame.bmp", "System/Back2.jpg", "System/Flame2.bmp",
                          "System/Day.gif", "System/Day_Bar.gif", "System/Day_Bar2.gif", "wav/Opening.wav",
                          "wav/Time_Set.wav", "wav/Timer.wav"})
        EXPECT_TRUE(QFile::exists(h.path(QString::fromLatin1(f)))) << f;
    EXPECT_EQ(h.backgrounds().picturePath(), h.path(QStringLiteral("System/Back.jpg")));
    const QImage shown = h.form()->background().toImage();
    ASSERT_EQ(shown.size(), QSize(177, 177));
    // The frame's border is drawn over the picture; its middle shows the picture.
    const QImage frame(h.path(QStringLiteral("System/Flame.bmp")));
    EXPECT_EQ(shown.pixel(1, 1), frame.pixel(1, 1));
    EXPECT_FALSE(h.label(QStringLiteral("Img_toujitu_9"))->pixmap().isNull());
    EXPECT_TRUE(h.device.log().contains(QStringLiteral("DeviceType=WaveAudio")));
}

TEST(StartUp, BackgroundModesChooseTheSlotOrFallBack)
{
    auto startWith = [](Harness& h, const QString& mode, const QStringList& slotFiles) {
        QDir(h.dir.path()).mkpath(QStringLiteral("System"));
        touch(h.path(QStringLiteral("System/Back.jpg")), "not really a picture");
        QStringList lines{QStringLiteral("00000000000000000000")};
        for (int k = 1; k <= 12; ++k) {
            const QString f = k <= slotFiles.size() ? slotFiles[k - 1] : QString();
            if (!f.isEmpty())
                touch(h.path(f));
            lines.append(f.isEmpty() ? QStringLiteral(" ") : h.path(f));
        }
        lines.append(mode);
        ASSERT_TRUE(textfile::writeLines(h.path(QStringLiteral("System/viw.ini")), lines));
        h.startAndSettle();
    };
    {
        Harness h;   // random with empty slots: the fallback picture
        startWith(h, QStringLiteral("R"), {});
        EXPECT_EQ(h.backgrounds().picturePath(), h.path(QStringLiteral("System/Back.jpg")));
        EXPECT_EQ(h.settings().backgroundMode, QStringLiteral("R"));
    }
    {
        Harness h;   // a fixed slot
        startWith(h, QStringLiteral("2"), {QStringLiteral("img/one.jpg"), QStringLiteral("img/two.jpg")});
        EXPECT_EQ(h.backgrounds().picturePath(), h.path(QStringLiteral("img/two.jpg")));
    }
    {
        Harness h;   // monthly: December's slot
        QStringList files;
        for (int k = 1; k <= 12; ++k)
            files.append(QStringLiteral("img/m%1.jpg").arg(k));
        startWith(h, QStringLiteral("M"), files);
        EXPECT_EQ(h.backgrounds().picturePath(), h.path(QStringLiteral("img/m12.jpg")));
    }
    {
        Harness h;   // in turn: advances once per start, 12 wraps to 1
        QStringList files;
        for (int k = 1; k <= 12; ++k)
            files.append(QStringLiteral("img/l%1.jpg").arg(k));
        startWith(h, QStringLiteral("L12"), files);
        EXPECT_EQ(h.settings().backgroundMode, QStringLiteral("L01"));
        EXPECT_EQ(h.backgrounds().picturePath(), h.path(QStringLiteral("img/l1.jpg")));
        h.key(Qt::Key_Right);   // a later redraw does not advance again
        EXPECT_EQ(h.settings().backgroundMode, QStringLiteral("L01"));
    }
}

TEST(StartUp, NormalStartGreetsAsUsualAndAbsentMascotHearsNothing)
{
    Harness h;
    QDir(h.dir.path()).mkpath(QStringLiteral("txt"));
    QDir(h.dir.path()).mkpath(QStringLiteral("System"));
    h.startAndSettle();
    EXPECT_FALSE(h.firstStart());
    ASSERT_EQ(h.mascot.scripts.size(), 1);
    EXPECT_EQ(h.mascot.scripts.first(), kNormal);

    Harness quiet;
    quiet.mascot.present = false;
    quiet.startAndSettle();
    EXPECT_TRUE(quiet.mascot.scripts.isEmpty());
}

TEST(StartUp, OpeningSoundPrefersWavThenMp3ThenNothing)
{
    {
        Harness h;
        touch(h.path(QStringLiteral("wav/Opening.wav")));
        touch(h.path(QStringLiteral("wav/Opening.mp3")));
        h.startAndSettle();
        EXPECT_EQ(h.device.log(), (QStringList{QStringLiteral("Command=Close"), QStringLiteral("DeviceType=WaveAudio"),
                                               QStringLiteral("FileName=") + h.path(QStringLiteral("wav/Opening.wav")),
                                               QStringLiteral("Command=Open"), QStringLiteral("Command=Play")}));
        EXPECT_TRUE(h.player().systemSoundPlaying());
        EXPECT_EQ(h.label(QStringLiteral("lbl_Play_Name"))->text(), QStringLiteral("Yomikaze V1.35"));
    }
    {
        Harness h;
        QDir(h.dir.path()).mkpath(QStringLiteral("System"));   // not a first start: no default sounds
        touch(h.path(QStringLiteral("wav/Opening.mp3")));
        h.startAndSettle();
        EXPECT_TRUE(h.device.log().contains(QStringLiteral("DeviceType=MpegVideo")));
        EXPECT_TRUE(h.player().systemSoundPlaying());
    }
    {
        Harness h;
        QDir(h.dir.path()).mkpath(QStringLiteral("System"));   // no default skin written
        h.startAndSettle();
        EXPECT_TRUE(h.device.log().isEmpty());
        EXPECT_FALSE(h.player().systemSoundPlaying());
    }
}

TEST(StartUp, StartWithFilesFillsTheListRaisesPlayStartAndPlaysNoOpening)
{
    Harness h;
    touch(h.path(QStringLiteral("wav/Opening.wav")));
    touch(h.path(QStringLiteral("music/b.mp3")));
    touch(h.path(QStringLiteral("music/a.wav")));
    touch(h.path(QStringLiteral("music/notes.txt")));
    touch(h.path(QStringLiteral("music/sub/c.mid")));
    touch(h.path(QStringLiteral("single.mp3")));
    h.startAndSettle({h.path(QStringLiteral("single.mp3")), h.path(QStringLiteral("music"))});

    const QStringList expected{h.path(QStringLiteral("single.mp3")), h.path(QStringLiteral("music/a.wav")),
                               h.path(QStringLiteral("music/b.mp3")), h.path(QStringLiteral("music/sub/c.mid"))};
    EXPECT_EQ(h.playList().entries(), expected);
    EXPECT_TRUE(h.player().playStartPending());
    EXPECT_FALSE(h.player().systemSoundPlaying());
    EXPECT_TRUE(h.device.log().isEmpty());
    EXPECT_EQ(h.label(QStringLiteral("lbl_Play_Name"))->text(), QStringLiteral("1.single"));
    // Settings are read even with a command line, so the clock ticks.
    EXPECT_TRUE(h.clockTick().isActive());
}

TEST(StartUp, StartWithOnlyMissingFilesDoesNotStartPlayback)
{
    Harness h;
    h.startAndSettle({h.path(QStringLiteral("gone.mp3"))});
    EXPECT_TRUE(h.playList().isEmpty());
    EXPECT_FALSE(h.player().playStartPending());
    EXPECT_TRUE(h.clockTick().isActive());
}

TEST(StartUp, VolumeKnobFollowsTheMixerLeftChannel)
{
    const std::pair<std::optional<quint32>, int> cases[] = {
        // Without a mixer the streams' own volume, which starts full.
        {std::nullopt, 71}, {0u, 7}, {0xFFFFu, 71}, {0x8000u, 7 + 32}, {0xFFFF0000u, 7}};
    for (const auto& [volume, x] : cases) {
        Harness h;
        h.mixer.value = volume;
        h.startAndSettle();
        EXPECT_EQ(h.label(QStringLiteral("img_Vol"))->x(), x);
    }
}

TEST(StartUp, WorkAreaIsReadOnce)
{
    Harness h;
    h.startAndSettle();
    EXPECT_EQ(h.workArea(), QRect(0, 0, 1280, 1024));
}

TEST(StartUp, ScheduleMarkShowsWhenTodayHasANoteWhateverTheCase)
{
    Harness h;
    touch(h.path(QStringLiteral("txt/20261208.TXT")), "abc\r\n&%All\r\n&%AM\r\n\r\n");
    h.startAndSettle();
    EXPECT_FALSE(h.label(QStringLiteral("Img_Yotei"))->isHidden());

    Harness none;
    none.startAndSettle();
    EXPECT_TRUE(none.label(QStringLiteral("Img_Yotei"))->isHidden());
}

TEST(StartUp, CalendarShowsTodaysMonth)
{
    Harness h;
    h.startAndSettle();
    EXPECT_EQ(h.label(QStringLiteral("lblTitle"))->text(), QStringLiteral("2026"));
    EXPECT_EQ(h.label(QStringLiteral("LblTitle_2"))->text(), QStringLiteral("12"));
    // 1 December 2026 is a Tuesday: cell 2.
    EXPECT_EQ(h.label(QStringLiteral("lblday_2"))->text(), QStringLiteral("1"));
    EXPECT_TRUE(h.label(QStringLiteral("lblday_1"))->text().isEmpty());
    EXPECT_FALSE(h.label(QStringLiteral("Img_toujitu_9"))->isHidden());   // the 8th
    // Empty colours got their defaults, to be saved with the settings.
    EXPECT_EQ(h.settings().sundayColour, QStringLiteral("255"));
}

TEST(Shutdown, EndCommandSavesFullSettingsAndSaysGoodbyeLast)
{
    Harness h;
    h.startAndSettle();
    QSignalSpy finished(h.app.get(), &App::finished);
    h.app->shutdown();
    EXPECT_EQ(finished.count(), 1);
    ASSERT_FALSE(h.mascot.scripts.isEmpty());
    EXPECT_EQ(h.mascot.scripts.last(), kFarewell);
    EXPECT_GE(h.mascot.flushes, 1);
    const auto lines = textfile::readLines(h.path(QStringLiteral("System/viw.ini")));
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), 51);
    EXPECT_EQ(lines->at(14), QStringLiteral("TN"));
    EXPECT_EQ(lines->at(46), QStringLiteral("Sun_Color255"));
    EXPECT_EQ(lines->at(50), QStringLiteral("Lyrics Null"));
    // A second End does nothing more.
    h.app->shutdown();
    EXPECT_EQ(finished.count(), 1);
}

TEST(Shutdown, SystemCloseSavesButSendsNoFarewell)
{
    Harness h;
    h.startAndSettle();
    h.settings().backgroundMode = QStringLiteral("M");
    h.app->systemClose();
    EXPECT_FALSE(h.mascot.scripts.contains(kFarewell));
    const auto lines = textfile::readLines(h.path(QStringLiteral("System/viw.ini")));
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), 51);
    EXPECT_EQ(lines->at(13), QStringLiteral("M"));
}

TEST(HandOver, SecondStartWritesQuotedPathsOrNothing)
{
    QTemporaryDir dir;
    const AppPaths paths(dir.path());
    const QString lst = paths.handOverFile();

    handOverToRunningCopy(paths, {});
    EXPECT_FALSE(QFile::exists(lst));

    const QString song = dir.path() + QStringLiteral("/a song with blanks.mp3");
    touch(song);
    handOverToRunningCopy(paths, {song});
    QFile f(lst);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), (u'"' + song + QStringLiteral("\"\r\n")).toUtf8());
    f.close();

    touch(dir.path() + QStringLiteral("/m/1.wav"));
    touch(dir.path() + QStringLiteral("/m/z/2.mid"));
    touch(dir.path() + QStringLiteral("/m/read.txt"));
    handOverToRunningCopy(paths, {dir.path() + QStringLiteral("/m")});
    const auto lines = textfile::readLines(lst);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, (QStringList{u'"' + dir.path() + QStringLiteral("/m/1.wav\""),
                                   u'"' + dir.path() + QStringLiteral("/m/z/2.mid\"")}));
}

TEST(StartUp, FirstStartWithAFileStillCreatesTheSettingsFile)
{
    Harness h;
    touch(h.path(QStringLiteral("song.mp3")));
    h.startAndSettle({h.path(QStringLiteral("song.mp3"))});
    EXPECT_TRUE(QFile::exists(h.path(QStringLiteral("System/viw.ini"))));
    EXPECT_TRUE(h.player().playStartPending());
}

TEST(StartUp, AWindowStoredOffTheDesktopComesBackIntoReach)
{
    Harness h;
    QDir(h.dir.path()).mkpath(QStringLiteral("System"));
    // Top 60000 and left 90000 twips: 4000 x 6000 pixels, on a screen long gone.
    ASSERT_TRUE(textfile::writeLines(h.path(QStringLiteral("System/viw.ini")),
                                     {QStringLiteral("00000600000000090000")}));
    h.startAndSettle();
    const QRect area(0, 0, 1280, 1024);
    EXPECT_TRUE(area.contains(h.form()->geometry())) << h.form()->x() << "," << h.form()->y();

    Harness kept;
    QDir(kept.dir.path()).mkpath(QStringLiteral("System"));
    ASSERT_TRUE(textfile::writeLines(kept.path(QStringLiteral("System/viw.ini")),
                                     {QStringLiteral("00000030000000004500")}));
    kept.startAndSettle();
    EXPECT_EQ(kept.form()->pos(), QPoint(300, 200));
}

TEST(Shutdown, ALogOffRequestSavesButKeepsTheProgramRunning)
{
    Harness h;
    h.startAndSettle();
    h.settings().backgroundMode = QStringLiteral("M");
    QSignalSpy finished(h.app.get(), &App::finished);
    h.app->commitData();
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(h.clockTick().isActive());
    EXPECT_TRUE(h.form()->isVisible());
    const auto lines = textfile::readLines(h.path(QStringLiteral("System/viw.ini")));
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), 51);
    EXPECT_EQ(lines->at(13), QStringLiteral("M")); // the background mode's line
    // The session really ends: saved again, hot key released, the program goes.
    h.app->systemClose();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(h.clockTick().isActive());
}
