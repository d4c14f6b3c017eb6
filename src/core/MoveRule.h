#pragma once

namespace yk {

// Where the main window goes while it is dragged, and where an attached
// play-list window follows it. Everything is in twips (15 per pixel), the
// unit the stored window positions use, so callers convert once at the edge.

inline constexpr int kMainWindowSide = 2655; // main and play-list windows are both this square
inline constexpr int kSnapDistance = 100;    // edges closer than this (inclusive) snap together

struct WorkAreaTwips
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// On which side of the main window the play-list window is attached.
struct PlayListSides
{
    bool below = false;
    bool above = false;
    bool right = false;
    bool left = false;

    bool any() const { return below || above || right || left; }
    bool operator==(const PlayListSides&) const = default;
};

struct MoveRequest
{
    int newLeft = 0; // NL: the window's left plus the mouse's horizontal displacement
    int newTop = 0;  // NT: likewise vertically
    WorkAreaTwips work;
    int playLeft = 0;
    int playTop = 0;
    bool playShown = false;
    PlayListSides sides;
};

struct MovePlacement
{
    int left = 0;
    int top = 0;
    // The play-list window's new place; unchanged (equal to the request's)
    // when it is not attached to any side.
    int playLeft = 0;
    int playTop = 0;
    bool playFollows = false;
};

// One step of a drag: snaps to the work-area edges and to the play-list
// window, and carries an attached play-list window along.
MovePlacement moveMainWindow(const MoveRequest& r);

// Works out to which side of the main window the play-list window is
// attached: it must sit exactly one window side away on one axis and
// overlap the main window on the other. At most one flag is set.
PlayListSides sidesOfPlayWindow(int mainLeft, int mainTop, int playLeft, int playTop);

struct PairPlacement
{
    int mainLeft = 0;
    int mainTop = 0;
    int playLeft = 0;
    int playTop = 0;
};
// When the play-list window is shown or hidden: a pair that would reach past
// the work area is pulled back so that both windows fit, the play-list
// window staying on its side.
PairPlacement fitPlayListBeside(const PairPlacement& now, const PlayListSides& sides, const WorkAreaTwips& work);

} // namespace yk
