#pragma once

#include <QString>
#include <QStringList>

#include "platform/Autostart.h"

namespace yk {

// The freedesktop autostart: a desktop entry named yomikaze.desktop in
// $XDG_CONFIG_HOME/autostart (the user's) or in an autostart folder under
// $XDG_CONFIG_DIRS (the system's, e.g. one an administrator put there).
// The user's file, when there is one, overrides the system's; an entry
// with Hidden=true (or GNOME's X-GNOME-Autostart-enabled=false) is off.
//
// Turning it on writes the user's entry, with the program's absolute path,
// so a copy outside $PATH starts as well. Turning it off removes the
// user's entry, or, when a system entry would still start the program,
// writes one with Hidden=true in its place.
class XdgAutostart final : public Autostart
{
public:
    // `userEntry`: the user's file; `systemEntries`: the system's files of
    // the same name, most important first; `programPath`: what the entry runs.
    XdgAutostart(QString userEntry, QStringList systemEntries, QString programPath);

    // The files of the current environment.
    static QString userEntryPath();
    static QStringList systemEntryPaths();

    bool supported() const override { return true; }
    bool isEnabled() const override;
    bool setEnabled(bool on) override;
    QString location() const override { return m_userEntry; }

    // The entry's text: `hidden` false starts `programPath`, true is the
    // entry that keeps a system entry from starting it.
    static QByteArray entryText(const QString& programPath, bool hidden);

private:
    QString m_userEntry;
    QStringList m_systemEntries;
    QString m_program;
};

// One argument of an Exec line as the desktop entry format wants it:
// quoted when it holds a character the format reserves, '%' doubled, and
// the string escapes of the file format applied on top.
QString desktopExecArgument(const QString& arg);

} // namespace yk
