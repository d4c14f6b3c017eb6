#include <QAbstractButton>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>

#include "launcher/DirForm.h"
#include "platform/TextFile.h"
#include "skin/BackWindow.h"
#include "support/AppHarness.h"

using namespace yk;
using yk::test::Harness;
using yk::test::touch;

TEST(AlwaysOnTop, TogglingTwiceLeavesTheSettingAndTheTrayClickRaisesOnly)
{
    Harness h;
    h.startAndSettle();
    Form1& f = *h.app->form();
    EXPECT_FALSE(h.app->settings().Top_Flag);
    h.app->Top_YN();
    EXPECT_TRUE(h.app->settings().Top_Flag);
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(f.isVisible());
    h.app->Top_YN();
    EXPECT_FALSE(h.app->settings().Top_Flag);
    EXPECT_FALSE(f.windowFlags() & Qt::WindowStaysOnTopHint);

    // A left click on the tray icon brings the windows forward without
    // leaving the setting on; with the setting on it changes nothing.
    h.app->onTrayActivated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(h.app->settings().Top_Flag);
    h.app->Top_YN();
    h.app->onTrayActivated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(h.app->settings().Top_Flag);
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(Backgrounds, RightClickShowsASlotAndThePickerRegistersOne)
{
    Harness h;
    h.startAndSettle();
    h.mascot.scripts.clear();
    h.app->openBackgroundWindow();
    BackWindow* back = h.app->backWindow();
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(h.mascot.scripts.size(), 1);
    EXPECT_TRUE(h.mascot.scripts.first().startsWith(QStringLiteral("\\t\\u\\s[0]番号の下の枠")));

    // Left click on thumbnail 3 opens the picker in background mode.
    QWidget* thumb = back->findChild<QWidget*>(QStringLiteral("IMG_TOP_2"));
    ASSERT_NE(thumb, nullptr);
    QTest::mouseClick(thumb, Qt::LeftButton);
    Dir_Form* picker = h.app->picker();
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(picker->windowTitle().endsWith(QStringLiteral("背景登録")));

    // Register a picture by typing its path and pressing Enter.
    const QString picture = h.path(QStringLiteral("img/sky.png"));
    QDir().mkpath(h.path(QStringLiteral("img")));
    QImage img(177, 177, QImage::Format_RGB32);
    img.fill(QColor(20, 120, 200));
    ASSERT_TRUE(img.save(picture));
    auto* text1 = picker->findChild<QLineEdit*>(QStringLiteral("Text1"));
    ASSERT_NE(text1, nullptr);
    text1->setText(picture);
    QTest::keyClick(text1, Qt::Key_Return);
    EXPECT_EQ(h.app->settings().Back_Slot[3], picture);

    // Right click on it shows it at once and makes it the mode.
    QTest::mouseClick(thumb, Qt::RightButton);
    EXPECT_EQ(h.app->backgroundPath(), picture);
    EXPECT_EQ(h.app->settings().Back_Mode, QStringLiteral("3"));
    // The frame stays drawn over the new picture, its middle shows the sky.
    const QImage shown = h.app->form()->background().toImage();
    EXPECT_EQ(QColor(shown.pixel(88, 100)), QColor(20, 120, 200));

    // "戻る(&E)" saves the settings with the new slot.
    picker->findChild<QAbstractButton*>(QStringLiteral("Command1"))->click();
    const auto lines = textfile::readLines(h.path(QStringLiteral("System/viw.ini")));
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), 51);
    EXPECT_EQ(lines->at(3), picture);
    EXPECT_EQ(lines->at(13), QStringLiteral("3"));
}

TEST(Launcher, EntriesStartThroughTheShellOnlyWhenTheirProgramExists)
{
    Harness h;
    h.startAndSettle();
    const QString tool = h.path(QStringLiteral("exe/tool.EXE"));
    touch(tool);
    h.app->settings().Reg_List[1] = tool;
    h.app->settings().Reg_List[4] = h.path(QStringLiteral("exe/gone.exe"));
    h.app->startLauncherEntry(1);
    h.app->startLauncherEntry(4);
    h.app->startLauncherEntry(0);
    EXPECT_EQ(h.shell.started, QStringList{tool});
}

TEST(Help, ShortCutWinsThenReadmeThenNothing)
{
    Harness h;
    h.startAndSettle();
    QFile::remove(h.path(QStringLiteral("ShortCut.txt")));
    QFile::remove(h.path(QStringLiteral("Readme.txt")));
    h.app->openHelp();
    EXPECT_TRUE(h.shell.opened.isEmpty());
    touch(h.path(QStringLiteral("Readme.txt")));
    h.app->openHelp();
    touch(h.path(QStringLiteral("ShortCut.txt")));
    h.app->openHelp();
    EXPECT_EQ(h.shell.opened,
              (QStringList{h.path(QStringLiteral("Readme.txt")), h.path(QStringLiteral("ShortCut.txt"))}));
}
