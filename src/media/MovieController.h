#pragma once

#include <functional>

#include <QObject>
#include <QRect>

#include "media/FrameCapture.h"
#include "media/MovieLayout.h"

class QWidget;

namespace yk {

class MoviePlayer;
class MovieWindow;
class Settings;

// Keeps the movie window in line with the movie and the settings: its size
// (the movie's own, or the one the user last gave it), its place, the full
// screen, and the always-on-top order it shares with the main and play-list
// windows. The settings' movieSize, movieFullWindow, movieTop and movieLeft are
// read and written here.
//
// The display size is what the user last asked for (right-click menu,
// double-click); the window follows it at the clock tick (followDisplaySize),
// as it follows a newly shown movie at once (showMovie).
class MovieController : public QObject
{
    Q_OBJECT
public:
    // The two windows that stay on top with the movie window.
    struct Companions
    {
        QWidget* main = nullptr;
        QWidget* playList = nullptr;
    };

    MovieController(Settings& settings, MovieWindow& window, MoviePlayer& player, Companions companions,
                    std::function<QRect()> workArea, QObject* parent = nullptr);

    // The player shows a movie: its picture into the window, laid out, shown.
    void showMovie();
    // The player put the movie away: place and size kept, order restored,
    // window hidden.
    void closeMovie();

    // Sizes the window for the movie, chooses full screen or the window
    // and the order on top, and places it at movieTop / movieLeft.
    void layOut();
    // The movie window no longer on top; the main and play-list windows
    // on top again when the setting says so.
    void restoreStacking();
    // Keeps the window's place (movieTop, movieLeft, windowPlaces) and size (movieSize).
    void saveRecord();

    // mnu_Movie_Full: full-screen movies on or off.
    void toggleFullWindow();
    // The user's choice of display size; the window follows at the next tick.
    void setDisplaySize(movie::DisplaySize size);
    // The double-click: full screen, or from full screen back to the window.
    void toggleFullScreen();
    // The clock tick's step: the window follows a changed display size.
    void followDisplaySize();
    // The user resized the window by its frame.
    void userResized();

    // The frame now shown, saved in `folder` (Capture/).
    capture::Result captureFrame(const QString& folder) const;

    movie::DisplaySize displaySize() const { return m_display; }
    bool isLaidOut() const { return m_laidOut; }
    bool isShown() const;

Q_SIGNALS:
    // movieFullWindow changed; the menu's check follows.
    void fullWindowChanged(bool on);

private:
    void setStacking(bool companionsOnTop, bool movieOnTop);
    void placeBesideMain(const QRect& workArea);
    void setFullWindow(bool on);
    void applyWindowLayout(const movie::Layout& layout);

    Settings& m_settings;
    MovieWindow& m_window;
    MoviePlayer& m_player;
    Companions m_companions;
    std::function<QRect()> m_workArea;
    movie::DisplaySize m_display = movie::DisplaySize::FitToWindow;
    movie::DisplaySize m_followed = movie::DisplaySize::FitToWindow;
    bool m_laidOut = false;
};

} // namespace yk
