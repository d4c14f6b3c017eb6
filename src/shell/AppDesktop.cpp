#include "shell/App.h"

// The desktop's side of the program: the player's controls published for
// media keys and panel applets, and the desktop notices that stand in for
// the mascot when it is not there to tell of a timer.

#include "media/Player.h"
#include "media/PlayerRemote.h"
#include "platform/MediaControls.h"
#include "shell/Form1.h"
#include "shell/NoticeFallback.h"
#include "shell/PlayerControls.h"

namespace yk {

void App::wireDesktopServices()
{
    m_notices = std::make_unique<NoticeFallback>(*m_s.mascot, *m_s.notifier);
    m_remote = std::make_unique<PlayerRemote>(
        *m_player, m_playList, *m_s.device, *m_s.mixer, *m_trackInfo,
        PlayerRemote::Actions{[this] {
                                  m_form->show();
                                  raiseAllWindows();
                              },
                              // The End command's own path: settings saved, farewell said.
                              [this] { shutdown(); },
                              [this] { m_controls->placeVolumeFromMixer(); }});
    // The desktop's volume slider follows a drag of our own thumb.
    connect(m_controls.get(), &PlayerControls::volumeSet, m_remote.get(), [this] { m_remote->refresh(); });
    m_s.mediaControls->publish(*m_remote);
}

void App::sendImportantNotice(const QString& script)
{
    m_notices->sendImportant(script);
}

} // namespace yk
