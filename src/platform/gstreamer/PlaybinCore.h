#pragma once

// The engine-thread half of Playbin, and what the two halves share. Only the
// media engine's own files include this.

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include "platform/PlaybackClock.h"
#include "platform/gstreamer/Playbin.h"

namespace yk::gst {

// Milliseconds on one monotonic clock, for the readings both halves stamp.
inline qint64 monotonicMs()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

// What the UI thread, the engine thread and GStreamer's streaming threads
// share. Everything here is read and written under `lock`, except what is
// atomic.
struct PlaybinShared
{
    std::mutex lock;
    PlaybackClock clock;
    // The generation the clock belongs to; the UI reads the clock only when
    // it is its own.
    quint64 clockGeneration = 0;
    QString nextUri; // what about-to-finish takes
    QString joiningPath; // taken, not yet started
    QString nextPath;
    QImage frame;
    std::atomic<bool> frameQueued { false };
    std::atomic<int> picture { int(Playbin::Picture::None) };
    std::atomic<WId> window { 0 };
    // The overlay sink, for the picture it shows; set before the first load.
    std::atomic<GstElement*> overlaySink { nullptr };
};

// The engine-thread half: owns the GStreamer objects. Every method runs on
// the engine thread.
class PlaybinCore final : public QObject
{
    Q_OBJECT
public:
    PlaybinCore(Playbin::Kind kind, std::shared_ptr<PlaybinShared> shared);
    ~PlaybinCore() override;

    void create();
    void load(quint64 generation, const QString& uri);
    void play(quint64 generation, std::optional<qint64> from);
    void pause(quint64 generation);
    void seek(quint64 generation, qint64 ms);
    void close();
    void setVolume(double volume);
    void setWindow(WId window);
    void expose();

Q_SIGNALS:
    void loaded(quint64 generation, const yk::gst::MediaInfo& info);
    void failed(quint64 generation, const QString& message);
    void ended(quint64 generation);
    void joined(quint64 generation, const QString& path);
    void frameReady();

private:
    static GstBusSyncReply onSyncMessage(GstBus* bus, GstMessage* message, gpointer self);
    static void onAboutToFinish(GstElement* playbin, gpointer self);
    static void onElementAdded(GstBin* bin, GstBin* sub, GstElement* element, gpointer self);
    static GstFlowReturn onSample(GstAppSink* sink, gpointer self);
    static GstFlowReturn onPreroll(GstAppSink* sink, gpointer self);
    void takeFrame(GstSample* sample);
    void handle(GstMessage* message, quint64 generation);
    GstElement* makeVideoSink();
    void prerolled();
    void completeJoin(const QString& path);
    void start(std::optional<qint64> from);
    void finish();
    void fail(const QString& message);
    void doSeek(qint64 ms);
    void setState(GstState state);
    void report();
    QSize videoSize() const;

    Playbin::Kind m_kind;
    std::shared_ptr<PlaybinShared> m_shared;
    GstElement* m_playbin = nullptr;
    GstElement* m_videoSink = nullptr;
    QTimer* m_poll = nullptr;
    // Which load the streaming threads' messages belong to; read by them.
    std::atomic<quint64> m_busGeneration { 0 };

    quint64 m_generation = 0;
    bool m_loading = false;
    bool m_playing = false;
    // The pipeline has really reached PLAYING (the sink is rendering): only
    // then does the clock run, not while a sound server is still connecting.
    bool m_running = false;
    bool m_ended = false;
    bool m_wantPlay = false;
    std::optional<qint64> m_pendingFrom;
    qint64 m_start = 0;
    qint64 m_length = 0;
    int m_streamStarts = 0;
    bool m_joinPending = false; // heard from the sink, not yet from the speaker
};

} // namespace yk::gst
