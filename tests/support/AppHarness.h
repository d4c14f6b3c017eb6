#pragma once

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "shell/App.h"
#include "shell/Form1.h"
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
    FakeClock clock;
    FakeMascot mascot;
    FakeDeviceChannel device;
    FakeMixer mixer;
    FakeShell shell;
    std::unique_ptr<App> app;
    // The colour dialog's answer, for the colour buttons.
    std::optional<QColor> colourAnswer;

    QString path(const QString& rel) const { return dir.path() + u'/' + rel; }

    App& make()
    {
        AppServices s(AppPaths(dir.path()));
        s.mascot = &mascot;
        s.device = &device;
        s.mixer = &mixer;
        s.clock = &clock;
        s.shell = &shell;
        s.trayIcon = false;
        s.workArea = [] { return QRect(0, 0, 1280, 1024); };
        s.random = [] { return 0.0; };
        s.colourPicker = [this](QWidget*, const QColor&, const QString&) { return colourAnswer; };
        app = std::make_unique<App>(s);
        return *app;
    }

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
