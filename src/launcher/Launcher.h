#pragma once

#include <QString>

#include <array>
#include <span>

namespace yk {

class ShellAdapter;

// The ten registered programs (registrations entries 0..9) as the popup menu
// shows them, and starting them.

inline constexpr int kLauncherEntries = 10;

struct LauncherMenuItem
{
    QString caption; // raw file-name text; '&' is not escaped
    bool visible = false;
};

struct LauncherMenu
{
    std::array<LauncherMenuItem, kLauncherEntries> items; // mnu_Apr1..mnu_Apr10
    bool separatorVisible = false;                        // mnu_Ber5
};

// True for a non-empty absolute path naming an existing file (hidden
// files count, folders do not).
bool namesExistingFile(const QString& path);

// The menu caption of a registered program: its file name without the
// last four characters ("memo.exe" shows as "memo"). A name of four
// characters or fewer is shown whole, since nothing would be left.
QString launcherCaption(const QString& path);

// The launcher menu refresh: one item per registered program that still
// exists, in entry order, and the separator when any is shown. Entries
// past the end of regList count as empty.
LauncherMenu launcherMenu(std::span<const QString> regList);

// Starts a program by its path alone; the shell's answer is not examined.
void launchProgram(ShellAdapter& shell, const QString& path);

// The menu item of entry i (0..9): starts the program when the entry
// names an existing file. Returns whether a start was requested.
bool startLauncherEntry(ShellAdapter& shell, std::span<const QString> regList, int i);

} // namespace yk
