#pragma once

#include <memory>

#include <QString>

namespace yk {

// Starting the program when the user logs in. The desktop keeps the
// setting itself (on a freedesktop system an autostart entry), so it
// survives a reinstall of the program and is seen by every tool the
// desktop has for it; the program only reads and writes it.
class Autostart
{
public:
    virtual ~Autostart() = default;

    // False on a system where the program cannot arrange this at all; the
    // menu item is then hidden.
    virtual bool supported() const = 0;
    // Whether the desktop will start the program at the next login.
    virtual bool isEnabled() const = 0;
    // Turns it on or off. False when that could not be done; isEnabled()
    // then still tells the truth.
    virtual bool setEnabled(bool on) = 0;
    // Where the setting lives, for a message when it cannot be changed.
    virtual QString location() const = 0;
};

// The system's autostart for the program at `programPath` (absolute).
std::unique_ptr<Autostart> createAutostart(const QString& programPath);

} // namespace yk
