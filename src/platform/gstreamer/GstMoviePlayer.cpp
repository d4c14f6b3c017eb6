#include "platform/gstreamer/GstMoviePlayer.h"

#include <algorithm>

#include <QFileInfo>

#include "platform/gstreamer/VideoWidget.h"

namespace yk::gst {

GstMoviePlayer::GstMoviePlayer(QObject* parent)
    : MoviePlayer(parent)
    , m_playbin(Playbin::Kind::Movie)
{
    makeWidget();
    m_loadTimer.setSingleShot(true);
    connect(&m_loadTimer, &QTimer::timeout, this,
        [this] { fail(QStringLiteral("%1 did not load").arg(m_file)); });
    connect(&m_playbin, &Playbin::loaded, this, [this](const MediaInfo& info) {
        if (!m_loading)
            return;
        m_loading = false;
        m_loadTimer.stop();
        m_size = info.videoSize;
        Q_EMIT loaded();
        if (std::exchange(m_playWhenLoaded, false))
            play();
    });
    connect(&m_playbin, &Playbin::failed, this, [this](const QString& message) {
        if (m_loading)
            fail(message);
    });
    connect(&m_playbin, &Playbin::ended, this, &MoviePlayer::finished);
}

GstMoviePlayer::~GstMoviePlayer()
{
    delete m_widget.data();
}

void GstMoviePlayer::makeWidget()
{
    m_widget = new VideoWidget(m_playbin);
}

bool GstMoviePlayer::open(const QString& path)
{
    m_file = path;
    m_playWhenLoaded = false;
    m_size = QSize();
    m_loadTimer.stop();
    if (!m_widget)
        makeWidget();
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile()) {
        m_playbin.close();
        m_loading = true; // so that fail() answers this open, once
        const quint64 opened = ++m_opens;
        // Queued: the answer never comes before open() has returned.
        QMetaObject::invokeMethod(
            this,
            [this, path, opened] {
                if (opened == m_opens && m_loading)
                    fail(QStringLiteral("no such file: %1").arg(path));
            },
            Qt::QueuedConnection);
        return false;
    }
    ++m_opens;
    m_loading = true;
    m_playbin.load(file.absoluteFilePath());
    m_loadTimer.start(m_loadTimeoutMs);
    return true;
}

void GstMoviePlayer::fail(const QString& message)
{
    m_loading = false;
    m_playWhenLoaded = false;
    m_loadTimer.stop();
    m_size = QSize();
    m_playbin.close();
    Q_EMIT error(message);
}

void GstMoviePlayer::play()
{
    if (m_loading) {
        m_playWhenLoaded = true;
        return;
    }
    // A movie played again from its end starts over.
    if (m_playbin.atEnd())
        m_playbin.play(0);
    else
        m_playbin.play();
}

void GstMoviePlayer::pause()
{
    m_playWhenLoaded = false;
    if (!m_loading && !m_playbin.atEnd())
        m_playbin.pause();
}

void GstMoviePlayer::stop()
{
    m_playWhenLoaded = false;
    if (m_loading)
        return;
    m_playbin.pause();
    m_playbin.seek(0);
}

void GstMoviePlayer::seek(qint64 ms)
{
    if (m_loading || !m_playbin.isOpen())
        return;
    const qint64 length = duration();
    ms = std::max<qint64>(ms, 0);
    if (length > 0)
        ms = std::min(ms, length);
    m_playbin.seek(ms);
}

qint64 GstMoviePlayer::position() const
{
    return m_loading ? 0 : m_playbin.position();
}

qint64 GstMoviePlayer::duration() const
{
    return m_loading ? 0 : m_playbin.length();
}

bool GstMoviePlayer::hasVideo() const
{
    return !m_loading && m_playbin.isOpen() && !m_size.isEmpty();
}

QSize GstMoviePlayer::videoSize() const
{
    return hasVideo() ? m_size : QSize();
}

QWidget* GstMoviePlayer::videoWidget() const
{
    return m_widget.data();
}

QImage GstMoviePlayer::grabFrame() const
{
    if (!hasVideo())
        return {};
    QImage image = m_playbin.frame();
    if (image.isNull())
        return {};
    if (image.size() != m_size)
        image = image.scaled(m_size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_RGB32);
}

void GstMoviePlayer::setStreamVolume(double volume)
{
    m_playbin.setVolume(volume);
}

} // namespace yk::gst

// The program loads this module by name when it first opens a movie, so the
// media framework stays off the start-up path.
extern "C" Q_DECL_EXPORT yk::MoviePlayer* yk_create_movie_player()
{
    return new yk::gst::GstMoviePlayer();
}
