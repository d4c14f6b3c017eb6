// Each control reaches its own action: a menu item, key, button or window
// wired to the wrong thing fails here even when every model is right.
#include <algorithm>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSystemTrayIcon>

#include "calendar/Memo.h"
#include "launcher/FilePickerWindow.h"
#include "media/PlayWindow.h"
#include "platform/GlobalHotKey.h"
#include "shell/AboutWindow.h"
#include "skin/BackWindow.h"
#include "support/AppHarness.h"
#include "timers/TimerWindow.h"
#include "support/TestUtil.h"

using namespace yk;
using yk::test::Harness;
using yk::test::touch;

namespace {

class FakeHotKey final : public GlobalHotKey
{
public:
    bool registered = false;
    bool isSupported() const override { return true; }
    bool registerHotKey() override { return registered = true; }
    void unregisterHotKey() override { registered = false; }
    bool isRegistered() const override { return registered; }
    void press() { Q_EMIT activated(); }
};

QString picture(Harness& h, const QString& name, QColor colour)
{
    const QString path = h.path(QStringLiteral("img/") + name);
    QDir().mkpath(QFileInfo(path).path());
    QImage image(177, 177, QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(path));
    return path;
}

bool topMost(const QWidget* w)
{
    return w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

} // namespace

TEST(MenuWiring, EveryLauncherItemStartsItsOwnProgram)
{
    Harness h;
    h.startAndSettle();
    QStringList programs;
    for (int i = 0; i < 10; ++i) {
        programs.append(h.path(QStringLiteral("exe/tool%1.exe").arg(i)));
        touch(programs.last());
        h.settings().registrations[size_t(i)] = programs.last();
    }
    // The About window's OK rebuilds the launcher items.
    h.menu(QStringLiteral("mnu_Properties"));
    AboutWindow* about = h.windows().about();
    ASSERT_NE(about, nullptr);
    about->findChild<QAbstractButton*>(QStringLiteral("cmdOK"))->click();
    for (int i = 0; i < 10; ++i) {
        const QString item = QStringLiteral("mnu_Apr%1").arg(i + 1);
        EXPECT_TRUE(h.menu()->item(item)->isVisible()) << qPrintable(item);
        h.menu(item);
        ASSERT_EQ(h.shell.started.size(), i + 1);
        EXPECT_EQ(h.shell.started.last(), programs[i]) << qPrintable(item);
    }
}

TEST(MenuWiring, EveryBackgroundItemShowsItsOwnSlot)
{
    Harness h;
    h.startAndSettle();
    for (int n = 1; n <= 12; ++n)
        h.settings().setBackSlot(n, picture(h, QStringLiteral("slot%1.png").arg(n), QColor(n * 20, 0, 0)));
    for (int n = 1; n <= 12; ++n) {
        h.menu(QStringLiteral("mnu_No%1").arg(n));
        EXPECT_EQ(h.backgrounds().picturePath(), h.settings().backSlot(n)) << n;
        EXPECT_EQ(h.settings().backgroundMode, QString::number(n));
        // The window shows that picture (its middle is not covered by the frame).
        EXPECT_EQ(QColor(h.form()->background().toImage().pixel(88, 88)), QColor(n * 20, 0, 0)) << n;
    }
}

TEST(MenuWiring, BackgroundModesAndWindowsEachDoTheirOwnThing)
{
    Harness h;
    h.startAndSettle();
    const QString december = picture(h, QStringLiteral("dec.png"), Qt::green);
    h.settings().setBackSlot(12, december);

    h.menu(QStringLiteral("mnu_Ran"));
    EXPECT_EQ(h.settings().backgroundMode, QStringLiteral("R"));
    h.menu(QStringLiteral("mnu_Loop"));
    EXPECT_TRUE(h.settings().backgroundMode.startsWith(u'L'));
    h.menu(QStringLiteral("mnu_Mon"));
    EXPECT_EQ(h.settings().backgroundMode, QStringLiteral("M"));
    EXPECT_EQ(h.backgrounds().picturePath(), december);

    EXPECT_EQ(h.windows().backWindow(), nullptr);
    h.menu(QStringLiteral("mnu_Haikei"));
    ASSERT_NE(h.windows().backWindow(), nullptr);
    EXPECT_TRUE(h.windows().backWindow()->isVisible());

    EXPECT_EQ(h.windows().about(), nullptr);
    h.menu(QStringLiteral("mnu_Properties"));
    ASSERT_NE(h.windows().about(), nullptr);
    EXPECT_TRUE(h.windows().about()->isVisible());

    EXPECT_TRUE(h.shell.opened.isEmpty());
    h.menu(QStringLiteral("mnu_Help"));
    ASSERT_EQ(h.shell.opened.size(), 1);
    EXPECT_TRUE(h.shell.opened.first().endsWith(QStringLiteral("ShortCut.txt")));

    EXPECT_FALSE(h.settings().alwaysOnTop);
    h.menu(QStringLiteral("mnu_Top"));
    EXPECT_TRUE(h.settings().alwaysOnTop);

    QSignalSpy finished(h.app.get(), &App::finished);
    h.menu(QStringLiteral("mnu_End"));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(h.mascot.scripts.last().contains(QStringLiteral("終了")));
}

TEST(MenuWiring, OnlyTheItemsOfFeaturesStillToComeHaveNoCommand)
{
    Harness h;
    h.startAndSettle();
    QStringList without;
    for (const QString& name : h.menu()->itemNames()) {
        QAction* a = h.menu()->item(name);
        if (!a->isSeparator() && !a->menu() && !h.menuCommands().contains(name))
            without.append(name);
    }
    // The colour item and the weekly timer are never shown.
    EXPECT_EQ(without, (QStringList{QStringLiteral("mnu_Color"), QStringLiteral("mnu_DB")}));
}

// What the tick runs and in which order, and which keys have a command:
// however the subsystems are put together, these stay as they are.
TEST(Wiring, TheTickStepsAndTheKeysStayAsTheyAre)
{
    Harness h;
    h.startAndSettle();
    EXPECT_EQ(h.clockTick().stepNames(),
              (QStringList{QStringLiteral("midnight"), QStringLiteral("clock"), QStringLiteral("title refresh"),
                           QStringLiteral("hand-over"), QStringLiteral("play-list rows"), QStringLiteral("track"),
                           QStringLiteral("lyrics"), QStringLiteral("player display"), QStringLiteral("movie size"),
                           QStringLiteral("timer check"), QStringLiteral("timer completion")}));
    QList<int> keys = h.keyCommands().keys();
    std::sort(keys.begin(), keys.end());
    QList<int> expected{Qt::Key_Up,     Qt::Key_Down,     Qt::Key_Right,  Qt::Key_Left,  Qt::Key_Return,
                        Qt::Key_Enter,  Qt::Key_Space,    Qt::Key_Escape, Qt::Key_C,     Qt::Key_PageUp,
                        Qt::Key_PageDown, Qt::Key_Home,   Qt::Key_End,    Qt::Key_Delete, Qt::Key_Insert,
                        Qt::Key_Backspace, Qt::Key_D,     Qt::Key_P,      Qt::Key_Shift, Qt::Key_T,
                        Qt::Key_M,      Qt::Key_Control};
    for (int digit = Qt::Key_0; digit <= Qt::Key_9; ++digit)
        expected.append(digit);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(keys, expected);
}

TEST(KeyWiring, EachCalendarKeyMovesTheWayItSays)
{
    Harness h;
    h.startAndSettle();
    CalendarModel& c = h.calendar();
    h.key(Qt::Key_Left);
    EXPECT_EQ(c.shownMonth(), 11);
    h.key(Qt::Key_Right);
    EXPECT_EQ(c.shownMonth(), 12);
    h.key(Qt::Key_Up);
    EXPECT_EQ(c.shownYear(), 2027);
    h.key(Qt::Key_Down);
    h.key(Qt::Key_Down);
    EXPECT_EQ(c.shownYear(), 2025);
    h.key(Qt::Key_Enter);
    EXPECT_EQ(c.shownYear(), 2026);
    h.key(Qt::Key_Left);
    h.key(Qt::Key_Return);
    EXPECT_EQ(c.shownMonth(), 12);
}

TEST(KeyWiring, MonthKeysBringTheMonthsPictureInMonthlyMode)
{
    Harness h;
    h.startAndSettle();
    const QString november = picture(h, QStringLiteral("nov.png"), Qt::blue);
    h.settings().setBackSlot(11, november);
    h.menu(QStringLiteral("mnu_Mon"));
    h.key(Qt::Key_Left);
    EXPECT_EQ(h.backgrounds().picturePath(), november);
    // Years do not change the picture.
    h.key(Qt::Key_Up);
    EXPECT_EQ(h.backgrounds().picturePath(), november);
}

TEST(AlwaysOnTopWiring, ReachesEveryOpenWindowAndLeavesThemWhereTheyAre)
{
    Harness h;
    h.startAndSettle();
    QTest::mouseDClick(h.label(QStringLiteral("lblday_11")), Qt::LeftButton);
    h.menu(QStringLiteral("mnu_Haikei"));
    h.menu(QStringLiteral("mnu_Properties"));
    h.windows().openBackgroundPicker(3);
    h.playWindow()->show();
    const QList<QWidget*> windows{h.form(), h.windows().memo(), h.windows().backWindow(),
                                  h.windows().about(), h.windows().picker(), h.playWindow()};
    QList<QPoint> places;
    for (QWidget* w : windows) {
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->isVisible());
        places.append(w->pos());
    }
    h.menu(QStringLiteral("mnu_Top"));
    for (int i = 0; i < windows.size(); ++i) {
        EXPECT_TRUE(topMost(windows[i])) << qPrintable(windows[i]->objectName());
        EXPECT_TRUE(windows[i]->isVisible()) << qPrintable(windows[i]->objectName());
        EXPECT_EQ(windows[i]->pos(), places[i]) << qPrintable(windows[i]->objectName());
    }
    h.menu(QStringLiteral("mnu_Top"));
    for (QWidget* w : windows)
        EXPECT_FALSE(topMost(w)) << qPrintable(w->objectName());
}

