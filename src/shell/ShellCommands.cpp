#include "shell/ShellCommands.h"

#include "calendar/CalendarModel.h"
#include "launcher/Launcher.h"
#include "platform/ShellAdapter.h"
#include "shell/HelpFiles.h"
#include "shell/SecondaryWindows.h"
#include "core/Settings.h"
#include "skin/BackgroundController.h"

namespace yk {

void addShellMenuCommands(CommandTable<QString>& table, const ShellCommandTargets& t)
{
    for (int i = 0; i < kLauncherEntries; ++i) {
        table.add(QStringLiteral("mnu_Apr") + QString::number(i + 1),
                  [&shell = t.shell, &settings = t.settings, i] { startLauncherEntry(shell, settings.registrations, i); });
    }
    BackgroundController& backgrounds = t.backgrounds;
    for (int slot = 1; slot <= 12; ++slot)
        table.add(QStringLiteral("mnu_No") + QString::number(slot), [&backgrounds, slot] { backgrounds.showSlot(slot); });
    table.add(QStringLiteral("mnu_Haikei"), [&windows = t.windows] { windows.openBackgrounds(); });
    table.add(QStringLiteral("mnu_Mon"),
              [&backgrounds, &calendar = t.calendar] { backgrounds.showMonthly(calendar.shownMonth()); });
    table.add(QStringLiteral("mnu_Ran"), [&backgrounds] { backgrounds.toggleRandom(); });
    table.add(QStringLiteral("mnu_Loop"), [&backgrounds] { backgrounds.toggleInTurn(); });
    table.add(QStringLiteral("mnu_Timer"), [&windows = t.windows] { windows.openTimerWindow(); });
    table.add(QStringLiteral("mnu_Top"), t.toggleTopMost);
    table.add(QStringLiteral("mnu_Properties"), [&windows = t.windows] { windows.openAbout(); });
    table.add(QStringLiteral("mnu_Help"), [&shell = t.shell, paths = t.paths] {
        // ShortCut.txt, else Readme.txt; nothing when neither is there.
        const QString path = helpFilePath(paths);
        if (!path.isEmpty())
            shell.openDocument(path);
    });
    table.add(QStringLiteral("mnu_End"), t.shutdown);
}

void addShellKeyCommands(CommandTable<int>& table, const ShellCommandTargets& t)
{
    CalendarModel& c = t.calendar;
    BackgroundController& b = t.backgrounds;
    // Month steps also bring the month's picture in monthly mode; year
    // steps do not.
    auto monthStep = [&c, &b](void (CalendarModel::*step)()) {
        return [&c, &b, step] {
            (c.*step)();
            b.monthStepped(c.shownMonth());
        };
    };
    table.add(Qt::Key_Up, [&c] { c.nextYear(); });
    table.add(Qt::Key_Down, [&c] { c.previousYear(); });
    table.add(Qt::Key_Right, monthStep(&CalendarModel::nextMonth));
    table.add(Qt::Key_Left, monthStep(&CalendarModel::previousMonth));
    table.add(Qt::Key_Return, monthStep(&CalendarModel::showToday));
    table.add(Qt::Key_Enter, monthStep(&CalendarModel::showToday));
    table.add(Qt::Key_Space, t.popupMenuAtWindow);
    table.add(Qt::Key_Escape, t.shutdown);
}

} // namespace yk
