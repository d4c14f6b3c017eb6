#include "platform/gstreamer/PlaybinCore.h"

#include <algorithm>

#include <QGuiApplication>

#include <gst/audio/gstaudiobasesink.h>
#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

namespace yk::gst {

namespace {

// playbin's flags (GstPlayFlags, which has no public header).
constexpr guint kFlagVideo = 1u << 0;
constexpr guint kFlagAudio = 1u << 1;
constexpr guint kFlagSoftVolume = 1u << 4;
constexpr guint kFlagDeinterlace = 1u << 9;

// The engine's reading of the position. Between readings the clock runs on
// the monotonic clock, which parts from the sound card's by well under a
// millisecond a second, so a reading a second keeps it within a few ms;
// the UI reads it without waking anyone.
constexpr int kPollMs = 1000;

qint64 toMs(gint64 ns)
{
    return ns < 0 ? 0 : qint64(ns / GST_MSECOND);
}

} // namespace

PlaybinCore::PlaybinCore(Playbin::Kind kind, std::shared_ptr<PlaybinShared> shared)
    : m_kind(kind)
    , m_shared(std::move(shared))
{ }

PlaybinCore::~PlaybinCore()
{
    if (m_playbin) {
        gst_element_set_state(m_playbin, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(m_playbin);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_object_unref(m_playbin);
    }
}

void PlaybinCore::create()
{
    m_poll = new QTimer(this);
    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this, &PlaybinCore::report);

    m_playbin = gst_element_factory_make("playbin", nullptr);
    if (!m_playbin)
        return; // load() says so
    gst_object_ref_sink(m_playbin);
    guint flags = kFlagAudio | kFlagSoftVolume;
    if (m_kind == Playbin::Kind::Movie) {
        flags |= kFlagVideo | kFlagDeinterlace;
        m_videoSink = makeVideoSink();
        if (m_videoSink)
            g_object_set(m_playbin, "video-sink", m_videoSink, nullptr);
    }
    g_object_set(m_playbin, "flags", flags, nullptr);
    GstBus* bus = gst_element_get_bus(m_playbin);
    gst_bus_set_sync_handler(bus, &PlaybinCore::onSyncMessage, this, nullptr);
    gst_object_unref(bus);
    g_signal_connect(m_playbin, "about-to-finish", G_CALLBACK(&PlaybinCore::onAboutToFinish), this);
    g_signal_connect(m_playbin, "deep-element-added", G_CALLBACK(&PlaybinCore::onElementAdded), this);
}

// The sound server's sink wakes up every latency-time (10 ms by default) to
// feed the server; a music player needs no such haste. A larger buffer and
// period cost nothing audible: pause, seek and stop flush it at once.
void PlaybinCore::onElementAdded(GstBin*, GstBin*, GstElement* element, gpointer)
{
    if (GST_IS_AUDIO_BASE_SINK(element))
        g_object_set(element, "buffer-time", gint64(400000), "latency-time", gint64(50000), nullptr);
}

GstElement* PlaybinCore::makeVideoSink()
{
    // An overlay sink draws straight into the window, scaled by the display
    // hardware; where none works the pictures come to the widget as images.
    // YK_VIDEO_SINK names another overlay sink (glimagesink, say) or "images".
    QByteArray wanted = qgetenv("YK_VIDEO_SINK");
    if (wanted.isEmpty())
        wanted = "xvimagesink";
    if (wanted != "images" && QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (GstElement* sink = gst_element_factory_make(wanted.constData(), "moviesink")) {
            // Opening the display tells whether the server can show it
            // (Xvfb, for one, has no XVideo).
            if (GST_IS_VIDEO_OVERLAY(sink)
                && gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS) {
                gst_element_set_state(sink, GST_STATE_NULL);
                g_object_set(sink, "force-aspect-ratio", FALSE, nullptr);
                // The window's mouse and keys stay the program's: the movie
                // window is dragged by its picture.
                gst_video_overlay_handle_events(GST_VIDEO_OVERLAY(sink), FALSE);
                m_shared->picture = int(Playbin::Picture::Overlay);
                m_shared->overlaySink = sink;
                return sink;
            }
            gst_element_set_state(sink, GST_STATE_NULL);
            gst_object_unref(sink);
        }
    }
    GstElement* sink = gst_element_factory_make("appsink", "moviesink");
    if (!sink)
        return nullptr;
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr);
    g_object_set(sink, "caps", caps, "max-buffers", 2u, "drop", TRUE, nullptr);
    gst_caps_unref(caps);
    GstAppSinkCallbacks callbacks {};
    callbacks.new_sample = &PlaybinCore::onSample;
    callbacks.new_preroll = &PlaybinCore::onPreroll;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
    m_shared->picture = int(Playbin::Picture::Images);
    return sink;
}

