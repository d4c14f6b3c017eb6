#pragma once

#include <memory>

#include <QObject>

#include "shell/Module.h"

namespace yk {

class CalendarModule;
class MainWindowMouse;
class SecondaryWindows;
class Shell;

// The windows opened on demand (memo, backgrounds, file picker, About,
// timer registration), the mouse on the main window, the launcher entries
// of the menu and the program's own menu items and keys.
class WindowsModule : public QObject, public Module
{
    Q_OBJECT
public:
    WindowsModule(Shell& shell, CalendarModule& calendar);
    ~WindowsModule() override;

    SecondaryWindows& windows() const { return *m_windows; }
    MainWindowMouse& mouse() const { return *m_mouse; }
    // The launcher entries, the always-on-top and full-window marks of the menu.
    void refreshLauncherMenu();

    void start(const QStringList& files) override;
    void end(bool farewell) override;

private:
    Shell& m_shell;
    std::unique_ptr<SecondaryWindows> m_windows;
    std::unique_ptr<MainWindowMouse> m_mouse;
};

} // namespace yk
