#include "platform/qtmedia/QtMoviePlayer.h"
#include "platform/qtmedia/MediaStatus.h"

#include <algorithm>

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoSink>
#include <QVideoWidget>

namespace yk {

QtMoviePlayer::QtMoviePlayer(QObject* parent)
    : MoviePlayer(parent)
    , m_player(new QMediaPlayer(this))
    , m_audio(new QAudioOutput(this))
    , m_tap(new QVideoSink(this))
{
    m_player->setAudioOutput(m_audio);
    // Our own sink has no graphics context, so the decoder hands it frames
    // in ordinary memory, which can be copied out at any time.
    m_player->setVideoSink(m_tap);
    makeWidget();

    auto* devices = new QMediaDevices(this);
    connect(devices, &QMediaDevices::audioOutputsChanged, this,
            [this] { m_audio->setDevice(QMediaDevices::defaultAudioOutput()); });
    connect(m_tap, &QVideoSink::videoFrameChanged, this, &QtMoviePlayer::onFrame);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &QtMoviePlayer::onStatusChanged);
    connect(m_player, &QMediaPlayer::hasVideoChanged, this, [this] {
        if (m_loading)
            tryFinishLoading();
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error, const QString& message) {
        if (m_loading)
            failLoading(message);
    });
    m_loadTimer.setSingleShot(true);
    connect(&m_loadTimer, &QTimer::timeout, this, &QtMoviePlayer::onLoadTimeout);
}

QtMoviePlayer::~QtMoviePlayer()
{
    m_player->stop();
    delete m_widget.data();
}

void QtMoviePlayer::makeWidget()
{
    m_widget = new QVideoWidget;
    m_widget->setObjectName(QStringLiteral("movieVideo"));
    m_widget->setAttribute(Qt::WA_DeleteOnClose, false);
}

void QtMoviePlayer::setLoadTimeouts(int loadMs, int pictureMs)
{
    m_loadTimeoutMs = loadMs;
    m_pictureTimeoutMs = pictureMs;
}

bool QtMoviePlayer::open(const QString& path)
{
    ++m_generation;
    // Not loading while the previous file is let go: the player's status
    // changes on the way still describe that one.
    m_loading = false;
    endPeek();
    m_file = path;
    m_playWhenLoaded = false;
    m_hasVideo = false;
    m_size = QSize();
    m_lastFrame = QVideoFrame();
    m_ended = false;
    m_endPosition = 0;
    m_pendingSeek.reset();
    if (!m_widget)
        makeWidget();
    m_loadTimer.stop();

    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile()) {
        if (!m_player->source().isEmpty())
            m_player->setSource(QUrl());
        failLoading(QStringLiteral("no such file: %1").arg(path));
        return false;
    }
    const QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
    // The same source again would be taken as no change at all, and would
    // never report itself loaded.
    if (m_player->source() == url)
        m_player->setSource(QUrl());
    m_player->setSource(url);
    m_loading = true;
    m_loadTimer.start(m_loadTimeoutMs);
    return true;
}

bool QtMoviePlayer::mediaLoaded() const
{
    return mediaIsLoaded(m_player->mediaStatus());
}

void QtMoviePlayer::onStatusChanged()
{
    const QMediaPlayer::MediaStatus status = m_player->mediaStatus();
    if (m_loading) {
        if (status == QMediaPlayer::InvalidMedia)
            failLoading(m_player->errorString().isEmpty() ? QStringLiteral("cannot play %1").arg(m_file)
                                                          : m_player->errorString());
        else
            tryFinishLoading();
        return;
    }
    if (status == QMediaPlayer::EndOfMedia && !m_ended) {
        const qint64 reached = std::max<qint64>(m_player->position(), 0);
        // At least 1, so "position equals duration and is not 0" tells the
        // end even of a file whose length was never reported.
        m_endPosition = std::max({m_player->duration(), reached, qint64(1)});
        m_ended = true;
        m_pendingSeek.reset();
        Q_EMIT finished();
    }
}

QSize QtMoviePlayer::describedSize() const
{
    const auto tracks = m_player->videoTracks();
    for (const QMediaMetaData& track : tracks) {
        const QSize size = track.value(QMediaMetaData::Resolution).toSize();
        if (!size.isEmpty())
            return size;
    }
    return m_player->metaData().value(QMediaMetaData::Resolution).toSize();
}

void QtMoviePlayer::tryFinishLoading()
{
    if (!m_loading || !mediaLoaded())
        return;
    const bool video = m_player->hasVideo() || !m_player->videoTracks().isEmpty();
    if (!video) {
        finishLoading(false);
        return;
    }
    if (m_size.isEmpty())
        m_size = describedSize();
    if (!m_size.isEmpty()) {
        finishLoading(true);
        return;
    }
    // The file does not say its size, and the decoder draws nothing until
    // it plays. A second, silent player plays it until the first picture
    // tells the size; the real one stays untouched at the start.
    if (!m_waitingForPicture) {
        m_waitingForPicture = true;
        m_loadTimer.start(m_pictureTimeoutMs);
        m_probe = new QMediaPlayer(this);
        auto* silent = new QAudioOutput(m_probe);
        silent->setMuted(true);
        m_probe->setAudioOutput(silent); // without one its clock does not run
        auto* sink = new QVideoSink(m_probe);
        m_probe->setVideoSink(sink);
        connect(sink, &QVideoSink::videoFrameChanged, this, &QtMoviePlayer::onProbeFrame);
        m_probe->setSource(m_player->source());
        m_probe->play();
    }
}