GstFlowReturn PlaybinCore::onSample(GstAppSink* sink, gpointer self)
{
    if (GstSample* sample = gst_app_sink_pull_sample(sink)) {
        static_cast<PlaybinCore*>(self)->takeFrame(sample);
        gst_sample_unref(sample);
    }
    return GST_FLOW_OK;
}

GstFlowReturn PlaybinCore::onPreroll(GstAppSink* sink, gpointer self)
{
    if (GstSample* sample = gst_app_sink_pull_preroll(sink)) {
        static_cast<PlaybinCore*>(self)->takeFrame(sample);
        gst_sample_unref(sample);
    }
    return GST_FLOW_OK;
}

// On a streaming thread: the picture is copied out, and the widget told once
// however many pictures come before it has drawn.
void PlaybinCore::takeFrame(GstSample* sample)
{
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample)))
        return;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (!buffer || !gst_buffer_map(buffer, &map, GST_MAP_READ))
        return;
    const QImage view(map.data, GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
        GST_VIDEO_INFO_PLANE_STRIDE(&info, 0), QImage::Format_RGB32);
    QImage copy = view.copy();
    gst_buffer_unmap(buffer, &map);
    {
        std::lock_guard guard(m_shared->lock);
        m_shared->frame = std::move(copy);
    }
    if (!m_shared->frameQueued.exchange(true))
        Q_EMIT frameReady();
}

GstBusSyncReply PlaybinCore::onSyncMessage(GstBus*, GstMessage* message, gpointer data)
{
    auto* self = static_cast<PlaybinCore*>(data);
    // The overlay sink asks for its window while it prerolls, on its own
    // thread; the answer cannot wait for the engine thread.
    if (gst_is_video_overlay_prepare_window_handle_message(message)) {
        if (const WId window = self->m_shared->window.load())
            gst_video_overlay_set_window_handle(
                GST_VIDEO_OVERLAY(GST_MESSAGE_SRC(message)), guintptr(window));
        gst_message_unref(message);
        return GST_BUS_DROP;
    }
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ASYNC_DONE:
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_STREAM_START:
    case GST_MESSAGE_DURATION_CHANGED:
    case GST_MESSAGE_STATE_CHANGED: {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_STATE_CHANGED
            && GST_MESSAGE_SRC(message) != GST_OBJECT(self->m_playbin)) {
            gst_message_unref(message);
            return GST_BUS_DROP;
        }
        const quint64 generation = self->m_busGeneration.load();
        QMetaObject::invokeMethod(
            self,
            [self, message, generation] {
                self->handle(message, generation);
                gst_message_unref(message);
            },
            Qt::QueuedConnection);
        return GST_BUS_DROP;
    }
    default:
        gst_message_unref(message);
        return GST_BUS_DROP;
    }
}

// On a streaming thread, when the open file's data has all been read: the
// next file is handed on now, so its first sample follows the last one.
void PlaybinCore::onAboutToFinish(GstElement* playbin, gpointer data)
{
    auto* self = static_cast<PlaybinCore*>(data);
    QByteArray uri;
    {
        std::lock_guard guard(self->m_shared->lock);
        if (self->m_shared->nextUri.isEmpty())
            return;
        uri = self->m_shared->nextUri.toUtf8();
        self->m_shared->joiningPath = self->m_shared->nextPath;
        self->m_shared->nextUri.clear();
        self->m_shared->nextPath.clear();
    }
    g_object_set(playbin, "uri", uri.constData(), nullptr);
}

void PlaybinCore::handle(GstMessage* message, quint64 generation)
{
    if (generation != m_generation || !m_playbin)
        return;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ASYNC_DONE:
        if (m_loading)
            prerolled();
        else
            report();
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        report();
        break;
    case GST_MESSAGE_STATE_CHANGED: {
        GstState state = GST_STATE_VOID_PENDING;
        gst_message_parse_state_changed(message, nullptr, &state, nullptr);
        const bool running = m_playing && state == GST_STATE_PLAYING;
        if (running != m_running) {
            m_running = running;
            report();
        }
        break;
    }
    case GST_MESSAGE_STREAM_START: {
        // The first start is the loaded file's own, even when the next one
        // was already taken while it prerolled (a short file is read whole).
        if (++m_streamStarts == 1)
            break;
        QString path;
        {
            std::lock_guard guard(m_shared->lock);
            path = std::exchange(m_shared->joiningPath, QString());
        }
        if (path.isEmpty())
            break;
        // The sink has the next file's first data, but the last of the open
        // one is still to be heard: the join is told when it has been. Until
        // then the clock runs on by itself, since the pipeline's readings
        // already count in the next file's time.
        gint64 reached = -1;
        gst_element_query_position(m_playbin, GST_FORMAT_TIME, &reached);
        const qint64 left = m_length - PlaybackClock::normalise(toMs(reached), m_start, m_length);
        m_poll->stop();
        m_joinPending = true;
        QTimer::singleShot(int(std::clamp<qint64>(left, 0, 5000)), this, [this, generation, path] {
            if (generation == m_generation)
                completeJoin(path);
        });
        break;
    }
    case GST_MESSAGE_EOS:
        finish();
        break;
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        const QString text = error ? QString::fromUtf8(error->message) : QStringLiteral("cannot play");
        g_clear_error(&error);
        if (m_loading)
            fail(text);
        else
            finish(); // a file that breaks off while playing ends there
        break;
    }
    default:
        break;
    }
}

