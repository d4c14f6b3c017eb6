#include "shell/App.h"

// The movie window's part of the wiring: the player shows and puts away
// movies in it, its keys reach the main window's commands, mnu_Movie_Full,
// the tick's size step and the frame capture of the Space key.

#include "media/MovieController.h"
#include "media/MovieWindow.h"
#include "media/Player.h"
#include "platform/MoviePlayer.h"
#include "shell/Form1.h"
#include "shell/PopupMenu.h"
#include "media/PlayWindow.h"

namespace yk {

void App::wireMovie()
{
    m_movieWindow = std::make_unique<MovieWindow>();
    m_movieControl = std::make_unique<MovieController>(
        m_settings, *m_movieWindow, *m_s.movie, MovieController::Companions{m_form.get(), m_playWindow.get()},
        [this] { return m_workArea.isValid() ? m_workArea : m_s.workArea(); });

    connect(m_player.get(), &Player::movieShown, m_movieControl.get(), &MovieController::showMovie);
    connect(m_player.get(), &Player::movieClosed, m_movieControl.get(), &MovieController::closeMovie);
    connect(m_movieControl.get(), &MovieController::fullWindowChanged, m_menu.get(), &PopupMenu::setMovieFullChecked);
    // Closing the window stops the movie the way the stop key does, so the
    // player's state and its buttons agree with what is on screen.
    connect(m_movieWindow.get(), &MovieWindow::closeRequested, m_player.get(), &Player::stop);
    connect(m_movieWindow.get(), &MovieWindow::forwardRequested, m_player.get(), &Player::forward);
    connect(m_movieWindow.get(), &MovieWindow::backRequested, m_player.get(), &Player::back);
    // Unlike the main window's own keys, these leave a pending title
    // refresh alone.
    connect(m_movieWindow.get(), &MovieWindow::keyForwarded, this,
            [this](int key, Qt::KeyboardModifiers) { m_keyCommands.run(key); });

    m_menuCommands.add(QStringLiteral("mnu_Movie_Full"), [this] { m_movieControl->toggleFullWindow(); });
    // Space captures the movie's frame while one is shown; otherwise it
    // opens the menu, as the shell's table has it.
    m_keyCommands.add(Qt::Key_Space, [this] {
        if (m_movieWindow->isVisible())
            captureMovieFrame();
        else
            popupMenu(m_form->mapToGlobal(QPoint(0, 0)), true);
    });
}

void App::tickMovieSize()
{
    if (!m_playList.isEmpty())
        m_movieControl->followDisplaySize();
}

void App::captureMovieFrame()
{
    // The frame comes from the decoder at the movie's own size, whatever
    // the window's size, so a small window no longer spoils a capture and
    // every capture is taken.
    const capture::Result result = m_movieControl->captureFrame(m_s.paths.file(u"Capture"));
    if (!result.saved)
        m_player->showNotice(result.error);
    QWidget* focus = m_playWindow->isVisible() ? static_cast<QWidget*>(m_playWindow.get()) : m_form.get();
    focus->activateWindow();
    focus->setFocus();
}

} // namespace yk
