#pragma once

#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>

namespace yk {

// The track the desktop's media controls show.
struct MediaTrack
{
    // An object path naming the entry ("/org/yomikaze/track/3"); the
    // "no track" path when the list is empty.
    QString id;
    QString title;
    QStringList artists;
    QString album;
    QStringList albumArtists;
    QStringList genres;
    int trackNumber = 0; // 0: not given
    qint64 lengthUs = 0; // 0: not known (neither the tags nor the device tell)
    QString url;         // file:// URL of the entry
    QString artUrl;      // file:// URL of its cover picture; empty: none
    bool operator==(const MediaTrack&) const = default;
};

// Everything the desktop's controls show apart from the position, which
// they read when they need it.
struct MediaState
{
    QString playbackStatus = QStringLiteral("Stopped"); // "Playing", "Paused", "Stopped"
    QString loopStatus = QStringLiteral("None");        // "None", "Playlist"
    bool shuffle = false;
    double volume = 0.0; // 0..1
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;
    MediaTrack track;
    bool operator==(const MediaState&) const = default;
};

// The player as the desktop's media controls (a panel applet, the media
// keys, a command-line remote) see it. Calls come on the UI thread; each
// one does what the main window's button or key of the same meaning does.
class MediaControlTarget : public QObject
{
    Q_OBJECT
public:
    static inline const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

    using QObject::QObject;
    ~MediaControlTarget() override = default;

    virtual MediaState state() const = 0;
    virtual qint64 positionUs() const = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void playPause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    // Moves by `offsetUs` (negative: back) within the playing track.
    virtual void seek(qint64 offsetUs) = 0;
    // Plays from `positionUs` when `trackId` is still the current track.
    virtual void setPosition(const QString& trackId, qint64 positionUs) = 0;
    virtual void setLoopStatus(const QString& status) = 0;
    virtual void setShuffle(bool on) = 0;
    virtual void setVolume(double volume) = 0;
    // The main window to the front.
    virtual void raise() = 0;
    // The program's own End command.
    virtual void quit() = 0;

Q_SIGNALS:
    // state() is no longer what it was (a position that moves with the
    // playing time does not count).
    void changed();
    // The position jumped (a seek), to `positionUs`.
    void seeked(qint64 positionUs);
};

// Puts the player's controls where the desktop finds them. A desktop
// without such a place (no session bus, the name in use) has no remote
// controls; the program runs on the same.
class MediaControls
{
public:
    virtual ~MediaControls() = default;
    // Starts answering for `target`, which outlives this service.
    virtual void publish(MediaControlTarget& target) = 0;
};

// The media controls of this desktop, or ones nobody can reach.
std::unique_ptr<MediaControls> createMediaControls();

} // namespace yk