void PlaybinCore::completeJoin(const QString& path)
{
    // The next file took over: its clock starts at 0.
    m_joinPending = false;
    m_start = 0;
    m_length = 0;
    m_ended = false;
    gint64 duration = -1;
    if (gst_element_query_duration(m_playbin, GST_FORMAT_TIME, &duration))
        m_length = toMs(duration);
    {
        std::lock_guard guard(m_shared->lock);
        m_shared->clock.restart(0, m_length, m_running, monotonicMs());
    }
    if (m_playing)
        m_poll->start();
    Q_EMIT joined(m_generation, path);
}

void PlaybinCore::setState(GstState state)
{
    if (gst_element_set_state(m_playbin, state) == GST_STATE_CHANGE_FAILURE && m_loading)
        fail(QStringLiteral("the file cannot be played"));
}

void PlaybinCore::load(quint64 generation, const QString& uri)
{
    m_generation = generation;
    if (!m_playbin) {
        Q_EMIT failed(generation, QStringLiteral("GStreamer's playbin is not installed"));
        return;
    }
    m_poll->stop();
    gst_element_set_state(m_playbin, GST_STATE_NULL);
    m_busGeneration = generation;
    m_loading = true;
    m_playing = false;
    m_running = false;
    m_ended = false;
    m_wantPlay = false;
    m_pendingFrom.reset();
    m_start = 0;
    m_length = 0;
    m_streamStarts = 0;
    m_joinPending = false;
    {
        std::lock_guard guard(m_shared->lock);
        m_shared->joiningPath.clear();
        m_shared->frame = QImage();
    }
    g_object_set(m_playbin, "uri", uri.toUtf8().constData(), nullptr);
    setState(GST_STATE_PAUSED);
}

QSize PlaybinCore::videoSize() const
{
    gint videos = 0;
    g_object_get(m_playbin, "n-video", &videos, nullptr);
    for (gint i = 0; i < videos; ++i) {
        GstPad* pad = nullptr;
        g_signal_emit_by_name(m_playbin, "get-video-pad", i, &pad);
        if (!pad)
            continue;
        GstCaps* caps = gst_pad_get_current_caps(pad);
        gst_object_unref(pad);
        if (!caps)
            continue;
        GstVideoInfo info;
        const bool known = gst_video_info_from_caps(&info, caps);
        gst_caps_unref(caps);
        if (known && info.width > 0 && info.height > 0)
            return { info.width, info.height };
    }
    return {};
}

void PlaybinCore::prerolled()
{
    m_loading = false;
    gint64 duration = -1;
    gst_element_query_duration(m_playbin, GST_FORMAT_TIME, &duration);
    m_length = toMs(duration);
    gint64 first = -1;
    // Streams that count from their first timestamp report it here, at the
    // start; the file's own time counts from there.
    if (gst_element_query_position(m_playbin, GST_FORMAT_TIME, &first))
        m_start = toMs(first);
    MediaInfo info;
    info.length = m_length;
    if (m_kind == Playbin::Kind::Movie)
        info.videoSize = videoSize();
    {
        std::lock_guard guard(m_shared->lock);
        m_shared->clockGeneration = m_generation;
        m_shared->clock.report(0, m_length, false, monotonicMs());
    }
    Q_EMIT loaded(m_generation, info);
    if (m_wantPlay || m_pendingFrom) {
        const bool wantPlay = std::exchange(m_wantPlay, false);
        const std::optional<qint64> from = std::exchange(m_pendingFrom, std::nullopt);
        if (wantPlay)
            start(from);
        else
            doSeek(*from);
    }
}

void PlaybinCore::play(quint64 generation, std::optional<qint64> from)
{
    if (generation != m_generation || !m_playbin)
        return;
    if (m_loading) {
        m_wantPlay = true;
        if (from)
            m_pendingFrom = from;
        return;
    }
    start(from);
}

