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

    QLabel* pct_Main = nullptr;
    QLabel* Img_Def = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* LblTitle_2 = nullptr;
    std::array<QLabel*, 7> lblweek{};
    std::array<QLabel*, kCells> lblday{};
    std::array<QLabel*, kCells> image1{};        // note bars
    std::array<QLabel*, kCells> Img_toujitu{};   // today markers
    QLabel* LBL_TIME = nullptr;
    QLabel* LBL_TIME_2 = nullptr;
    QLabel* lbl_AP = nullptr;
    QLabel* Img_Yotei = nullptr;

    QLabel* lbl_Play_Name = nullptr;
    QLabel* lbl_S_Time = nullptr;
    QLabel* lbl_Lyrics = nullptr;
    QLabel* img_B = nullptr;
    QLabel* img_B_2 = nullptr;
    QLabel* img_P = nullptr;
    QLabel* img_P_2 = nullptr;
    std::array<QLabel*, 2> img_Pause{};
    QLabel* img_S = nullptr;
    QLabel* img_S_2 = nullptr;
    QLabel* img_F = nullptr;
    QLabel* img_F_2 = nullptr;
    std::array<QLabel*, 3> img_L{};     // 0 shown, 1 "off" face, 2 "on" face
    std::array<QLabel*, 2> img_Random{};
    QLabel* img_Vol = nullptr;
    QLabel* img_Ber = nullptr;
    QLabel* img_Bar_Down = nullptr;

    QPixmap m_todayMark;
    QPixmap m_noteBar;
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
