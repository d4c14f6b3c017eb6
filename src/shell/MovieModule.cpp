#include "shell/MovieModule.h"

#include "media/FrameCapture.h"
#include "media/MovieController.h"
#include "media/MovieWindow.h"
#include "media/PlayWindow.h"
#include "media/Player.h"
#include "platform/MoviePlayer.h"
#include "shell/MainWindow.h"
#include "shell/PlayerModule.h"
#include "shell/PopupMenu.h"
#include "shell/Shell.h"
#include "ui/ToolWindow.h"

namespace yk {

MovieModule::MovieModule(Shell& shell, PlayerModule& playerModule)
    : m_shell(shell)
    , m_player(playerModule)
    , m_window(std::make_unique<MovieWindow>())
{
    m_control = std::make_unique<MovieController>(shell.settings(), *m_window, *shell.services().movie,
        MovieController::Companions { &shell.mainWindow(), &shell.playWindow() },
        [&shell] { return shell.workArea(); });

    Player& player = playerModule.player();
    connect(&player, &Player::movieShown, m_control.get(), &MovieController::showMovie);
    connect(&player, &Player::movieClosed, m_control.get(), &MovieController::closeMovie);
    connect(
        m_control.get(), &MovieController::fullWindowChanged, &shell.menu(), &PopupMenu::setMovieFullChecked);
    // Closing the window stops the movie the way the stop key does, so the
    // player's state and its buttons agree with what is on screen.
    connect(m_window.get(), &MovieWindow::closeRequested, &player, &Player::stop);
    connect(m_window.get(), &MovieWindow::forwardRequested, &player, &Player::forward);
    connect(m_window.get(), &MovieWindow::backRequested, &player, &Player::back);
    // Unlike the main window's own keys, these leave a pending title
    // refresh alone.
    connect(m_window.get(), &MovieWindow::keyForwarded, this,
        [&shell](int key, Qt::KeyboardModifiers) { shell.keyCommands().run(key); });
    connect(&shell, &Shell::topMostChanged, this, [this](bool on) {
        if (m_window->isVisible())
            ToolWindow::applyTopMost(m_window.get(), on);
    });

    shell.menuCommands().add(QStringLiteral("mnu_Movie_Full"), [this] { m_control->toggleFullWindow(); });
    // Space captures the movie's frame while one is shown; otherwise it
    // opens the menu, as the shell's table has it.
    shell.keyCommands().intercept(Qt::Key_Space, [this] {
        if (!m_window->isVisible())
            return false;
        captureFrame();
        return true;
    });
    shell.tick().addStep(TickPhase::Movie, QStringLiteral("movie size"), [this](const QDateTime&) {
        if (m_window->isVisible())
            m_control->followDisplaySize();
    });
}

MovieModule::~MovieModule() = default;

void MovieModule::beforeSave(bool ending)
{
    if (!m_window->isVisible())
        return;
    // A movie still shown keeps its place and size in this save; at a
    // log-off that may be cancelled, the movie plays on.
    if (ending) {
        m_shell.services().movie->stop();
        m_control->closeMovie();
    } else {
        m_control->saveRecord();
    }
}

void MovieModule::captureFrame()
{
    // The frame comes from the decoder at the movie's own size, whatever
    // the window's size, so a small window no longer spoils a capture and
    // every capture is taken.
    const capture::Result result = m_control->captureFrame(m_shell.paths().file(u"Capture"));
    if (!result.saved)
        m_player.player().showNotice(result.error);
    PlayWindow& play = m_shell.playWindow();
    QWidget* focus = play.isVisible() ? static_cast<QWidget*>(&play) : &m_shell.mainWindow();
    focus->activateWindow();
    focus->setFocus();
}

} // namespace yk
