#pragma once

#include <optional>

#include <QPointer>
#include <QTimer>
#include <QVideoFrame>

#include "platform/MoviePlayer.h"

class QAudioOutput;
class QMediaPlayer;
class QVideoSink;
class QVideoWidget;

namespace yk {

// The movie engine on Qt Multimedia: one QMediaPlayer whose pictures go to
// a sink of our own first. That sink keeps the last decoded frame (so a
// frame can be taken at the movie's own size whether or not the widget is
// on screen) and passes every frame on to the QVideoWidget that shows it.
// The sound of the movie plays on the default output.
//
// Loading waits until the picture size is known, from the file's own
// description or else from the first frame a second, silent player decodes;
// a file that says it has video but shows no picture within a few seconds
// loads as sound only, and one that does not finish loading at all fails,
// so every open() ends.
//
// At the natural end the position stays equal to the duration (never 0)
// until the next play(), stop() or open().
class QtMoviePlayer final : public MoviePlayer
{
    Q_OBJECT
public:
    explicit QtMoviePlayer(QObject* parent = nullptr);
    ~QtMoviePlayer() override;

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

    // How long a file may take to load, and how long a file with a video
    // track may take to show its first picture, before giving up.
    void setLoadTimeouts(int loadMs, int pictureMs);

private:
    void makeWidget();
    void onStatusChanged();
    void onFrame(const QVideoFrame& frame);
    void onLoadTimeout();
    void tryFinishLoading();
    void onProbeFrame(const QVideoFrame& frame);
    void endPeek();
    void finishLoading(bool video);
    void failLoading(const QString& message);
    bool mediaLoaded() const;
    QSize describedSize() const;

    QMediaPlayer* m_player = nullptr;
    // Finds the picture size of a file that does not tell it; see open().
    QMediaPlayer* m_probe = nullptr;
    QAudioOutput* m_audio = nullptr;
    QVideoSink* m_tap = nullptr;
    QPointer<QVideoWidget> m_widget;
    QTimer m_loadTimer;
    int m_loadTimeoutMs = 10000;
    int m_pictureTimeoutMs = 3000;

    QString m_file;
    // Counts opens, so that an answer meant for a file since replaced by
    // another is dropped.
    quint64 m_generation = 0;
    bool m_loading = false;
    bool m_waitingForPicture = false;
    bool m_playWhenLoaded = false;
    bool m_hasVideo = false;
    QSize m_size;
    QVideoFrame m_lastFrame;
    bool m_ended = false;
    qint64 m_endPosition = 0;
    // A seek made while stopped or at the end, carried out at play().
    std::optional<qint64> m_pendingSeek;
};

} // namespace yk
