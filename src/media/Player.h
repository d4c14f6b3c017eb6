#pragma once

#include <functional>
#include <optional>

#include <QObject>
#include <QString>
#include <QTimer>

namespace yk {

class ClockTick;
class DeviceChannel;
class MoviePlayer;
class PlayList;

// The music and movie player behind the main window's buttons: which entry
// of the play list is current, whether list playback runs and advances by
// itself, loop and random, pause, and the opening and timer sounds that
// borrow the sound device. It owns no widgets; the window shows what the
// getters return and calls the operations on its mouse and key events.
//
// The device's last command is the playing state ("Close" idle, "Play"
// playing, "Pause" paused), so the player reads it back instead of keeping
// a copy that a key or a seek elsewhere could leave stale.
class Player : public QObject
{
    Q_OBJECT
public:
    // The buttons whose pressed picture shows while the mouse is down.
    enum class Button { Play, Stop, Forward, Back, Pause };

    // What the window shows around the title and the buttons; recomputed
    // by the display step of every clock tick.
    struct Display
    {
        bool buttonsVisible = false;  // play, stop, forward, back, volume, pause, loop
        bool randomVisible = false;   // the random face (which one: randomOn())
        bool thumbVisible = false;    // position thumb and elapsed time
        bool titleOpaque = false;     // the title label paints its background
        bool titleFramed = false;     // ... and a border: a timer's start sound plays
        bool operator==(const Display&) const = default;
    };

    // Reads the ID3 title of a file; empty when it has none.
    using TitleSource = std::function<QString(const QString& path)>;
    // A number in 0..bound-1 (bound >= 1).
    using RandomSource = std::function<int(int bound)>;

    // The elapsed time (to the hundredth) and the thumb while a track
    // plays: ten times a second reads as running and costs little.
    static constexpr int kPositionRefreshMs = 100;

    // `movie` and `tick` may be null: without a movie player every movie
    // entry plays as sound, without a tick nobody is asked for fast ticks.
    Player(PlayList& list, DeviceChannel& device, MoviePlayer* movie, ClockTick* tick,
           QObject* parent = nullptr);
    ~Player() override;

    void setTitleSource(TitleSource source);
    void setRandomSource(RandomSource source);
    // True while a window is open in front of which a movie must not start.
    void setMovieBlocker(std::function<bool()> blocked);

    // The device type a file plays with; empty for a movie file, which goes
    // to the movie player. Decided by the last three characters only.
    static QString deviceTypeFor(const QString& path);
    static bool isMovieFile(const QString& path);
    // "03:07.25" for 187250 ms.
    static QString elapsedText(qint64 ms);

    // --- operations ---
    void playNow();   // start the entry at currentIndex() (or a random one)
    void play();      // the play button: close, take the current entry, start it
    void stop();      // stop everything and show the current entry's name
    void forward();   // next entry (wraps); plays it only when already playing
    void back();      // previous entry (wraps)
    void toggleLoop();
    void toggleRandom();
    void togglePause(); // only while the position thumb shows
    void focusCurrent(); // refresh the title (and the list highlight)
    // The title a scan, a drop or a load shows: the current entry's number
    // and file name, without asking the tag.
    void showEntryName();
    // A title of the program's own ("Yomikaze V1.35", "1.Reed Error", ...).
    void showText(const QString& title);
    // A title that stays even over an empty list, until the next title.
    void showNotice(const QString& text);
    // The notice of a timer started with its sound: the title opaque and
    // framed until the sound ends.
    void showStartNotice(const QString& text);
    // The keys' pause: unlike the pause button it works with the position
    // thumb hidden too.
    void togglePauseFromKey();
    // List playback no longer advances (the list was replaced or emptied).
    void clearListPlay() { m_listPlay = false; }
    // "Close" to the device and the movie put away, without the stop's
    // title refresh.
    void closeDevice();
    // The opening sound is on its way: the device is the system's until it
    // ends, even before the sound has started. Starting the list first
    // gives the reservation up.
    void reserveForSystemSound();
    bool systemSoundReserved() const { return m_reserved; }
    // Timed lyrics off (a play request without a row).
    void switchLyricsOff() { Q_EMIT lyricsOff(); }
    bool titleRefreshPending() const { return m_titleRefresh; }
    // A key-down on the main window drops a refresh still pending.
    void clearTitleRefresh() { m_titleRefresh = false; }

    // Mouse-down shows the pressed face; mouse-up hides it and acts.
    void pressButton(Button button);
    void releaseButton(Button button);
    bool isPressed(Button button) const;

