#pragma once

#include <memory>

#include <QObject>

#include "shell/Module.h"

namespace yk {

class MovieController;
class MovieWindow;
class PlayerModule;
class Shell;

// The movie window: the player shows and puts away movies in it, its keys
// reach the main window's commands, mnu_Movie_Full, the tick's size step
// and the frame capture of the Space key.
class MovieModule : public QObject, public Module
{
    Q_OBJECT
public:
    MovieModule(Shell& shell, PlayerModule& player);
    ~MovieModule() override;

    MovieWindow& window() const { return *m_window; }
    MovieController& controller() const { return *m_control; }

    void beforeSave(bool ending) override;

private:
    void captureFrame();

    Shell& m_shell;
    PlayerModule& m_player;
    std::unique_ptr<MovieWindow> m_window;
    std::unique_ptr<MovieController> m_control;
};

} // namespace yk
