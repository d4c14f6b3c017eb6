#include "platform/linux/MprisAdaptors.h"

#include "platform/MediaControls.h"

namespace yk {

MprisRootAdaptor::MprisRootAdaptor(QObject* parent, MediaControlTarget& target)
    : QDBusAbstractAdaptor(parent)
    , m_target(target)
{
}

void MprisRootAdaptor::Raise()
{
    m_target.raise();
}

void MprisRootAdaptor::Quit()
{
    // After the reply has gone: the shutdown ends the event loop.
    QMetaObject::invokeMethod(&m_target, [target = &m_target] { target->quit(); }, Qt::QueuedConnection);
}

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* parent, MediaControlTarget& target)
    : QDBusAbstractAdaptor(parent)
    , m_target(target)
{
    setAutoRelaySignals(false);
}

QVariantMap MprisPlayerAdaptor::metadataOf(const MediaTrack& track)
{
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(track.id)));
    if (track.id == MediaControlTarget::kNoTrack)
        return map;
    map.insert(QStringLiteral("xesam:title"), track.title);
    if (!track.artists.isEmpty())
        map.insert(QStringLiteral("xesam:artist"), track.artists);
    if (!track.album.isEmpty())
        map.insert(QStringLiteral("xesam:album"), track.album);
    if (!track.albumArtists.isEmpty())
        map.insert(QStringLiteral("xesam:albumArtist"), track.albumArtists);
    if (!track.genres.isEmpty())
        map.insert(QStringLiteral("xesam:genre"), track.genres);
    if (track.trackNumber > 0)
        map.insert(QStringLiteral("xesam:trackNumber"), track.trackNumber);
    if (track.lengthUs > 0)
        map.insert(QStringLiteral("mpris:length"), qlonglong(track.lengthUs));
    if (!track.url.isEmpty())
        map.insert(QStringLiteral("xesam:url"), track.url);
    if (!track.artUrl.isEmpty())
        map.insert(QStringLiteral("mpris:artUrl"), track.artUrl);
    return map;
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return m_target.state().playbackStatus;
}

QString MprisPlayerAdaptor::loopStatus() const
{
    return m_target.state().loopStatus;
}

void MprisPlayerAdaptor::setLoopStatus(const QString& status)
{
    m_target.setLoopStatus(status);
}

bool MprisPlayerAdaptor::shuffle() const
{
    return m_target.state().shuffle;
}

void MprisPlayerAdaptor::setShuffle(bool on)
{
    m_target.setShuffle(on);
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return metadataOf(m_target.state().track);
}

double MprisPlayerAdaptor::volume() const
{
    return m_target.state().volume;
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    m_target.setVolume(volume);
}

qlonglong MprisPlayerAdaptor::position() const
{
    return m_target.positionUs();
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return m_target.state().canGoNext;
}

bool MprisPlayerAdaptor::canGoPrevious() const
{
    return m_target.state().canGoPrevious;
}

bool MprisPlayerAdaptor::canPlay() const
{
    return m_target.state().canPlay;
}

bool MprisPlayerAdaptor::canPause() const
{
    return m_target.state().canPause;
}

bool MprisPlayerAdaptor::canSeek() const
{
    return m_target.state().canSeek;
}

void MprisPlayerAdaptor::Next()
{
    m_target.next();
}

void MprisPlayerAdaptor::Previous()
{
    m_target.previous();
}

void MprisPlayerAdaptor::Pause()
{
    m_target.pause();
}

void MprisPlayerAdaptor::PlayPause()
{
    m_target.playPause();
}

void MprisPlayerAdaptor::Stop()
{
    m_target.stop();
}

void MprisPlayerAdaptor::Play()
{
    m_target.play();
}

void MprisPlayerAdaptor::Seek(qlonglong offset)
{
    m_target.seek(offset);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position)
{
    m_target.setPosition(trackId.path(), position);
}

void MprisPlayerAdaptor::OpenUri(const QString&)
{
    // No URI schemes are offered; files come by the program's own ways.
}

} // namespace yk