    // The opening sound at start and the timer sounds take the stage: what
    // played stops, a movie closes, the lyrics go off, the time and thumb
    // start again, and the list stops advancing until the sound ends. A
    // sound with a movie's name (no device type) shows as a movie.
    void playSystemSound(const QString& deviceType, const QString& path);

    // Requests that the next tick acts.
    void requestPlayStart();
    void requestTitleRefresh();
    void markListChanged();
    // The play-list rows step asks and clears this.
    bool takeListChanged();
    void setSeekDragging(bool dragging);
    void setCurrentIndex(int index);

    // The position thumb, left edge in window pixels (50 at the start of a
    // track). The user holds it with setSeekDragging(true) and moves it with
    // moveThumb(); seekToThumb() then plays from where it was let go.
    void moveThumb(double left);
    void seekToThumb();
    // Plays from `ms` into the open track (or movie), as a thumb let go
    // there would, without moving the thumb first.
    void seekTo(qint64 ms);

    // --- clock-tick steps, in this order with others between ---
    void tickTitleRefresh();
    void tickTrack();   // start request, end of a system sound, end of a track, advance
    void tickDisplay();

    // The fast position refresh: elapsed text and thumb fraction.
    void refreshPosition();
    bool positionRefreshRunning() const { return m_positionTimer.isActive(); }

    // --- state ---
    QString currentFile() const { return m_curFile; }
    int currentIndex() const { return m_curIndex; }
    bool listPlaying() const { return m_listPlay; }
    bool loopOn() const { return m_loop; }
    bool randomOn() const { return m_random; }
    bool systemSoundPlaying() const { return m_openingPlay; }
    bool playStartPending() const { return m_playStart; }
    bool moviePlaying() const { return m_movieShown; }
    bool paused() const;
    QString title() const { return m_title; }
    QString elapsed() const { return m_elapsed; }
    double positionFraction() const { return m_fraction; }
    double thumbLeft() const { return m_thumbLeft; }
    bool seekDragging() const { return m_seekDrag; }
    const Display& display() const { return m_display; }
    bool wantsFastTicks() const { return m_fastTicks; }

Q_SIGNALS:
    void titleChanged(const QString& title);
    void positionChanged(qint64 ms);
    void thumbMoved(double left);
    // Loop, random or a pressed face changed.
    void facesChanged();
    void displayChanged();
    // The play-list window highlights this entry's row.
    void currentEntryFocused(int index);
    // A track starts: its lyrics are looked up afresh.
    void trackOpened(const QString& path);
    // Timed lyrics stop and the lyrics label empties.
    void lyricsOff();
    // The movie window shows the movie player's picture, or closes.
    void movieShown();
    void movieClosed();

private:
    void setTitle(const QString& title);
    QString displayName(int index, const QString& path) const;
    // The time label to "00:00" and the thumb to its start, unless it is held.
    void resetPosition();
    void playAsSound(const QString& path, const std::optional<QString>& type);
    void closeMovie();
    void onMovieLoaded();
    void onMovieFailed();
    void onMovieFailedFor(const QString& path);
    void stepBy(int delta);
    bool movieAtEnd() const;
    void advance();
    void updateFastTicks();
    // Gapless list play: the entry the list goes on with when the open track
    // runs out, where the rules already know it (in order, with or without
    // loop; random draws at the end). Told to the device, which joins it on
    // without a gap and says so through nextStarted.
    std::optional<int> nextInOrder() const;
    void planNext();
    void onNextStarted(const QString& path);

    PlayList& m_list;
    DeviceChannel& m_device;
    MoviePlayer* m_movie;
    ClockTick* m_tick;
    TitleSource m_titleSource;
    RandomSource m_randomSource;
    std::function<bool()> m_movieBlocked;

    QString m_curFile;
    int m_curIndex = 0;
    bool m_listPlay = false;
    bool m_loop = false;
    bool m_random = false;
    bool m_openingPlay = false;
    bool m_reserved = false; // the opening sound has not started yet
    bool m_trackEnd = false;
    bool m_playStart = false;
    bool m_titleRefresh = false;
    bool m_listChanged = false;
    bool m_seekDrag = false;
    bool m_movieShown = false;
    QString m_moviePending; // a movie file waiting to tell whether it has a picture
    QString m_id3Title;

    bool m_pressed[5] = {};
    QString m_title;
    bool m_notice = false;
    QString m_elapsed = QStringLiteral("00:00");
    double m_fraction = 0.0;
    double m_thumbLeft = 50.0;
    Display m_display;
    bool m_fastTicks = false;
    QTimer m_positionTimer;
};

} // namespace yk
