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
    // The choice for a program in `exeDir`: that folder itself for a
    // portable copy; `userDataDir` for an installed copy and for one whose
    // folder cannot be written.
    static AppPaths choose(const QString& exeDir, const QString& userDataDir);

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

// Where an installed program keeps its media module, found from the
// program's own folder (<prefix>/bin -> <prefix>/lib/yomikaze), so an
// installed tree works under any prefix it is copied to.
QString installedModuleFolder(const QString& exeDir);
// A program with that folder beside it is an installed copy. Whether its
// own folder is writable says nothing (root can write to /usr/bin, and a
// writable prefix is no place for a user's notes); the layout does.
bool isInstalledProgram(const QString& exeDir);

} // namespace yk