void PlaybinCore::start(std::optional<qint64> from)
{
    if (from) {
        if (m_length > 0 && *from >= m_length) {
            // Playing from the very end finishes at once.
            setState(GST_STATE_PAUSED);
            finish();
            return;
        }
        m_ended = false;
        doSeek(*from);
    } else if (m_ended) {
        finish(); // without a new start point a file at its end stays there
        return;
    }
    m_playing = true;
    m_running = false;
    setState(GST_STATE_PLAYING);
    report();
    m_poll->start();
}

void PlaybinCore::pause(quint64 generation)
{
    if (generation != m_generation || !m_playbin)
        return;
    m_wantPlay = false;
    if (m_loading || m_ended)
        return;
    m_playing = false;
    m_running = false;
    m_poll->stop();
    setState(GST_STATE_PAUSED);
    report();
}

void PlaybinCore::seek(quint64 generation, qint64 ms)
{
    if (generation != m_generation || !m_playbin)
        return;
    if (m_loading) {
        m_pendingFrom = ms;
        return;
    }
    if (m_ended) {
        // Back from the end, paused there until played.
        m_ended = false;
        setState(GST_STATE_PAUSED);
    }
    doSeek(ms);
}

void PlaybinCore::doSeek(qint64 ms)
{
    if (m_length > 0)
        ms = std::min(ms, m_length);
    ms = std::max<qint64>(ms, 0);
    gst_element_seek_simple(m_playbin, GST_FORMAT_TIME,
        GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), (ms + m_start) * GST_MSECOND);
    std::lock_guard guard(m_shared->lock);
    if (m_shared->clockGeneration == m_generation)
        m_shared->clock.restart(ms, m_length, m_running, monotonicMs());
}

void PlaybinCore::finish()
{
    if (m_ended) {
        Q_EMIT ended(m_generation); // told again, as a play at the end is
        return;
    }
    m_poll->stop();
    m_running = false;
    if (m_playing) {
        m_playing = false;
        gst_element_set_state(m_playbin, GST_STATE_PAUSED);
    }
    m_ended = true;
    {
        std::lock_guard guard(m_shared->lock);
        m_shared->clockGeneration = m_generation;
        m_shared->clock.end(m_length);
    }
    Q_EMIT ended(m_generation);
}

void PlaybinCore::fail(const QString& message)
{
    // Nothing more of this file is heard: the error message that may follow
    // a refused state change must not end it a second time.
    const quint64 generation = std::exchange(m_generation, 0);
    m_busGeneration = 0;
    m_loading = false;
    m_wantPlay = false;
    m_pendingFrom.reset();
    gst_element_set_state(m_playbin, GST_STATE_NULL);
    Q_EMIT failed(generation, message);
}

void PlaybinCore::close()
{
    m_poll->stop();
    m_generation = 0;
    m_busGeneration = 0;
    m_loading = false;
    m_playing = false;
    m_running = false;
    if (m_playbin)
        gst_element_set_state(m_playbin, GST_STATE_NULL);
}

void PlaybinCore::setVolume(double volume)
{
    if (m_playbin)
        g_object_set(m_playbin, "volume", std::clamp(volume, 0.0, 1.0), nullptr);
}

void PlaybinCore::setWindow(WId window)
{
    if (m_videoSink && GST_IS_VIDEO_OVERLAY(m_videoSink))
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(m_videoSink), guintptr(window));
}

void PlaybinCore::expose()
{
    if (m_videoSink && GST_IS_VIDEO_OVERLAY(m_videoSink))
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(m_videoSink));
}

void PlaybinCore::report()
{
    if (!m_playbin || m_loading || m_ended || m_joinPending)
        return;
    bool joining = false;
    {
        std::lock_guard guard(m_shared->lock);
        joining = !m_shared->joiningPath.isEmpty();
    }
    // Once the next file has been handed on, the pipeline answers for it:
    // the open file's length is the one it had.
    gint64 duration = -1;
    if (!joining && gst_element_query_duration(m_playbin, GST_FORMAT_TIME, &duration) && duration > 0)
        m_length = toMs(duration);
    gint64 position = -1;
    if (!gst_element_query_position(m_playbin, GST_FORMAT_TIME, &position))
        return;
    const qint64 now = monotonicMs();
    std::lock_guard guard(m_shared->lock);
    if (m_shared->clockGeneration != m_generation)
        return;
    m_shared->clock.report(
        PlaybackClock::normalise(toMs(position), m_start, m_length), m_length, m_running, now);
}

} // namespace yk::gst
