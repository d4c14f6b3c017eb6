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
#include "media/Player.h"
#include "platform/null/NullTrayIcon.h"
#include "shell/App.h"
#include "shell/Form1.h"
#include "shell/PopupMenu.h"
#include "shell/SecondaryWindows.h"
#include "skin/BackgroundController.h"
#include "timers/ClockTick.h"
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
    // A movie engine, when a test gives one (it must outlive the app).
    MoviePlayer* movie = nullptr;
    // The desktop's media controls and notices, when a test gives them.
    MediaControls* mediaControls = nullptr;
    DesktopNotifier* notifier = nullptr;
    // The tag reader, when a test gives one (it runs on a worker thread).
    std::function<std::optional<tags::TrackInfo>(const QString&)> readTrackInfo;

    QString path(const QString& rel) const { return dir.path() + u'/' + rel; }

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
        QLabel* l = app->form()->findChild<QLabel*>(name);
        EXPECT_NE(l, nullptr) << qPrintable(name);
        return l;
    }
    QString text(const QString& name) const { return label(name)->text(); }
    // A key pressed on the main window, as the user types it.
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) const
    {
        QTest::keyClick(app->form(), Qt::Key(k), mods);
    }
    // A menu item chosen, as the user clicks it.
    void menu(const QString& item) const
    {
        QAction* a = app->menu()->item(item);
        ASSERT_NE(a, nullptr) << qPrintable(item);
        a->trigger();
    }
    void tick() const { app->clockTick().tick(); }

    void startAndSettle(const QStringList& args = {})
    {
        App& a = app ? *app : make();
        QSignalSpy done(&a, &App::scansFinished);
        a.start(args);
        // Some start-up work waits for the window's first paint.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(a.form()));
        QCoreApplication::processEvents();
        if (!args.isEmpty() && done.isEmpty()) {
            ASSERT_TRUE(done.wait(5000));
        }
    }
};

} // namespace yk::test
