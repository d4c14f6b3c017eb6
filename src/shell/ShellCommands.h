#pragma once

#include <functional>

#include <QString>

#include "platform/AppPaths.h"
#include "core/CommandTable.h"

namespace yk {

class BackgroundController;
class CalendarModel;
class SecondaryWindows;
class Settings;
class ShellAdapter;

// What the shell's menu items and keys act on. Each subsystem adds its own
// items and keys to the same two tables; these are the calendar's,
// the backgrounds', the launcher's and the program's own.
struct ShellCommandTargets
{
    Settings& settings;
    CalendarModel& calendar;
    BackgroundController& backgrounds;
    SecondaryWindows& windows;
    ShellAdapter& shell;
    AppPaths paths;
    std::function<void()> toggleTopMost;
    std::function<void()> shutdown;
    // The menu as a right-button release at the main window's corner.
    std::function<void()> popupMenuAtWindow;
};

void addShellMenuCommands(CommandTable<QString>& table, const ShellCommandTargets& t);
void addShellKeyCommands(CommandTable<int>& table, const ShellCommandTargets& t);

} // namespace yk
