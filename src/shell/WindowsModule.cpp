#include "shell/WindowsModule.h"

#include "calendar/CalendarModel.h"
#include "launcher/Launcher.h"
#include "media/PlayWindow.h"
#include "platform/ShellAdapter.h"
#include "shell/CalendarModule.h"
#include "shell/MainWindow.h"
#include "shell/MainWindowMouse.h"
#include "shell/PopupMenu.h"
#include "shell/SecondaryWindows.h"
#include "shell/Shell.h"
#include "shell/ShellCommands.h"
#include "ui/ToolWindow.h"

namespace yk {

WindowsModule::WindowsModule(Shell& shell, CalendarModule& calendar)
    : m_shell(shell)
{
    const AppServices& s = shell.services();
    m_windows = std::make_unique<SecondaryWindows>(
        SecondaryWindows::Services { shell.settings(), calendar.calendar(), calendar.backgrounds(), *s.mascot,
            *s.shell, s.paths, [&shell] { return shell.workArea(); }, [&shell] { shell.saveSettings(); },
            [&calendar](const QString& button, QWidget* owner) { calendar.chooseColour(button, owner); },
            [this] { refreshLauncherMenu(); } },
        &shell.mainWindow(), &shell.playWindow());
    shell.lendOnDemandWindows(m_windows.get());
    m_mouse = std::make_unique<MainWindowMouse>(shell.mainWindow(), shell.playWindow(), calendar.calendar(),
        MainWindowMouse::Actions { [&shell](QPoint at) { shell.popupMenu(at, true); },
            [this] { m_windows->openMemo(); }, [&s] { s.shell->openDocument(s.paths.myPath()); } });

    connect(m_windows.get(), &SecondaryWindows::aboutAccepted, this, &WindowsModule::refreshLauncherMenu);
    connect(&shell, &Shell::topMostChanged, m_windows.get(), &SecondaryWindows::applyTopMost);
    connect(shell.playWindow().toolWindow(), &ToolWindow::dragFinished, m_mouse.get(),
        &MainWindowMouse::updatePlayWindowSides);

    const ShellCommandTargets targets { shell.settings(), calendar.calendar(), calendar.backgrounds(),
        *m_windows, *s.shell, s.paths, [&shell] { shell.toggleTopMost(); },
        [&shell] { shell.requestEnd(true); }, [&shell] { shell.popupMenuAtWindow(); } };
    addShellMenuCommands(shell.menuCommands(), targets);
    addShellKeyCommands(shell.keyCommands(), targets);
}

WindowsModule::~WindowsModule() = default;

void WindowsModule::refreshLauncherMenu()
{
    Settings& settings = m_shell.settings();
    m_shell.menu().applyLauncherMenu(yk::launcherMenu(settings.registrations));
    m_shell.menu().setTopChecked(settings.alwaysOnTop);
    m_shell.menu().setMovieFullChecked(settings.movieFullWindow);
}

void WindowsModule::start(const QStringList&)
{
    refreshLauncherMenu();
    m_mouse->setWorkArea(m_shell.workArea());
    m_mouse->updatePlayWindowSides();
}

void WindowsModule::end(bool)
{
    m_windows->closeAll();
}

} // namespace yk
