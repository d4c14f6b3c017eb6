#include <QAbstractButton>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>

#include <QMenu>
#include <QPushButton>

#include "launcher/FilePickerWindow.h"
#include "shell/AboutWindow.h"
#include "shell/PopupMenu.h"
#include "platform/TextFile.h"
#include "skin/BackWindow.h"
#include "support/TestUtil.h"
#include "support/AppHarness.h"

using yk::test::child;

using namespace yk;
using yk::test::Harness;
using yk::test::touch;

TEST(AlwaysOnTop, TogglingTwiceLeavesTheSettingAndTheTrayClickRaisesOnly)
{
    Harness h;
    h.startAndSettle();
    EXPECT_FALSE(h.settings().alwaysOnTop);
    h.menu(QStringLiteral("mnu_Top"));
    EXPECT_TRUE(h.settings().alwaysOnTop);
    EXPECT_TRUE(h.form()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(h.form()->isVisible());
    h.menu(QStringLiteral("mnu_Top"));
    EXPECT_FALSE(h.settings().alwaysOnTop);
    EXPECT_FALSE(h.form()->windowFlags() & Qt::WindowStaysOnTopHint);

    // A left click on the tray icon brings the windows forward without
    // leaving the setting on; with the setting on it changes nothing.
    Q_EMIT h.tray.clicked();
    EXPECT_FALSE(h.settings().alwaysOnTop);
    h.menu(QStringLiteral("mnu_Top"));
    Q_EMIT h.tray.clicked();
    EXPECT_TRUE(h.settings().alwaysOnTop);
    EXPECT_TRUE(h.form()->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(Backgrounds, RightClickShowsASlotAndThePickerRegistersOne)
{
    Harness h;
    h.startAndSettle();
    h.mascot.scripts.clear();
    h.menu(QStringLiteral("mnu_Haikei"));
    BackWindow* back = h.windows().backWindow();
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(h.mascot.scripts.size(), 1);
    EXPECT_TRUE(h.mascot.scripts.first().startsWith(QStringLiteral("\\t\\u\\s[0]番号の下の枠")));

    // Left click on thumbnail 3 opens the picker in background mode.
    QWidget* thumb = back->findChild<QWidget*>(QStringLiteral("IMG_TOP_2"));
    ASSERT_NE(thumb, nullptr);
    QTest::mouseClick(thumb, Qt::LeftButton);
    FilePickerWindow* picker = h.windows().picker();
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
    EXPECT_EQ(h.settings().backgroundSlots[3], picture);

    // Right click on it shows it at once and makes it the mode.
    QTest::mouseClick(thumb, Qt::RightButton);
    EXPECT_EQ(h.backgrounds().picturePath(), picture);
    EXPECT_EQ(h.settings().backgroundMode, QStringLiteral("3"));
    // The frame stays drawn over the new picture, its middle shows the sky.
    const QImage shown = h.form()->background().toImage();
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
    h.settings().registrations[1] = tool;
    h.settings().registrations[4] = h.path(QStringLiteral("exe/gone.exe"));
    EXPECT_TRUE(h.menuCommands().run(QStringLiteral("mnu_Apr2")));
    EXPECT_TRUE(h.menuCommands().run(QStringLiteral("mnu_Apr5")));
    EXPECT_TRUE(h.menuCommands().run(QStringLiteral("mnu_Apr1")));
    EXPECT_EQ(h.shell.started, QStringList{tool});
}

TEST(Help, ShortCutWinsThenReadmeThenNothing)
{
    Harness h;
    h.startAndSettle();
    QFile::remove(h.path(QStringLiteral("ShortCut.txt")));
    QFile::remove(h.path(QStringLiteral("Readme.txt")));
    h.menu(QStringLiteral("mnu_Help"));
    EXPECT_TRUE(h.shell.opened.isEmpty());
    touch(h.path(QStringLiteral("Readme.txt")));
    h.menu(QStringLiteral("mnu_Help"));
    touch(h.path(QStringLiteral("ShortCut.txt")));
    h.menu(QStringLiteral("mnu_Help"));
    EXPECT_EQ(h.shell.opened,
              (QStringList{h.path(QStringLiteral("Readme.txt")), h.path(QStringLiteral("ShortCut.txt"))}));
}

TEST(PopupMenu, OpensOnRightReleaseAndSpaceAndItsItemsDoTheirWork)
{
    Harness h;
    h.startAndSettle();
    QMenu* menu = h.menu()->menu();
    QTest::mouseClick(h.label(QStringLiteral("lblday_12")), Qt::RightButton);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    h.key(Qt::Key_Space);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();

    // Background slot 5 is empty: the fallback picture, and "5" becomes the mode.
    h.menu(QStringLiteral("mnu_No5"));
    EXPECT_EQ(h.settings().backgroundMode, QStringLiteral("5"));
    EXPECT_EQ(h.backgrounds().picturePath(), h.path(QStringLiteral("System/Back.jpg")));
    h.menu(QStringLiteral("mnu_Loop"));
    EXPECT_EQ(h.settings().backgroundMode, QStringLiteral("L05"));
    h.popupMenu(QPoint(0, 0), true);
    EXPECT_TRUE(h.menu()->item(QStringLiteral("mnu_Loop"))->isChecked());
    menu->hide();

    h.menu(QStringLiteral("mnu_Top"));
    EXPECT_TRUE(h.settings().alwaysOnTop);
    EXPECT_TRUE(h.menu()->item(QStringLiteral("mnu_Top"))->isChecked());

    QSignalSpy finished(h.app.get(), &App::finished);
    h.menu(QStringLiteral("mnu_End"));
    EXPECT_EQ(finished.count(), 1);
}

TEST(PopupMenu, LauncherItemsFollowTheRegisteredProgramsAfterAboutOk)
{
    Harness h;
    h.startAndSettle();
    EXPECT_FALSE(h.menu()->item(QStringLiteral("mnu_Ber5"))->isVisible());
    const QString memo = h.path(QStringLiteral("exe/memo.exe"));
    touch(memo);
    h.settings().registrations[2] = memo;

    h.mascot.scripts.clear();
    h.menu(QStringLiteral("mnu_Properties"));
    AboutWindow* about = h.windows().about();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    ASSERT_EQ(h.mascot.scripts.size(), 1);
    EXPECT_EQ(h.mascot.scripts.first(), AboutWindow::kOpenHint);
    child<QPushButton>(about, "cmdOK")->click();
    QAction* third = h.menu()->item(QStringLiteral("mnu_Apr3"));
    EXPECT_TRUE(third->isVisible());
    EXPECT_EQ(third->text(), QStringLiteral("memo"));
    EXPECT_TRUE(h.menu()->item(QStringLiteral("mnu_Ber5"))->isVisible());

    EXPECT_TRUE(h.menuCommands().run(QStringLiteral("mnu_Apr3")));
    EXPECT_EQ(h.shell.started, QStringList{memo});
}

TEST(Help, FirstStartWritesBothHelpFiles)
{
    Harness h;
    h.startAndSettle();
    EXPECT_TRUE(QFile::exists(h.path(QStringLiteral("ShortCut.txt"))));
    EXPECT_TRUE(QFile::exists(h.path(QStringLiteral("Readme.txt"))));
    h.menu(QStringLiteral("mnu_Help"));
    EXPECT_EQ(h.shell.opened, QStringList{h.path(QStringLiteral("ShortCut.txt"))});
}
