#pragma once

#include <QPointer>
#include <QTimer>

#include "platform/MoviePlayer.h"
#include "platform/gstreamer/Playbin.h"

namespace yk::gst {

class VideoWidget;

// The movie engine on a GStreamer playbin. The picture is drawn by an
// overlay sink into the video widget's own window where the display can
// (X11 with XVideo), and otherwise painted by the widget from the decoded
// images. Sound plays on the default output.
//
// A file that does not finish loading within the load timeout fails, so
// every open() ends. At the natural end the position stays equal to the
// duration (never 0) until the next play(), stop(), seek() or open().
class GstMoviePlayer final : public MoviePlayer
{
    Q_OBJECT
public:
    explicit GstMoviePlayer(QObject* parent = nullptr);
    ~GstMoviePlayer() override;

    bool open(const QString& path) override;
    QString fileName() const override { return m_file; }
    void play() override;
    void pause() override;
    void stop() override;
    qint64 position() const override;
    qint64 duration() const override;
    void seek(qint64 ms) override;
    bool hasVideo() const override;
    QSize videoSize() const override;
    // Made at construction and kept for the player's life. Whoever puts it
    // into a window should take it out again (setParent(nullptr)) before
    // that window goes; if it is destroyed anyway, the next open() makes a
    // new one.
    QWidget* videoWidget() const override;
    QImage grabFrame() const override;
    void setStreamVolume(double volume) override;

    void setLoadTimeout(int ms) { m_loadTimeoutMs = ms; }

private:
    void makeWidget();
    void fail(const QString& message);

    Playbin m_playbin;
    QPointer<VideoWidget> m_widget;
    QTimer m_loadTimer;
    int m_loadTimeoutMs = 10000;

    QString m_file;
    // Counts opens, so that the answer of one replaced since is dropped.
    quint64 m_opens = 0;
    bool m_loading = false;
    bool m_playWhenLoaded = false;
    QSize m_size;
};

} // namespace yk::gst
