#include "shell/App.h"

// The lyrics' part of the wiring: the lookup and the timed line behind the
// player, the label on the main window, and the tick's label step.
//
// The controller is the lyrics service unless the caller gave one of its
// own; a given service is told about track starts and stops and nothing
// else, and the label then stays hidden.

#include "media/LyricsController.h"
#include "media/Player.h"
#include "platform/MascotChannel.h"
#include "shell/Form1.h"

namespace yk {

void App::wireLyrics()
{
    m_lyrics = std::make_unique<LyricsController>(
        *m_s.mascot, LyricsController::Sources{
                         [this] { return m_settings.Lyrics_Dir; },
                         [this] { return m_player->listPlaying() || m_player->systemSoundPlaying(); }});
    if (!m_s.lyrics)
        m_s.lyrics = m_lyrics.get();

    connect(m_player.get(), &Player::positionChanged, m_lyrics.get(), &LyricsController::updatePosition);
    connect(m_lyrics.get(), &LyricsController::captionChanged, m_form.get(), &Form1::showLyricsLine);
    connect(m_lyrics.get(), &LyricsController::labelShownChanged, m_form.get(), &Form1::showLyricsLabel);
    connect(m_form.get(), &Form1::elementDoubleClicked, this, [this](const QString& element, int) {
        if (element == u"lbl_Lyrics")
            m_lyrics->openFile(*m_s.shell);
    });
}

} // namespace yk
