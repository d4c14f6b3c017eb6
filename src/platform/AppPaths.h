#pragma once

#include <QString>

namespace yk {

// The application folder ("MYPATH") and the data paths under it.
// The program keeps its data beside the executable when that folder is
// writable (the portable layout); an installed copy falls back to the
// per-user data folder. Tests always pass a folder of their own.
class AppPaths
{
public:
    explicit AppPaths(QString folder);

    // Chooses the folder for the running executable.
    static AppPaths forExecutable();

    // The folder, always with a trailing '/'.
    QString myPath() const { return m_folder; }
    // myPath() + relative, e.g. file(u"System/viw.ini").
    QString file(QStringView relative) const;

    QString settingsFile() const { return file(u"System/viw.ini"); }
    QString handOverFile() const { return file(u"lst.tmp"); }
    QString playListFile() const { return file(u"System/viw.m3u"); }

private:
    QString m_folder;
};

} // namespace yk
