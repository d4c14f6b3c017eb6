#include "media/PlayerRemote.h"

#include <algorithm>
#include <cmath>

#include <QUrl>

#include "media/PlayList.h"
#include "media/Player.h"
#include "media/ThumbBars.h"
#include "media/TrackInfoReader.h"
#include "platform/DeviceChannel.h"
#include "platform/VolumeMixer.h"

namespace yk {

namespace {

const QString kPlaying = QStringLiteral("Playing");
const QString kPaused = QStringLiteral("Paused");
const QString kStopped = QStringLiteral("Stopped");

} // namespace

PlayerRemote::PlayerRemote(Player& player, PlayList& list, DeviceChannel& device, VolumeMixer& mixer,
                           TrackInfoReader& tags, Actions actions, QObject* parent)
    : MediaControlTarget(parent)
    , m_player(player)
    , m_list(list)
    , m_device(device)
    , m_mixer(mixer)
    , m_tags(tags)
    , m_actions(std::move(actions))
{
    const auto again = [this] { refresh(); };
    connect(&m_player, &Player::titleChanged, this, again);
    connect(&m_player, &Player::facesChanged, this, again);
    connect(&m_player, &Player::displayChanged, this, again);
    connect(&m_player, &Player::currentEntryFocused, this, again);
    connect(&m_player, &Player::movieShown, this, again);
    connect(&m_player, &Player::movieClosed, this, again);
    connect(&m_list, &PlayList::changed, this, again);
    connect(&m_player, &Player::trackOpened, this, [this] {
        // A tag edited since is read afresh.
        m_tagPath.clear();
        refresh();
    });
    connect(&m_tags, &TrackInfoReader::finished, this, [this](const QString& path) {
        if (path != m_tagPath)
            return;
        m_tagPath.clear();
        refresh();
    });
    // The position refresh runs while anything is open, so it is also what
    // notices a pause or a resume from a key.
    connect(&m_player, &Player::positionChanged, this, [this](qint64 ms) {
        m_positionMs = ms;
        refresh(false);
    });
    refresh();
}

QString PlayerRemote::trackId(int index)
{
    return QStringLiteral("/org/yomikaze/track/%1").arg(index);
}

qint64 PlayerRemote::positionUs() const
{
    if (m_state.playbackStatus == kStopped)
        return 0;
    const qint64 ms = m_player.moviePlaying() ? m_positionMs : m_device.position();
    return std::max<qint64>(ms, 0) * 1000;
}

MediaTrack PlayerRemote::currentTrack() const
{
    MediaTrack track;
    const int index = m_player.currentIndex();
    const QString path = m_list.at(index);
    if (path.isEmpty()) {
        track.id = kNoTrack;
        return track;
    }
    if (path != m_tagPath) {
        // Not read in the reader's short wait: its finished() brings it.
        m_tagPath = path;
        m_info = m_tags.lookup(path, true).info;
    }
    track.id = trackId(index);
    track.title = tags::trackTitle(path, m_info);
    if (m_info) {
        if (!m_info->artist.isEmpty())
            track.artists = QStringList{m_info->artist};
        track.album = m_info->album;
        if (!m_info->albumArtist.isEmpty())
            track.albumArtists = QStringList{m_info->albumArtist};
        if (!m_info->genre.isEmpty())
            track.genres = QStringList{m_info->genre};
        track.trackNumber = m_info->trackNumber;
    }
    track.url = QUrl::fromLocalFile(path).toString();
    // The length is known once the device has opened the file, and kept
    // for that file when the device closes again.
    if (path != m_lengthPath) {
        m_lengthPath = path;
        m_lengthMs = 0;
    }
    if (m_device.fileName() == path && m_device.command() != u"Close" && m_device.length() > 0)
        m_lengthMs = m_device.length();
    // Until then the tags' own reckoning stands in, so a track cued while
    // paused has its length too.
    const qint64 lengthMs = m_lengthMs > 0 ? m_lengthMs : (m_info ? m_info->lengthMs : 0);
    track.lengthUs = lengthMs * 1000;
    if (path == m_artPath)
        track.artUrl = m_artUrl;
    return track;
}

MediaState PlayerRemote::compute() const
{
    MediaState s;
    const QString command = m_device.command();
    // The opening and timer sounds borrow the device; they are not a track
    // of the list.
    if (m_player.systemSoundPlaying())
        s.playbackStatus = kStopped;
    else if (command == u"Pause")
        s.playbackStatus = kPaused;
    else if (command == u"Play" || m_player.moviePlaying())
        s.playbackStatus = kPlaying;
    else
        s.playbackStatus = kStopped;
    s.loopStatus = m_player.loopOn() ? QStringLiteral("Playlist") : QStringLiteral("None");
    s.shuffle = m_player.randomOn();
    s.volume = m_volume;
    const bool entries = !m_list.isEmpty();
    // Forward and back wrap round, so either way is always open.
    s.canGoNext = entries;
    s.canGoPrevious = entries;
    s.canPlay = entries;
    s.canPause = entries;
    s.track = currentTrack();
    s.canSeek = s.playbackStatus != kStopped && s.track.lengthUs > 0;
    return s;
}

void PlayerRemote::refresh(bool readMixer)
{
    if (readMixer) {
        const std::optional<quint32> v = m_mixer.volume();
        // The left channel, as the volume thumb follows it.
        m_volume = v ? double(*v & 0xFFFFu) / 65535.0 : 0.0;
    }
    MediaState now = compute();
    if (now == m_state)
        return;
    m_state = std::move(now);
    Q_EMIT changed();
}

void PlayerRemote::setArtUrl(const QString& trackPath, const QString& url)
{
    m_artPath = trackPath;
    m_artUrl = url;
    refresh(false);
}

void PlayerRemote::play()
{
    refresh();
    if (m_state.playbackStatus == kPaused)
        m_player.togglePauseFromKey();
    else if (m_state.playbackStatus == kStopped && !m_list.isEmpty())
        m_player.play();
    refresh();
}

void PlayerRemote::pause()
{
    refresh();
    if (m_state.playbackStatus == kPlaying)
        m_player.togglePauseFromKey();
    refresh();
}

void PlayerRemote::playPause()
{
    refresh();
    if (m_state.playbackStatus == kStopped) {
        play();
        return;
    }
    m_player.togglePauseFromKey();
    refresh();
}

void PlayerRemote::stop()
{
    m_player.stop();
    refresh();
}

void PlayerRemote::next()
{
    m_player.forward();
    refresh();
}

void PlayerRemote::previous()
{
    m_player.back();
    refresh();
}

void PlayerRemote::seekTo(qint64 positionUs)
{
    m_player.seekTo(positionUs / 1000);
    refresh();
    Q_EMIT seeked(positionUs);
}

void PlayerRemote::seek(qint64 offsetUs)
{
    refresh();
    if (!m_state.canSeek)
        return;
    const qint64 target = std::max<qint64>(positionUs() + offsetUs, 0);
    // Past the end is the next track, as the end of a track would be.
    if (target > m_state.track.lengthUs) {
        next();
        return;
    }
    seekTo(target);
}

void PlayerRemote::setPosition(const QString& id, qint64 positionUs)
{
    refresh();
    // A request meant for a track that has since been left is stale.
    if (!m_state.canSeek || id != m_state.track.id || positionUs < 0 || positionUs > m_state.track.lengthUs)
        return;
    seekTo(positionUs);
}

void PlayerRemote::setLoopStatus(const QString& status)
{
    // One loop only: it repeats the list, and a list of one is that track.
    const bool on = status == u"Playlist" || status == u"Track";
    if (status != u"None" && !on)
        return;
    if (on != m_player.loopOn())
        m_player.toggleLoop();
    refresh();
}

void PlayerRemote::setShuffle(bool on)
{
    if (on != m_player.randomOn())
        m_player.toggleRandom();
    refresh();
}

void PlayerRemote::setVolume(double volume)
{
    if (std::isnan(volume))
        return;
    // In the volume thumb's 64 steps, as a drag would set it.
    const int step = int(std::lround(std::clamp(volume, 0.0, 1.0) * thumbs::kVolume.span()));
    m_mixer.setVolume(thumbs::mixerVolume(thumbs::kVolume.min + step));
    if (m_actions.volumeSet)
        m_actions.volumeSet();
    refresh();
}

void PlayerRemote::raise()
{
    if (m_actions.raise)
        m_actions.raise();
}

void PlayerRemote::quit()
{
    if (m_actions.quit)
        m_actions.quit();
}

} // namespace yk
