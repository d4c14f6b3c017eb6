#pragma once

#include <memory>
#include <optional>

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QWindow>

namespace yk::gst {

class PlaybinCore;
struct PlaybinShared;

// What a file turned out to be once it has loaded.
struct MediaInfo
{
    qint64 length = 0;
    // Empty without a picture.
    QSize videoSize;
};

// One GStreamer playbin, driven from the UI thread. Every call returns at
// once: the work is queued to the engine thread in call order, and its
// results come back as signals. position() and length() never wait: they
// read a clock the engine keeps up to date (PlaybackClock's rules).
//
// Each load() starts a new generation; signals of an earlier generation are
// dropped before they arrive, so a caller only ever hears of the file it
// opened last.
class Playbin final : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Sound, Movie };
    // How a movie's picture is shown: drawn by the sink into a native window
    // (X11 with XVideo), or handed over as images for a widget to paint.
    enum class Picture { None, Overlay, Images };

    explicit Playbin(Kind kind, QObject* parent = nullptr);
    ~Playbin() override;

    // Known once the engine has made its pipeline (by the first loaded()).
    Picture picture() const;

    void load(const QString& path);
    // Plays from `from` (ms), or from where the file stands. A play at or
    // past the end ends at once; without `from`, a file at its end stays
    // there and ends again.
    void play(std::optional<qint64> from = std::nullopt);
    void pause();
    // Moves to `ms` and stays paused or playing as it was.
    void seek(qint64 ms);
    void close();
    // The stream's own volume, 0..1.
    void setVolume(double volume);
    // Gapless list play: the file that follows the open one without a gap
    // when it runs out; empty for none. It is taken at the moment the open
    // file's data runs out, so a change until then counts.
    void setNextFile(const QString& path);
    // The native window an overlay sink draws into.
    void setWindow(WId window);
    // Asks the sink to draw the last picture again (after an expose).
    void expose();

    bool isOpen() const { return m_open; }
    qint64 position() const;
    qint64 length() const;
    bool atEnd() const;
    // The picture on show, at the movie's own size; null without one.
    QImage frame() const;

Q_SIGNALS:
    void loaded(const yk::gst::MediaInfo& info);
    void failed(const QString& message);
    // The file played to its end: position() equals length() from now on.
    void ended();
    // The next file set with setNextFile() took over without a gap.
    void joined(const QString& path);
    // A new picture is ready for frame() (images only).
    void frameReady();

private:
    void post(std::function<void(PlaybinCore&)> work);
    quint64 nextGeneration();

    std::shared_ptr<PlaybinShared> m_shared;
    PlaybinCore* m_core = nullptr;
    quint64 m_generation = 0;
    bool m_open = false;
};

} // namespace yk::gst

Q_DECLARE_METATYPE(yk::gst::MediaInfo)