TEST(WindowPlaceWiring, EachWindowKeepsItsPlaceInItsOwnSlot)
{
    Harness h;
    h.startAndSettle();
    Settings& s = h.settings();
    auto expectSlot = [&s](WindowId id, QPoint px, const char* what) {
        EXPECT_EQ(s.winPos(id), (TwipsPos{px.y() * 15, px.x() * 15})) << what;
    };

    QTest::mouseDClick(h.label(QStringLiteral("lblday_11")), Qt::LeftButton);
    Memo* memo = h.windows().memo();
    ASSERT_NE(memo, nullptr);
    memo->move(301, 202);
    const TwipsPos backBefore = s.winPos(WindowId::Back);
    const TwipsPos launcherBefore = s.winPos(WindowId::Launcher);
    memo->findChild<QAbstractButton*>(QStringLiteral("cmbesc"))->click();
    expectSlot(WindowId::Memo, {301, 202}, "memo");
    EXPECT_EQ(s.winPos(WindowId::Back), backBefore) << "the memo wrote the background window's slot";
    EXPECT_EQ(s.winPos(WindowId::Launcher), launcherBefore) << "the memo wrote the picker's slot";

    h.menu(QStringLiteral("mnu_Haikei"));
    BackWindow* back = h.windows().backWindow();
    ASSERT_NE(back, nullptr);
    back->move(403, 104);
    QTest::keyClick(back, Qt::Key_Escape);
    expectSlot(WindowId::Back, {403, 104}, "background window");
    EXPECT_EQ(s.winPos(WindowId::Launcher), launcherBefore) << "the background window wrote the picker's slot";
    EXPECT_EQ(s.winPos(WindowId::Memo), (TwipsPos{202 * 15, 301 * 15})) << "the background window wrote the memo's slot";

    h.windows().openBackgroundPicker(2);
    FilePickerWindow* picker = h.windows().picker();
    ASSERT_NE(picker, nullptr);
    picker->move(505, 306);
    picker->findChild<QAbstractButton*>(QStringLiteral("Command1"))->click();
    expectSlot(WindowId::Launcher, {505, 306}, "picker");
    // The memo and background places are left as they were.
    expectSlot(WindowId::Memo, {301, 202}, "memo after the picker");
    expectSlot(WindowId::Back, {403, 104}, "background after the picker");

    h.form()->move(120, 130);
    h.playWindow()->move(297, 130);
    // Those two are read from the windows when the file is written.
    ASSERT_TRUE(h.appShell().saveSettings());
    Settings written(s.filePath());
    SettingsHost nothing;
    ASSERT_TRUE(written.Load(nothing));
    EXPECT_EQ(written.winPos(WindowId::Main), (TwipsPos{130 * 15, 120 * 15}));
    EXPECT_EQ(written.winPos(WindowId::Play), (TwipsPos{130 * 15, 297 * 15}));
    EXPECT_EQ(written.winPos(WindowId::Memo), (TwipsPos{202 * 15, 301 * 15}));
}

