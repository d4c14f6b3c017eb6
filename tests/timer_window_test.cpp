#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "launcher/FilePickerWindow.h"
#include "core/Settings.h"
#include "ui/ToolWindow.h"
#include "core/Twips.h"
#include "support/AppHarness.h"
#include "timers/TimerWindow.h"

using namespace yk;
using yk::test::FakeMascot;
using yk::test::Harness;
using yk::test::touch;

namespace {

// The window on its own, with every outside call recorded.
struct WindowTest : ::testing::Test
{
    QTemporaryDir dir;
    Settings settings{dir.filePath(QStringLiteral("System/viw.ini"))};
    FakeMascot mascot;
    QStringList colours;
    QList<QWidget*> colourParents;
    QList<std::pair<PickerMode, int>> pickers;
    int menuRefreshes = 0;
    QString folderAnswer;
    std::unique_ptr<TimerWindow> w;

    TimerWindow& open()
    {
        TimerWindow::Services s{settings, mascot};
        s.chooseColour = [this](const QString& button, QWidget* parent) {
            colours << button;
            colourParents << parent;
        };
        s.openPicker = [this](PickerMode mode, int slot) { pickers.append({mode, slot}); };
        s.refreshLauncherMenu = [this] { ++menuRefreshes; };
        s.chooseFolder = [this](QWidget*, const QString& title, std::function<void(const QString&)> chosen) {
            EXPECT_EQ(title, TimerWindow::kFolderTitle);
            if (!folderAnswer.isEmpty())
                chosen(folderAnswer);
        };
        w = std::make_unique<TimerWindow>(s);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        return *w;
    }
    template <typename T = QWidget>
    T* child(const char* name) const
    {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QLineEdit* box(const char* name) const { return child<QLineEdit>(name); }
    QWidget* focused() const { return w->focusWidget(); }
    QString setCaption() const { return child<QPushButton>("cmb_Set")->text(); }
    // Types into a time box as the user does: the box takes the focus and
    // its whole text is replaced.
    void type(const char* name, const QString& text)
    {
        QLineEdit* b = box(name);
        // A grey box passes the click to its group, which wakes.
        if (!b->isEnabled())
            QTest::mouseClick(b, Qt::LeftButton);
        b->setFocus();
        b->selectAll();
        QTest::keyClicks(b, text);
    }
};

} // namespace

TEST_F(WindowTest, EveryControlCarriesItsName)
{
    open();
    EXPECT_EQ(w->objectName(), QStringLiteral("Timer"));
    EXPECT_EQ(w->windowTitle(), TimerWindow::kCaption);
    for (const char* name :
         {"fla_1", "opt_3M", "opt_5M", "opt_10M", "lbl_Focas_1", "fla_3", "txt_H", "lbl_Point", "txt_M", "lbl_Fungo",
          "lbl_Focas_2", "fla_2", "opt_AM", "opt_PM", "txt_H_2", "lbl_Point_2", "txt_M_2", "lbl_Focas_3", "cmb_Set",
          "cmb_Next", "cek_Time_Off", "cek_Exit_Win", "fra_D", "cmb_Apr_Dir", "txt_Apr", "txt_Apr_No", "cek_Apr",
          "cmb_Dir", "cmd_Apr_Del", "Fra_E", "cmb_Wav_Dir", "txt_Wav", "txt_Wav_No", "cek_Audio", "cmb_Dir2",
          "cmd_Wav_Del", "fra_Lyrics", "txt_Lyrics", "cmd_Lyrics", "cmd_Lyrics_Del", "fla_Color", "cmd_Y", "cmd_M",
          "cmd_T", "cmd_Sun", "cmd_W_D", "cmd_Sat"})
        EXPECT_NE(w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
}

TEST_F(WindowTest, ColourButtonsReachTheChooserWithTheirOwnName)
{
    open();
    const QStringList names{QStringLiteral("cmd_Y"),   QStringLiteral("cmd_M"),   QStringLiteral("cmd_T"),
                            QStringLiteral("cmd_Sun"), QStringLiteral("cmd_W_D"), QStringLiteral("cmd_Sat")};
    for (const QString& name : names)
        w->findChild<QPushButton*>(name)->click();
    EXPECT_EQ(colours, names);
    for (QWidget* parent : colourParents)
        EXPECT_EQ(parent, w.get());
}

TEST_F(WindowTest, TypingIntoTheBoxesFollowsTheInputRules)
{
    open();
    type("txt_H_2", QStringLiteral("15"));
    EXPECT_EQ(box("txt_H_2")->text(), QStringLiteral("3"));
    EXPECT_TRUE(child<QRadioButton>("opt_PM")->isChecked());
    EXPECT_EQ(setCaption(), QStringLiteral("PM3時0分にセットします♪"));
    // The other groups went grey.
    EXPECT_FALSE(child("opt_3M")->isEnabled());
    EXPECT_FALSE(box("txt_H")->isEnabled());

    type("txt_H", QStringLiteral("x"));
    EXPECT_EQ(box("txt_H")->text(), QStringLiteral("00"));
    EXPECT_EQ(box("txt_H")->selectedText(), QStringLiteral("00")) << "the next key replaces it";
    EXPECT_FALSE(child("opt_PM")->isEnabled());
    type("txt_M", QStringLiteral("75"));
    EXPECT_EQ(box("txt_M")->text(), QStringLiteral("00"));
    type("txt_M", QStringLiteral("45"));
    EXPECT_EQ(setCaption(), QStringLiteral("45分後にセットします♪"));

    // Enter: 12 o'clock cannot move on, 11 can.
    type("txt_H_2", QStringLiteral("12"));
    QTest::keyClick(box("txt_H_2"), Qt::Key_Return);
    EXPECT_EQ(box("txt_H_2")->text(), QStringLiteral("00"));
    type("txt_H_2", QStringLiteral("11"));
    QTest::keyClick(box("txt_H_2"), Qt::Key_Return);
    EXPECT_EQ(focused(), box("txt_M_2"));
    QTest::keyClick(box("txt_M_2"), Qt::Key_Return);
    EXPECT_EQ(focused(), child("cmb_Set"));
}

TEST_F(WindowTest, PageKeysCycleTheGroupsAndFocusTheirControl)
{
    settings.timerPreset = QStringLiteral("Time A10");
    open();
    EXPECT_TRUE(child<QRadioButton>("opt_10M")->isChecked());
    EXPECT_EQ(setCaption(), QStringLiteral("10分後にセットします♪"));
    child("opt_10M")->setFocus();
    QTest::keyClick(focused(), Qt::Key_PageDown);
    EXPECT_TRUE(box("txt_H")->isEnabled());
    EXPECT_FALSE(child("opt_10M")->isEnabled());
    EXPECT_EQ(focused(), box("txt_H"));
    QTest::keyClick(focused(), Qt::Key_PageDown);
    EXPECT_EQ(focused(), child("opt_AM")) << "no half chosen: AM takes the focus";
    QTest::keyClick(focused(), Qt::Key_PageDown);
    EXPECT_EQ(focused(), child("opt_10M"));
    QTest::keyClick(focused(), Qt::Key_PageUp);
    EXPECT_TRUE(child("txt_H_2")->isEnabled());
    QTest::keyClick(focused(), Qt::Key_PageUp);
    EXPECT_EQ(focused(), box("txt_H"));

    // A click on a grey option wakes its group and chooses it.
    QTest::mouseClick(child("opt_5M"), Qt::LeftButton);
    EXPECT_EQ(setCaption(), QStringLiteral("5分後にセットします♪"));
    EXPECT_TRUE(child("opt_5M")->isEnabled());
    EXPECT_FALSE(box("txt_H")->isEnabled());
    QTest::mouseClick(child("opt_PM"), Qt::LeftButton);
    EXPECT_EQ(setCaption(), QStringLiteral("PM0時0分にセットします♪"));
    QTest::mouseClick(child("opt_3M"), Qt::LeftButton);
    EXPECT_EQ(setCaption(), QStringLiteral("3分後にセットします♪"));
    // A click on the grey group C's frame wakes it and selects its hour.
    QGroupBox* fla2 = child<QGroupBox>("fla_2");
    QTest::mouseClick(fla2, Qt::LeftButton, {}, QPoint(fla2->width() - 10, fla2->height() - 8));
    EXPECT_TRUE(box("txt_H_2")->isEnabled());
    EXPECT_EQ(box("txt_H_2")->selectedText(), QStringLiteral("00"));
}

TEST_F(WindowTest, SetStoresThePresetClosesAndTellsTheMascot)
{
    open();
    QSignalSpy placed(w->toolWindow(), &ToolWindow::positionRecorded);
    type("txt_H", QStringLiteral("1"));
    type("txt_M", QStringLiteral("30"));
    EXPECT_TRUE(settings.timerPreset.isEmpty());
    child<QPushButton>("cmb_Set")->click();
    EXPECT_EQ(settings.timerPreset, QStringLiteral("Time B0130"));
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(menuRefreshes, 1);
    EXPECT_GE(placed.count(), 1);
    ASSERT_FALSE(mascot.scripts.isEmpty());
    EXPECT_EQ(mascot.scripts.last(), TimerForm::kStoredScript);
}

TEST_F(WindowTest, EscapeClosesWithoutStoring)
{
    settings.timerPreset = QStringLiteral("Time A03");
    open();
    type("txt_M", QStringLiteral("20"));
    QTest::keyClick(box("txt_M"), Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(settings.timerPreset, QStringLiteral("Time A03"));
    EXPECT_EQ(menuRefreshes, 1);
    EXPECT_TRUE(mascot.scripts.isEmpty());
}

TEST_F(WindowTest, WidthSwitchesByButtonAndShift)
{
    open();
    EXPECT_EQ(w->width(), 255);
    EXPECT_FALSE(child("cek_Apr")->isEnabled());
    child<QPushButton>("cmb_Next")->click();
    EXPECT_EQ(w->width(), 503);
    EXPECT_TRUE(child("cek_Apr")->isEnabled());
    EXPECT_TRUE(child("cmb_Wav_Dir")->isEnabled());
    EXPECT_EQ(focused(), child("cek_Apr"));
    ASSERT_EQ(mascot.scripts.size(), 1);
    EXPECT_EQ(mascot.scripts.first(), TimerForm::kWidenScript);

    QTest::keyClick(child("cek_Apr"), Qt::Key_Shift);
    EXPECT_EQ(w->width(), 255);
    EXPECT_FALSE(child("cmb_Dir")->isEnabled());
    EXPECT_EQ(focused(), child("cmb_Set"));
    QTest::keyClick(child("cmb_Set"), Qt::Key_Shift);
    EXPECT_EQ(w->width(), 503);
    EXPECT_EQ(mascot.scripts.size(), 1) << "Shift says nothing";
    // A capital typed into a path is a letter, not the switch.
    QTest::keyClick(child("txt_Lyrics"), Qt::Key_Shift);
    EXPECT_EQ(w->width(), 503);
}

TEST_F(WindowTest, OptionBoxesWriteTheirEntriesAndWarnWhenTurnedOn)
{
    open();
    child<QPushButton>("cmb_Next")->click();
    mascot.scripts.clear();
    QTest::mouseClick(child("cek_Exit_Win"), Qt::LeftButton);
    EXPECT_EQ(settings.registrations[25], QStringLiteral("1"));
    EXPECT_EQ(mascot.scripts, QStringList{TimerForm::kExitWinScript});
    QTest::mouseClick(child("cek_Time_Off"), Qt::LeftButton);
    EXPECT_EQ(settings.registrations[24], QStringLiteral("1"));
    EXPECT_EQ(mascot.scripts.last(), TimerForm::kTimeOffScript);
    QTest::mouseClick(child("cek_Exit_Win"), Qt::LeftButton);
    EXPECT_EQ(settings.registrations[25], QStringLiteral("0"));
    EXPECT_EQ(mascot.scripts.size(), 2) << "turning off says nothing";
    QTest::mouseClick(child("cek_Apr"), Qt::LeftButton);
    QTest::mouseClick(child("cek_Audio"), Qt::LeftButton);
    EXPECT_EQ(settings.registrations[20], QStringLiteral("1"));
    EXPECT_EQ(settings.registrations[22], QStringLiteral("1"));

    // The settings file sets a box from memory and reads it back.
    w->setCheck(RegistrationCheck::Audio, false);
    EXPECT_FALSE(child<QCheckBox>("cek_Audio")->isChecked());
    EXPECT_FALSE(w->isChecked(RegistrationCheck::Audio));
    EXPECT_TRUE(w->isChecked(RegistrationCheck::Apr));
}

TEST_F(WindowTest, ListsChooseTypeDeleteAndBrowseTheirOwnSlots)
{
    const QString song = dir.filePath(QStringLiteral("song.mp3"));
    touch(song);
    open();
    child<QPushButton>("cmb_Next")->click();
    auto* sounds = child<QComboBox>("cmb_Wav_Dir");
    ASSERT_EQ(sounds->count(), 10);
    sounds->setCurrentIndex(4);
    Q_EMIT sounds->activated(4);
    EXPECT_EQ(box("txt_Wav_No")->text(), QStringLiteral("5"));
    EXPECT_EQ(settings.registrations[23], QStringLiteral("5"));
    EXPECT_EQ(box("txt_Apr_No")->text(), QStringLiteral("1"));

    sounds->setFocus();
    sounds->lineEdit()->selectAll();
    QTest::keyClicks(sounds, song);
    QTest::keyClick(sounds, Qt::Key_Return);
    EXPECT_EQ(settings.registrations[14], song);
    EXPECT_EQ(box("txt_Wav")->text(), QStringLiteral("song.mp3"));
    EXPECT_EQ(sounds->itemText(4), song);

    child<QPushButton>("cmb_Dir2")->click();
    child<QPushButton>("cmb_Dir")->click();
    ASSERT_EQ(pickers.size(), 2);
    EXPECT_EQ(pickers.at(0), std::make_pair(PickerMode::TimerSound, 5));
    EXPECT_EQ(pickers.at(1), std::make_pair(PickerMode::Launcher, 1));

    child<QPushButton>("cmd_Wav_Del")->click();
    EXPECT_TRUE(settings.registrations[14].isEmpty());
    EXPECT_EQ(sounds->itemText(4), QStringLiteral("未登録"));
    EXPECT_EQ(sounds->currentText(), QStringLiteral("未登録"));
    EXPECT_EQ(box("txt_Wav_No")->text(), QStringLiteral("5"));
}

TEST_F(WindowTest, LyricsFolderBoxIsTheSetting)
{
    settings.lyricsFolder = QStringLiteral("/old");
    open();
    EXPECT_EQ(box("txt_Lyrics")->text(), QStringLiteral("/old"));
    folderAnswer = QStringLiteral("/music/lyrics");
    child<QPushButton>("cmd_Lyrics")->click();
    EXPECT_EQ(settings.lyricsFolder, QStringLiteral("/music/lyrics"));
    EXPECT_EQ(w->lyricsBoxText(), QStringLiteral("/music/lyrics"));
    folderAnswer.clear(); // cancelled: the box keeps its folder
    child<QPushButton>("cmd_Lyrics")->click();
    EXPECT_EQ(settings.lyricsFolder, QStringLiteral("/music/lyrics"));
    child<QPushButton>("cmd_Lyrics_Del")->click();
    EXPECT_TRUE(settings.lyricsFolder.isEmpty());
    EXPECT_TRUE(w->lyricsBoxText().isEmpty());
}

TEST_F(WindowTest, BothFormsHoldTheirControlsInside)
{
    // The narrow form shows the whole timer part; the wide one everything.
    open();
    const QString shots = qEnvironmentVariable("YK_SCREENSHOT_DIR");
    for (bool wide : {false, true}) {
        if (wide)
            child<QPushButton>("cmb_Next")->click();
        const char* const part[] = {"fla_1", "fla_3", "fla_2", "cmb_Set", "cmb_Next", "cek_Time_Off", "cek_Exit_Win"};
        const char* const right[] = {"fra_D", "Fra_E", "fra_Lyrics", "fla_Color"};
        for (const char* name : part)
            EXPECT_TRUE(w->rect().contains(child(name)->geometry())) << name;
        for (const char* name : right)
            EXPECT_EQ(w->rect().contains(child(name)->geometry()), wide) << name;
        if (!shots.isEmpty())
            w->grab().save(shots + (wide ? QStringLiteral("/timer-wide.png") : QStringLiteral("/timer-narrow.png")));
    }
}

// --- the window in the running program ---

TEST(TimerWindowInTheProgram, MenuOpensItAtItsPlaceAndKeepsTheNewOne)
{
    Harness h;
    h.startAndSettle();
    h.settings().setWinPos(WindowId::Registration, TwipsPos{toTwips(120), toTwips(240)});
    h.settings().timerPreset = QStringLiteral("Time CA0700");
    h.menu(QStringLiteral("mnu_Timer"));
    TimerWindow* w = h.windows().timerWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->objectName(), QStringLiteral("Timer"));
    EXPECT_EQ(w->pos(), QPoint(240, 120));
    EXPECT_TRUE(w->findChild<QRadioButton*>(QStringLiteral("opt_AM"))->isChecked());
    EXPECT_TRUE(h.windows().openWindows().contains(w));

    // Always-on-top reaches it while it is open.
    h.menu(QStringLiteral("mnu_Top"));
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);

    w->move(300, 200);
    const TwipsPos main = h.settings().winPos(WindowId::Main);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(h.windows().timerWindow(), nullptr);
    EXPECT_EQ(h.settings().winPos(WindowId::Registration), (TwipsPos{toTwips(200), toTwips(300)}));
    EXPECT_EQ(h.settings().winPos(WindowId::Main), main);
}

TEST(TimerWindowInTheProgram, ThePickerRegistersProgramsAndSoundsIntoTheLists)
{
    Harness h;
    h.startAndSettle();
    const QString tool = h.path(QStringLiteral("exe/tool.exe"));
    const QString bell = h.path(QStringLiteral("wav/bell.wav"));
    touch(tool);
    touch(bell);
    h.menu(QStringLiteral("mnu_Timer"));
    TimerWindow* w = h.windows().timerWindow();
    ASSERT_NE(w, nullptr);
    w->findChild<QPushButton*>(QStringLiteral("cmb_Next"))->click();

    auto* programs = w->findChild<QComboBox*>(QStringLiteral("cmb_Apr_Dir"));
    Q_EMIT programs->activated(2);
    w->findChild<QPushButton*>(QStringLiteral("cmb_Dir"))->click();
    FilePickerWindow* picker = h.windows().picker();
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(picker->windowTitle().startsWith(QStringLiteral(" No,3に")));
    EXPECT_EQ(picker->mode(), PickerMode::Launcher);
    auto* text1 = picker->findChild<QLineEdit*>(QStringLiteral("Text1"));
    text1->setText(tool);
    QTest::keyClick(text1, Qt::Key_Return);
    EXPECT_EQ(h.settings().registrations[2], tool);
    EXPECT_EQ(programs->itemText(2), tool);
    EXPECT_EQ(w->findChild<QLineEdit*>(QStringLiteral("txt_Apr"))->text(), QStringLiteral("tool.exe"));
    // A program does not go into the sound list, nor a sound into programs.
    text1->setText(bell);
    QTest::keyClick(text1, Qt::Key_Return);
    EXPECT_EQ(h.settings().registrations[2], tool);
    picker->close();

    auto* sounds = w->findChild<QComboBox*>(QStringLiteral("cmb_Wav_Dir"));
    Q_EMIT sounds->activated(6);
    w->findChild<QPushButton*>(QStringLiteral("cmb_Dir2"))->click();
    picker = h.windows().picker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->mode(), PickerMode::TimerSound);
    EXPECT_TRUE(picker->windowTitle().startsWith(QStringLiteral(" No,7に")));
    text1 = picker->findChild<QLineEdit*>(QStringLiteral("Text1"));
    text1->setText(bell);
    QTest::keyClick(text1, Qt::Key_Return);
    EXPECT_EQ(h.settings().registrations[16], bell);
    EXPECT_EQ(sounds->itemText(6), bell);
    EXPECT_EQ(w->findChild<QLineEdit*>(QStringLiteral("txt_Wav"))->text(), QStringLiteral("bell.wav"));
    EXPECT_EQ(h.settings().registrations[2], tool);
    picker->close();
}
