#include "shell/App.h"

// The desktop's side of the program: the player's controls published for
// media keys and panel applets, with the cover of the current entry, and the
// desktop notices that stand in for the mascot when it is not there to tell
// of a timer or of the song that starts.

#include <QUrl>

#include "media/CoverArt.h"
#include "media/NowPlaying.h"
#include "media/NowPlayingNotice.h"
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

    m_coverArt = std::make_unique<CoverArt>(m_s.artCacheFolder.isEmpty() ? CoverArt::defaultCacheFolder()
                                                                          : m_s.artCacheFolder);
    m_nowPlayingNotice = std::make_unique<NowPlayingNotice>(*m_s.notifier, *m_coverArt);
    // What plays is the mascot's to say; the desktop shows it only when no
    // mascot took the announcement.
    connect(m_nowPlaying.get(), &NowPlaying::unheard, m_nowPlayingNotice.get(), &NowPlayingNotice::show);
    // The cover is looked for whenever the controls show an entry without
    // one (a remembered answer comes at once, so asking again is cheap) and
    // when a track opens; an answer for an entry since left is dropped.
    connect(m_remote.get(), &MediaControlTarget::changed, this, [this] {
        if (m_remote->state().track.artUrl.isEmpty())
            m_coverArt->request(m_playList.at(m_player->currentIndex()));
    });
    connect(m_player.get(), &Player::trackOpened, m_coverArt.get(), &CoverArt::request);
    connect(m_coverArt.get(), &CoverArt::found, this, [this](const QString& path, const QString& picture) {
        const QString url = QUrl::fromLocalFile(picture).toString(QUrl::FullyEncoded);
        if (path == m_playList.at(m_player->currentIndex()))
            m_remote->setArtUrl(path, picture.isEmpty() ? QString() : url);
    });
}

void App::sendImportantNotice(const QString& script)
{
    m_notices->sendImportant(script);
}

} // namespace yk