TEST(NoteMarkWiring, SavingAndDeletingTodaysNoteMoveBothMarks)
{
    Harness h;
    h.startAndSettle();
    // Today is the 8th: cell 9.
    EXPECT_TRUE(h.label(QStringLiteral("image1_9"))->isHidden());
    EXPECT_TRUE(h.label(QStringLiteral("Img_Yotei"))->isHidden());
    QTest::mouseDClick(h.label(QStringLiteral("lblday_9")), Qt::LeftButton);
    Memo* memo = h.windows().memo();
    ASSERT_NE(memo, nullptr);
    memo->findChild<QPlainTextEdit*>(QStringLiteral("Txt_Memo2"))->setPlainText(QStringLiteral("朝会"));
    memo->findChild<QAbstractButton*>(QStringLiteral("cmdSave"))->click();
    EXPECT_FALSE(h.label(QStringLiteral("image1_9"))->isHidden());
    EXPECT_FALSE(h.label(QStringLiteral("Img_Yotei"))->isHidden());
    EXPECT_TRUE(h.label(QStringLiteral("image1_10"))->isHidden());

    QTest::mouseDClick(h.label(QStringLiteral("lblday_9")), Qt::LeftButton);
    h.windows().memo()->findChild<QAbstractButton*>(QStringLiteral("cmbdel"))->click();
    EXPECT_TRUE(h.label(QStringLiteral("image1_9"))->isHidden());
    EXPECT_TRUE(h.label(QStringLiteral("Img_Yotei"))->isHidden());
}

