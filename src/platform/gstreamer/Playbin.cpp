#include "platform/gstreamer/Playbin.h"

#include <QFileInfo>
#include <QUrl>

#include <gst/video/video.h>

#include "platform/gstreamer/EngineThread.h"
#include "platform/gstreamer/PlaybinCore.h"

namespace yk::gst {

Playbin::Playbin(Kind kind, QObject* parent)
    : QObject(parent)
    , m_shared(std::make_shared<PlaybinShared>())
{
    m_core = new PlaybinCore(kind, m_shared);
    m_core->moveToThread(EngineThread::thread());
    PlaybinCore* core = m_core;
    EngineThread::post([core] { core->create(); });

    // Queued: the answers cross from the engine thread, and those of an
    // earlier generation are dropped here.
    connect(m_core, &PlaybinCore::loaded, this, [this](quint64 generation, const MediaInfo& info) {
        if (generation == m_generation)
            Q_EMIT loaded(info);
    });
    connect(m_core, &PlaybinCore::failed, this, [this](quint64 generation, const QString& message) {
        if (generation == m_generation)
            Q_EMIT failed(message);
    });
    connect(m_core, &PlaybinCore::ended, this, [this](quint64 generation) {
        if (generation == m_generation)
            Q_EMIT ended();
    });
    connect(m_core, &PlaybinCore::joined, this, [this](quint64 generation, const QString& path) {
        if (generation == m_generation)
            Q_EMIT joined(path);
    });
    connect(m_core, &PlaybinCore::frameReady, this, [this] {
        m_shared->frameQueued = false;
        Q_EMIT frameReady();
    });
}

Playbin::~Playbin()
{
    disconnect(m_core, nullptr, this, nullptr);
    PlaybinCore* core = m_core;
    // The pipeline stops on the engine thread, where it lives; nothing here
    // waits for it.
    EngineThread::post([core] { delete core; });
}

void Playbin::post(std::function<void(PlaybinCore&)> work)
{
    PlaybinCore* core = m_core;
    EngineThread::post([core, work = std::move(work)] { work(*core); });
}

namespace {

QString uriOf(const QString& path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

} // namespace

// A new generation: the clock, the next file and a join on its way belong
// to the file let go.
quint64 Playbin::nextGeneration()
{
    const quint64 generation = ++m_generation;
    std::lock_guard guard(m_shared->lock);
    m_shared->clock.reset();
    m_shared->clockGeneration = generation;
    m_shared->nextUri.clear();
    m_shared->nextPath.clear();
    m_shared->joiningPath.clear();
    m_shared->frame = QImage();
    return generation;
}

void Playbin::load(const QString& path)
{
    const quint64 generation = nextGeneration();
    m_open = true;
    post([generation, uri = uriOf(path)](PlaybinCore& core) { core.load(generation, uri); });
}

void Playbin::play(std::optional<qint64> from)
{
    if (!m_open)
        return;
    {
        // Where a loaded file will be is known here already: a start at or
        // past the end is the end, any other start point is where the clock
        // stands, so a caller reading back sees it at once. The clock runs
        // once the engine says the sound is on its way.
        std::lock_guard guard(m_shared->lock);
        PlaybackClock& clock = m_shared->clock;
        const qint64 length = clock.length();
        if (from && length > 0 && m_shared->clockGeneration == m_generation) {
            if (*from >= length)
                clock.end(length);
            else
                clock.restart(*from, length, false, monotonicMs());
        }
    }
    const quint64 generation = m_generation;
    post([generation, from](PlaybinCore& core) { core.play(generation, from); });
}

void Playbin::pause()
{
    if (!m_open)
        return;
    {
        // The clock stops now, not when the engine gets to it.
        std::lock_guard guard(m_shared->lock);
        m_shared->clock.hold(monotonicMs());
    }
    const quint64 generation = m_generation;
    post([generation](PlaybinCore& core) { core.pause(generation); });
}

void Playbin::seek(qint64 ms)
{
    if (!m_open)
        return;
    {
        // The clock shows the new place at once; a seek from the end waits
        // there, paused.
        std::lock_guard guard(m_shared->lock);
        PlaybackClock& clock = m_shared->clock;
        const qint64 length = clock.length();
        clock.restart(PlaybackClock::normalise(ms, 0, length), length, clock.running(), monotonicMs());
    }
    const quint64 generation = m_generation;
    post([generation, ms](PlaybinCore& core) { core.seek(generation, ms); });
}

void Playbin::close()
{
    if (!m_open)
        return;
    nextGeneration();
    m_open = false;
    post([](PlaybinCore& core) { core.close(); });
}

void Playbin::setVolume(double volume)
{
    post([volume](PlaybinCore& core) { core.setVolume(volume); });
}

void Playbin::setNextFile(const QString& path)
{
    std::lock_guard guard(m_shared->lock);
    m_shared->nextPath = path;
    m_shared->nextUri = path.isEmpty() ? QString() : uriOf(path);
}

void Playbin::setWindow(WId window)
{
    m_shared->window = window;
    post([window](PlaybinCore& core) { core.setWindow(window); });
}

void Playbin::expose()
{
    post([](PlaybinCore& core) { core.expose(); });
}

qint64 Playbin::position() const
{
    std::lock_guard guard(m_shared->lock);
    if (!m_open || m_shared->clockGeneration != m_generation)
        return 0;
    return m_shared->clock.position(monotonicMs());
}

qint64 Playbin::length() const
{
    std::lock_guard guard(m_shared->lock);
    if (!m_open || m_shared->clockGeneration != m_generation)
        return 0;
    return m_shared->clock.length();
}

bool Playbin::atEnd() const
{
    std::lock_guard guard(m_shared->lock);
    return m_open && m_shared->clockGeneration == m_generation && m_shared->clock.ended();
}

Playbin::Picture Playbin::picture() const
{
    return Picture(m_shared->picture.load());
}

QImage Playbin::frame() const
{
    {
        std::lock_guard guard(m_shared->lock);
        if (!m_shared->frame.isNull())
            return m_shared->frame;
    }
    GstElement* sink = m_shared->overlaySink.load();
    if (!sink || !m_open)
        return {};
    // The overlay sink keeps the sample it shows; it is converted here, once,
    // to plain 32-bit pixels at its own size.
    GstSample* sample = nullptr;
    g_object_get(sink, "last-sample", &sample, nullptr);
    if (!sample)
        return {};
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr);
    GError* error = nullptr;
    GstSample* converted = gst_video_convert_sample(sample, caps, GST_SECOND, &error);
    gst_caps_unref(caps);
    gst_sample_unref(sample);
    g_clear_error(&error);
    if (!converted)
        return {};
    QImage image;
    GstVideoInfo info;
    GstBuffer* buffer = gst_sample_get_buffer(converted);
    GstMapInfo map;
    if (gst_video_info_from_caps(&info, gst_sample_get_caps(converted)) && buffer
        && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        image = QImage(map.data, GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
            GST_VIDEO_INFO_PLANE_STRIDE(&info, 0), QImage::Format_RGB32)
                    .copy();
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(converted);
    return image;
}

} // namespace yk::gst
