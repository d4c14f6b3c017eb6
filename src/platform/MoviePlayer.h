#pragma once

#include <memory>

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

class QWidget;

namespace yk {

// What the movie window needs from a video playback engine. Times are
// milliseconds. Every open() ends in exactly one loaded() or error(), never
// before open() has returned, so a caller can connect afterwards.
class MoviePlayer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~MoviePlayer() override = default;

    // Starts loading the file; false when it cannot even be tried (error()
    // still follows).
    virtual bool open(const QString& path) = 0;
    virtual QString fileName() const = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    // Stops and goes back to the start.
    virtual void stop() = 0;
    virtual qint64 position() const = 0;
    // 0 until loaded.
    virtual qint64 duration() const = 0;
    virtual void seek(qint64 ms) = 0;

    // False for audio-only files (they belong on the sound device) and
    // before loading.
    virtual bool hasVideo() const = 0;
    // The movie's own picture size in pixels; empty without video.
    virtual QSize videoSize() const = 0;
    // The widget that shows the picture, owned by the player; null when
    // this engine draws nowhere.
    virtual QWidget* videoWidget() const = 0;
    // The picture now shown, at the movie's own size; a null image when
    // there is none.
    virtual QImage grabFrame() const = 0;
    // The movie's own sound volume (0..1), for a system without a mixer.
    virtual void setStreamVolume(double volume) { Q_UNUSED(volume); }

Q_SIGNALS:
    // The file is open: duration, hasVideo and videoSize are known.
    void loaded();
    // Playback reached the end of the file.
    void finished();
    // The file could not be opened or played.
    void error(const QString& message);
};

// The engine of this system; a null player (every file fails) without one.
std::unique_ptr<MoviePlayer> createMoviePlayer(QObject* parent = nullptr);

} // namespace yk
