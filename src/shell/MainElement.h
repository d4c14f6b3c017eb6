#pragma once

#include <QString>

namespace yk {

// The main window's elements as mouse input reports them. Each keeps its
// object name (for tests, the accessibility tree and the skin's pictures);
// an element of an array (day cells, week heads, loop and random faces)
// also reports its index.
enum class MainElement {
    Surface, // pct_Main: the window's own picture
    PositionTrack, // posTrack
    VolumeTrack, // volTrack
    CalendarPicture, // Img_Def
    YearTitle, // lblTitle
    MonthTitle, // LblTitle_2
    WeekHead, // lblweek1..7
    Day, // lblday_n
    NoteBar, // image1_n
    TodayMark, // Img_toujitu_n
    ScheduleMark, // Img_Yotei
    Clock24, // LBL_TIME
    Clock12, // LBL_TIME_2
    AmPm, // lbl_AP
    LyricsLine, // lbl_Lyrics
    // The player's part from here on.
    PlayerTitle, // lbl_Play_Name
    Elapsed, // lbl_S_Time
    HeldThumb, // img_Bar_Down
    // The player's controls from here on.
    PositionThumb, // img_Ber
    VolumeThumb, // img_Vol
    Back, // img_B
    BackHeld, // img_B_2
    Play, // img_P
    PlayHeld, // img_P_2
    Stop, // img_S
    StopHeld, // img_S_2
    Forward, // img_F
    ForwardHeld, // img_F_2
    Pause, // img_Pouse_n
    Loop, // img_L_n
    Random, // img_Randam_n
};

// The object name of the element, without an array's index.
QString objectNameOf(MainElement element);

// The player's part of the window keeps the right button for itself (the
// title opens the tag editor with it): the menu opens from the rest.
constexpr bool isPlayerElement(MainElement e)
{
    return e >= MainElement::PlayerTitle;
}

// The player's buttons (held faces too), faces and thumbs act on their own
// press; they never carry the window along.
constexpr bool isPlayerControl(MainElement e)
{
    return e >= MainElement::PositionThumb;
}

} // namespace yk
