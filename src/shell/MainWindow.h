#pragma once

#include <array>
#include <thread>

#include <QLabel>
#include <QStringList>
#include <QWidget>

#include "calendar/MonthGrid.h"
#include "shell/MainElement.h"

namespace yk {

// The main window: a borderless 177 x 177 picture with the month grid, the
// clocks and the player's controls laid on it. It only shows things and
// reports what the user does; the models decide what happens and what is
// shown, and the window never serves as a store of state.
//
// Elements are QLabels named after their roles (objectName), so tests and
// assistive technology find them by name. Array elements carry their index
// in the "index" property.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSide = 177;     // logical pixels; 2655 twips
    static constexpr int kCells = 37;

    // The player's buttons with a held face, and its two slider thumbs.
    enum class PlayerButton { Play, Stop, Forward, Back, Pause };
    enum class Thumb { Position, Volume };

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Background (already composed with its frame); a null pixmap clears it.
    void setBackground(const QPixmap& picture);
    QPixmap background() const;

    void showMonth(const MonthGrid& grid);
    // The note bars under the day cells, one flag per cell.
    void showMemoMarkers(const std::array<bool, kCells>& marked);
    void showClocks(const QString& time24, const QString& time12, const QString& ampm);
    // An armed timer shows the 12-hour clock in a colour of its own.
    void showTimerArmed(bool armed);
    void showPlayerTitle(const QString& title);
    // The mark beside the month title: today has notes.
    void showScheduleMark(bool shown);
    // The skin's today marker and the two note bars; a null picture keeps
    // what is there.
    void setSkinMarks(const QPixmap& today, const QPixmap& noteBar, const QPixmap& scheduleBar);
    // Left edge of the volume thumb, pixels inside the window.
    void placeVolumeThumb(int left);
    int volumeThumbLeft() const;
    void showLoop(bool on);
    // The timed lyric line under the calendar. While it shows, the month
    // title sits lower (top 12 instead of 6).
    void showLyricsLine(const QString& line);
    void showLyricsLabel(bool shown);

    // The player's controls. The buttons are back, play, stop, forward,
    // pause, loop and the volume thumb; the random face is its own.
    void showPlayerButtons(bool shown);
    // One of the two random faces, or neither.
    void showRandom(bool shown, bool on);
    // The position thumb and the elapsed time under the title.
    void showPositionThumb(bool shown);
    void placePositionThumb(int left);
    void showElapsed(const QString& text);
    // An opaque title hides the skin under it while a list is loaded.
    void setTitleOpaque(bool opaque);
    bool titleOpaque() const;
    // A started timer's notice also draws a border round the title.
    void setTitleFramed(bool framed);
    void showButtonPressed(PlayerButton button, bool pressed);
    // A held thumb shows the held-thumb picture.
    void showThumbHeld(Thumb thumb, bool held);

    // Top-left of a day cell's column (before the one-digit nudge), pixels.
    static double columnLeft(int column) { return 8.533 + 24.0 * column; }
    static int rowTop(int row) { return 39 + 13 * row; }
    bool hasBeenPainted() const { return m_painted; }

Q_SIGNALS:
    // Mouse actions on the window's elements; `index` is the cell of an
    // array element, else -1.
    void elementPressed(yk::MainElement element, int index, Qt::MouseButton button, QPointF globalPos);
    void elementMoved(yk::MainElement element, int index, Qt::MouseButtons buttons, QPointF globalPos);
    void elementReleased(yk::MainElement element, int index, Qt::MouseButton button, QPointF globalPos);
    void elementDoubleClicked(yk::MainElement element, int index);
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    // The window is asked to close by the system (not by the End command).
    void closeRequested();
    // The window has been drawn once; slow start-up work may follow.
    void firstPainted();
    // Local files dropped anywhere on the window, in the order given.
    void filesDropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* makeLabel(MainElement element, const QRect& geometry, int pixelSize,
                      const QString& accessibleName, Qt::Alignment align = Qt::AlignCenter,
                      int index = -1);
    QLabel* makePicture(MainElement element, const QRect& geometry, const QString& accessibleName,
                        int index = -1);
    void buildCalendar();
    void buildClock();
    void buildPlayer();
    void handleMouse(QWidget* element, QEvent* event);
    // Places a day label at a fractional x; the label is as wide as a column.
    void placeDayLabel(int cell, double x);
    void paintClock12();
    void styleTitle();

    QLabel* m_surface = nullptr;
    QLabel* m_calendarPicture = nullptr;
    QLabel* m_yearTitle = nullptr;
    QLabel* m_monthTitle = nullptr;
    std::array<QLabel*, 7> m_weekHeads{};
    std::array<QLabel*, kCells> m_days{};
    std::array<QLabel*, kCells> m_noteBars{};        // note bars
    std::array<QLabel*, kCells> m_todayMarks{};   // today markers
    QLabel* m_clock24 = nullptr;
    QLabel* m_clock12 = nullptr;
    QLabel* m_amPm = nullptr;
    QLabel* m_scheduleMark = nullptr;

    QLabel* m_title = nullptr;
    QLabel* m_elapsed = nullptr;
    QLabel* m_lyricsLine = nullptr;
    QLabel* m_back = nullptr;
    QLabel* m_backHeld = nullptr;
    QLabel* m_play = nullptr;
    QLabel* m_playHeld = nullptr;
    std::array<QLabel*, 2> m_pauseFaces{};
    QLabel* m_stop = nullptr;
    QLabel* m_stopHeld = nullptr;
    QLabel* m_forward = nullptr;
    QLabel* m_forwardHeld = nullptr;
    std::array<QLabel*, 3> m_loopFaces{};     // 0 shown, 1 "off" face, 2 "on" face
    std::array<QLabel*, 2> m_randomFaces{};
    QLabel* m_volumeThumb = nullptr;
    QLabel* m_positionThumb = nullptr;
    QLabel* m_heldThumb = nullptr;

    QPixmap m_todayPicture;
    QPixmap m_noteBarPicture;
    QColor m_clockColour;
    bool m_timerArmed = false;
    bool m_titleOpaque = false;
    bool m_titleFramed = false;
    bool m_buttonsShown = true;
    bool m_pauseHeld = false;
    bool m_painted = false;
    // Reads the system's font list while the rest of the start-up runs.
    std::thread m_fontWarmUp;
};

} // namespace yk