TEST(ColourWiring, EachButtonWritesItsOwnColourAndPaintsItsOwnLabels)
{
    struct Case { const char* button; QString Settings::*field; const char* label; };
    const Case cases[] = {
        {"cmd_Y", &Settings::yearColour, "lblTitle"},       {"cmd_M", &Settings::monthColour, "LblTitle_2"},
        {"cmd_T", &Settings::clockColour, "LBL_TIME_2"},     {"cmd_Sun", &Settings::sundayColour, "lblweek1"},
        {"cmd_W_D", &Settings::weekdayColour, "lblweek2"},   {"cmd_Sat", &Settings::saturdayColour, "lblweek7"},
    };
    int n = 0;
    for (const Case& c : cases) {
        Harness h;
        h.startAndSettle();
        const Settings before = h.settings();
        const QColor chosen(10 + n, 20 + n, 30 + n);
        ++n;
        h.colourAnswer = chosen;
        // Through the registration window's own button, as the user does.
        h.menu(QStringLiteral("mnu_Timer"));
        ASSERT_NE(h.windows().timerWindow(), nullptr);
        auto* button = h.windows().timerWindow()->findChild<QAbstractButton*>(QString::fromLatin1(c.button));
        ASSERT_NE(button, nullptr) << c.button;
        button->click();
        const Settings& after = h.settings();
        EXPECT_EQ(after.*c.field, colourValue(chosen)) << c.button;
        for (const Case& other : cases) {
            if (other.field != c.field) {
                EXPECT_EQ(after.*other.field, before.*other.field) << c.button << " changed " << other.button;
            }
        }
        EXPECT_EQ(h.label(QString::fromLatin1(c.label))->palette().color(QPalette::WindowText), chosen) << c.button;
    }
}

TEST(HotKeyWiring, RegisteredAfterTheWindowShowsAnsweredWithAMessageAndReleasedAtTheEnd)
{
    FakeHotKey key;
    Harness h;
    h.hotKey = &key;
    h.startAndSettle();
    EXPECT_TRUE(key.registered);
    key.press();
    QMessageBox* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
            box = b;
    }
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("ホットキーイベントが発生しました。"));
    box->close();
    h.menu(QStringLiteral("mnu_End"));
    EXPECT_FALSE(key.registered);
}

TEST(TrayWiring, LeftClickRaisesWithoutChangingTheSettingAndRightClickOpensTheMenu)
{
    Harness h;
    h.startAndSettle();
    Q_EMIT h.tray.menuRequested(QPoint(10, 10));
    EXPECT_TRUE(h.menu()->menu()->isVisible());
    h.menu()->menu()->hide();
    // Raised by going on top and back, which every window follows.
    QSignalSpy onTop(&h.appShell(), &Shell::topMostChanged);
    Q_EMIT h.tray.clicked();
    EXPECT_EQ(onTop.count(), 2);
    EXPECT_FALSE(h.settings().alwaysOnTop);
    EXPECT_FALSE(topMost(h.form()));
}

TEST(NoteMarkWiring, ADamagedHugeNoteFileIsNeitherOpenedNorOverwritten)
{
    Harness h;
    h.startAndSettle();
    const QString huge = h.path(QStringLiteral("txt/20261210.TXT"));
    touch(huge, QByteArray(DayNoteStore::kMaxFileBytes + 1, '\n'));
    QTest::mouseDClick(h.label(QStringLiteral("lblday_11")), Qt::LeftButton);
    EXPECT_EQ(h.windows().memo(), nullptr);
    QMessageBox* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == u"memoFailure" && w->isVisible())
            box = qobject_cast<QMessageBox*>(w);
    }
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains(QStringLiteral("大きすぎる")));
    EXPECT_TRUE(box->text().contains(QStringLiteral("20261210.TXT")));
    box->close();
    EXPECT_EQ(QFileInfo(huge).size(), DayNoteStore::kMaxFileBytes + 1);
    // Other days still open.
    QTest::mouseDClick(h.label(QStringLiteral("lblday_12")), Qt::LeftButton);
    EXPECT_NE(h.windows().memo(), nullptr);
}
