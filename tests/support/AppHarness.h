#pragma once

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>

#include "calendar/CalendarModel.h"
#include "core/ClockTick.h"
#include "media/MovieWindow.h"
#include "media/PlayWindow.h"
#include "media/Player.h"
#include "platform/null/NullTrayIcon.h"
#include "shell/App.h"
#include "shell/CalendarModule.h"
#include "shell/DesktopModule.h"
#include "shell/LyricsModule.h"
#include "shell/MainWindow.h"
#include "shell/MovieModule.h"
#include "shell/PlayerModule.h"
#include "shell/PopupMenu.h"
#include "shell/SecondaryWindows.h"
#include "shell/TagEditorModule.h"
#include "shell/TimersModule.h"
#include "shell/WindowsModule.h"
#include "skin/BackgroundController.h"
#include "support/FakeDeviceChannel.h"
#include "support/Fakes.h"

namespace yk::test {

// Writes a small file, making its folder first.
inline void touch(const QString& path, const QByteArray& bytes = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The whole program with fakes for the outside world, in a temporary
// application folder.
struct Harness
{
    QTemporaryDir dir;
    // The per-user cache of cover pictures: the test's own, never the user's.
    QTemporaryDir artCache;
    FakeClock clock;
    FakeMascot mascot;
    FakeDeviceChannel device;
    FakeMixer mixer;
    FakeShell shell;
    std::unique_ptr<App> app;
    // The colour dialog's answer, for the colour buttons.
    std::optional<QColor> colourAnswer;
    // A tray icon that is never shown; tests press its buttons by emitting
    // its signals.
    NullTrayIcon tray;
    // A global hot key for the program, when a test gives one.
    GlobalHotKey* hotKey = nullptr;
    // The start at login, when a test gives one.
    Autostart* autostart = nullptr;
    // The session's end, when a test gives one.
    SessionEnd* sessionEnd = nullptr;
    // A movie engine, when a test gives one (it must outlive the app).
    MoviePlayer* movie = nullptr;
    // The desktop's media controls and notices, when a test gives them.
    MediaControls* mediaControls = nullptr;
    DesktopNotifier* notifier = nullptr;
    // The tag reader, when a test gives one (it runs on a worker thread).
    std::function<std::optional<tags::TrackInfo>(const QString&)> readTrackInfo;

    QString path(const QString& rel) const { return dir.path() + u'/' + rel; }

    // The running program's parts, as its modules hold them.
    Shell& appShell() const { return app->shell(); }
    PlayerModule& playerModule() const { return app->module<PlayerModule>(); }
    TimersModule& timersModule() const { return app->module<TimersModule>(); }
    MainWindow* form() const { return &appShell().mainWindow(); }
    PlayWindow* playWindow() const { return &appShell().playWindow(); }
    PopupMenu* menu() const { return &appShell().menu(); }
    Settings& settings() const { return appShell().settings(); }
    ClockTick& clockTick() const { return appShell().tick(); }
    const CommandTable<QString>& menuCommands() const { return appShell().menuCommands(); }
    const CommandTable<int>& keyCommands() const { return appShell().keyCommands(); }
    bool firstStart() const { return appShell().firstStart(); }
    QRect workArea() const { return appShell().workArea(); }
    void popupMenu(QPoint at, bool fromWindow) const { appShell().popupMenu(at, fromWindow); }
    SecondaryWindows& windows() const { return app->module<WindowsModule>().windows(); }
    CalendarModel& calendar() const { return app->module<CalendarModule>().calendar(); }
    BackgroundController& backgrounds() const { return app->module<CalendarModule>().backgrounds(); }
    void chooseCalendarColour(const QString& button, QWidget* parent = nullptr) const
    {
        app->module<CalendarModule>().chooseColour(button, parent);
    }
    PlayList& playList() const { return playerModule().list(); }
    Player& player() const { return playerModule().player(); }
    NowPlaying& nowPlaying() const { return playerModule().nowPlaying(); }
    PlayListActions& playListActions() const { return playerModule().actions(); }
    PlayListView& playListView() const { return playerModule().view(); }
    void togglePlayList() const { playerModule().togglePlayList(); }
    CountdownTimer& timer() const { return timersModule().timer(); }
    SoundKeys& soundKeys() const { return timersModule().soundKeys(); }
    void timeSet() const { timersModule().timeSet(); }
    MovieWindow* movieWindow() const { return &app->module<MovieModule>().window(); }
    MovieController& movieController() const { return app->module<MovieModule>().controller(); }
    Id3EditorWindow* id3Editor() const { return app->module<TagEditorModule>().editor(); }
    void toggleId3Editor() const { app->module<TagEditorModule>().toggle(); }

    App& make()
    {
        AppServices s(AppPaths(dir.path()));
        s.mascot = &mascot;
        s.device = &device;
        s.mixer = &mixer;
        s.clock = &clock;
        s.shell = &shell;
        s.tray = &tray;
        s.hotKey = hotKey;
        s.autostart = autostart;
        s.sessionEnd = sessionEnd;
        s.movie = movie;
        s.mediaControls = mediaControls;
        s.notifier = notifier;
        s.readTrackInfo = readTrackInfo;
        s.artCacheFolder = artCache.path();
        s.workArea = [] { return QRect(0, 0, 1280, 1024); };
        s.random = [] { return 0.0; };
        s.colourPicker = [this](QWidget*, const QColor&, const QString&) { return colourAnswer; };
        app = std::make_unique<App>(s);
        return *app;
    }

    // A label of the main window by object name ("LBL_TIME", "lblday_5").
    QLabel* label(const QString& name) const
    {
        QLabel* l = form()->findChild<QLabel*>(name);
        EXPECT_NE(l, nullptr) << qPrintable(name);
        return l;
    }
    QString text(const QString& name) const { return label(name)->text(); }
    // A key pressed on the main window, as the user types it.
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) const
    {
        QTest::keyClick(form(), Qt::Key(k), mods);
    }
    // A menu item chosen, as the user clicks it.
    void menu(const QString& item) const
    {
        QAction* a = menu()->item(item);
        ASSERT_NE(a, nullptr) << qPrintable(item);
        a->trigger();
    }
    void tick() const { clockTick().tick(); }

    void startAndSettle(const QStringList& args = {})
    {
        App& a = app ? *app : make();
        QSignalSpy done(&a, &App::scansFinished);
        a.start(args);
        // Some start-up work waits for the window's first paint.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form()));
        QCoreApplication::processEvents();
        if (!args.isEmpty() && done.isEmpty()) {
            ASSERT_TRUE(done.wait(5000));
        }
    }
};

} // namespace yk::test
