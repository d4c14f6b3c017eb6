#include "media/Player.h"

// The player's steps of the clock tick and the position refresh.

#include "media/DeviceSequences.h"
#include "media/EntryName.h"
#include "media/PlayList.h"
#include "media/PlayerShared.h"
#include "media/ThumbBars.h"
#include "platform/DeviceChannel.h"
#include "platform/MoviePlayer.h"

namespace yk {

using namespace player_detail;

void Player::tickTitleRefresh()
{
    if (!m_titleRefresh)
        return;
    focusCurrent();
    m_titleRefresh = false;
    updateFastTicks();
}

void Player::tickTrack()
{
    if (m_playStart && !m_list.isEmpty())
        play();

    if (m_openingPlay && (movieAtEnd() || device::trackEnded(m_device))) {
        m_openingPlay = false;
        stop();
        QString title;
        if (!m_list.isEmpty()) {
            const QString path = m_list.at(m_curIndex);
            m_id3Title = m_titleSource(path);
            title = displayName(m_curIndex, path);
        }
        setTitle(title);
        if (!m_display.thumbVisible || m_display.titleFramed) {
            m_display.thumbVisible = true;
            m_display.titleFramed = false;
            Q_EMIT displayChanged();
        }
    }

    if (!m_movieShown) {
        if (m_listPlay && device::trackEnded(m_device)) {
            m_device.setCommand(kClose);
            Q_EMIT lyricsOff();
            m_trackEnd = true;
        }
    } else if (m_listPlay && movieAtEnd()) {
        closeMovie();
        Q_EMIT lyricsOff();
        m_trackEnd = true;
    }

    if (m_listPlay && m_trackEnd)
        advance();
    m_trackEnd = false;
    updateFastTicks();
}

void Player::advance()
{
    const int count = m_list.count();
    if (count == 0 || (count == 1 && !m_loop)) {
        m_listPlay = false;
        return;
    }
    if (m_curIndex >= count - 1 && !m_loop && !m_random) {
        m_listPlay = false;
        return;
    }
    if (m_random) {
        // The pick has to differ from the entry that just ended, not from
        // its neighbour: two entries alternate, and none plays twice running.
        playNow();
        if (!fileExists(m_curFile))
            m_listPlay = false;
        return;
    }
    int next = m_curIndex + 1;
    if (next > count - 1)
        next = m_loop ? 0 : count - 1;
    m_curIndex = next;
    const QString path = m_list.at(next);
    if (!fileExists(path)) {
        // The list stops at an entry it cannot play rather than skipping
        // on past it.
        m_listPlay = false;
        return;
    }
    m_curFile = path;
    playNow();
}

void Player::tickDisplay()
{
    Display next = m_display;
    if (!m_list.isEmpty()) {
        next.buttonsVisible = true;
        next.randomVisible = true;
        next.thumbVisible = m_device.command() != kClose || m_listPlay || m_movieShown;
        next.titleOpaque = true;
    } else if (!m_openingPlay) {
        next.buttonsVisible = false;
        next.randomVisible = false;
        next.thumbVisible = false;
        if (m_movieShown || m_listPlay) {
            next.thumbVisible = true;
            next.titleOpaque = true;
        } else {
            if (!m_notice)
                setTitle({});
            next.titleOpaque = false;
        }
    }
    if (next != m_display) {
        m_display = next;
        Q_EMIT displayChanged();
    }
}

void Player::refreshPosition()
{
    const bool movie = m_movieShown && m_movie;
    const qint64 position = movie ? m_movie->position() : m_device.position();
    const qint64 length = movie ? m_movie->duration() : m_device.length();
    if (position == 0 || position == length) {
        m_elapsed = QStringLiteral("00:00");
        m_fraction = 0.0;
    } else {
        m_elapsed = elapsedText(position);
        m_fraction = length > 0 ? std::clamp(double(position) / double(length), 0.0, 1.0) : 0.0;
    }
    Q_EMIT positionChanged(position);
    moveThumb(thumbs::followLeft(m_thumbLeft, position, length, m_seekDrag));
    // Nothing left to follow: no reason to keep waking up.
    if (m_device.command() == kClose && !m_movieShown && m_moviePending.isEmpty())
        m_positionTimer.stop();
}

} // namespace yk
