#pragma once

#include <QByteArray>
#include <QString>

class QMessageBox;
class QWidget;

namespace yk {

// Moving and snapping the main window, putting windows back where they
// were and the global hot key all need a desktop that lets a program place
// its windows and grab a key, which Wayland does not. On a Wayland session
// that also runs an X server the program therefore goes through X; without
// one it still runs and tells the user what is missing.

// The environment values the choice depends on.
struct DisplayEnvironment
{
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray sessionType;    // XDG_SESSION_TYPE
    QByteArray display;        // DISPLAY
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM, the user's own choice

    static DisplayEnvironment current();
};

struct DisplayChoice
{
    // The Qt platform to set before the application starts; empty: leave it.
    QByteArray forcePlatform;
    // The session will run on Wayland: tell the user what does not work.
    bool warnLimited = false;
};

DisplayChoice chooseDisplayPlatform(const DisplayEnvironment& env);

// Chooses for this process and sets QT_QPA_PLATFORM accordingly. Call it
// before the application object exists (and after rememberUserEnvironment(),
// so programs we start are not pushed onto X as well).
DisplayChoice applyDisplayPlatform();

// Tells the user, without waiting for an answer, what this desktop cannot
// do. The box belongs to `window` and deletes itself when closed.
QMessageBox* showLimitedDesktopNotice(QWidget* window);
QString limitedDesktopText();

} // namespace yk