void QtMoviePlayer::onProbeFrame(const QVideoFrame& frame)
{
    if (!frame.isValid() || !m_loading || !m_waitingForPicture)
        return;
    m_size = frame.size();
    m_lastFrame = frame;
    finishLoading(true);
    endPeek();
}

void QtMoviePlayer::endPeek()
{
    m_waitingForPicture = false;
    if (!m_probe)
        return;
    m_probe->disconnect(this);
    m_probe->videoSink()->disconnect(this);
    m_probe->pause();
    m_probe->deleteLater();
    m_probe = nullptr;
}

void QtMoviePlayer::onLoadTimeout()
{
    if (!m_loading)
        return;
    if (m_waitingForPicture && mediaLoaded()) {
        finishLoading(false); // a video track that never shows a picture: play it as sound
        endPeek();
    } else {
        endPeek();
        failLoading(QStringLiteral("%1 did not load").arg(m_file));
    }
}

void QtMoviePlayer::onFrame(const QVideoFrame& frame)
{
    if (m_widget && m_widget->videoSink())
        m_widget->videoSink()->setVideoFrame(frame);
    if (!frame.isValid())
        return; // the last picture stays, for a frame taken after a stop
    m_lastFrame = frame;
    if (m_size.isEmpty())
        m_size = frame.size();
}

void QtMoviePlayer::finishLoading(bool video)
{
    m_loading = false;
    m_loadTimer.stop();
    m_hasVideo = video;
    if (!video)
        m_size = QSize();
    const quint64 generation = m_generation;
    // Queued: the answer never comes before open() has returned.
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != m_generation)
                return;
            Q_EMIT loaded();
            if (std::exchange(m_playWhenLoaded, false))
                play();
        },
        Qt::QueuedConnection);
}

void QtMoviePlayer::failLoading(const QString& message)
{
    m_loading = false;
    endPeek();
    m_loadTimer.stop();
    m_hasVideo = false;
    m_size = QSize();
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation, message] {
            if (generation == m_generation)
                Q_EMIT error(message);
        },
        Qt::QueuedConnection);
}

void QtMoviePlayer::play()
{
    if (m_loading) {
        m_playWhenLoaded = true;
        return;
    }
    if (m_player->source().isEmpty())
        return;
    m_ended = false;
    m_player->play();
    // A player that is stopped or at its end drops a seek made before
    // play() and starts from 0, so the seek follows the start.
    if (m_pendingSeek)
        m_player->setPosition(*std::exchange(m_pendingSeek, std::nullopt));
}

void QtMoviePlayer::pause()
{
    m_playWhenLoaded = false;
    if (!m_loading && !m_ended && !m_player->source().isEmpty())
        m_player->pause();
}

void QtMoviePlayer::stop()
{
    m_playWhenLoaded = false;
    m_pendingSeek.reset();
    m_ended = false;
    m_player->stop();
    // At the end of the file the backend's stop leaves it there; the next
    // play() starts from 0 anyway, and until then the clock reads 0.
    if (m_player->position() != 0)
        m_pendingSeek = 0;
}

void QtMoviePlayer::seek(qint64 ms)
{
    if (m_loading || m_player->source().isEmpty())
        return;
    const qint64 length = duration();
    ms = std::max<qint64>(ms, 0);
    if (length > 0)
        ms = std::min(ms, length);
    if (m_ended || m_player->playbackState() == QMediaPlayer::StoppedState) {
        m_pendingSeek = ms;
        return;
    }
    m_player->setPosition(ms);
}

qint64 QtMoviePlayer::position() const
{
    if (m_loading || m_player->source().isEmpty())
        return 0;
    if (m_ended)
        return m_endPosition;
    if (m_pendingSeek)
        return *m_pendingSeek;
    qint64 pos = std::max<qint64>(m_player->position(), 0);
    const qint64 length = m_player->duration();
    if (length > 0)
        pos = std::min(pos, length);
    return pos;
}

qint64 QtMoviePlayer::duration() const
{
    if (m_loading || m_player->source().isEmpty())
        return 0;
    if (m_ended)
        return m_endPosition;
    return std::max<qint64>(m_player->duration(), 0);
}

bool QtMoviePlayer::hasVideo() const
{
    return !m_loading && m_hasVideo;
}

QSize QtMoviePlayer::videoSize() const
{
    return hasVideo() ? m_size : QSize();
}

QWidget* QtMoviePlayer::videoWidget() const
{
    return m_widget.data();
}

QImage QtMoviePlayer::grabFrame() const
{
    if (!hasVideo() || !m_lastFrame.isValid())
        return {};
    QImage image = m_lastFrame.toImage();
    if (image.isNull())
        return {};
    if (image.size() != m_size)
        image = image.scaled(m_size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace yk

// The program loads this module by name when it first opens a movie, so the
// media framework stays off the start-up path.
extern "C" Q_DECL_EXPORT yk::MoviePlayer* yk_create_movie_player()
{
    return new yk::QtMoviePlayer();
}
