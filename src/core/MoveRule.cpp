#include "core/MoveRule.h"

#include <cstdlib>

namespace yk {
namespace {

constexpr int S = kMainWindowSide;
constexpr int D = kSnapDistance;

bool within(int a, int b)
{
    return std::abs(a - b) <= D;
}

// The rule needs the request in every step; keeping it in one place makes
// the steps read like the rules they implement.
class Mover
{
public:
    explicit Mover(const MoveRequest& r)
        : m_r(r)
        // A hidden play-list window is not on screen, so it must not pull the
        // main window towards an invisible edge.
        , m_attract(r.playShown)
    {
    }

    MovePlacement run() const
    {
        MovePlacement out;
        place(out);
        follow(out);
        return out;
    }

private:
    int WL() const { return m_r.work.left; }
    int WT() const { return m_r.work.top; }
    int WW() const { return m_r.work.width; }
    int WH() const { return m_r.work.height; }
    int NL() const { return m_r.newLeft; }
    int NT() const { return m_r.newTop; }
    int PL() const { return m_r.playLeft; }
    int PT() const { return m_r.playTop; }

    bool onTopOfList() const { return m_attract && within(NT(), PT() - S); }
    bool underList() const { return m_attract && within(NT() - S, PT()); }
    bool leftOfList() const { return m_attract && within(NL(), PL() - S); }
    bool rightOfList() const { return m_attract && within(NL() - S, PL()); }

    void place(MovePlacement& out) const
    {
        const PlayListSides& s = m_r.sides;
        if (m_r.playShown) {
            // The pair must fit on the work area together, so the attached
            // list's edge is what meets the work-area edge. The top and left
            // cases count from the work area too, so a taskbar on the top or
            // left does not end up over the list window.
            if (s.below && NT() >= WT() + WH() - (2 * S + D)) {
                out.top = WT() + WH() - 2 * S;
                out.left = horizontal();
                return;
            }
            if (s.above && NT() <= WT() + S + D) {
                out.top = WT() + S;
                out.left = horizontal();
                return;
            }
            if (s.right && NL() >= WL() + WW() - (2 * S + D)) {
                out.left = WL() + WW() - 2 * S;
                out.top = vertical();
                return;
            }
            if (s.left && NL() <= WL() + S + D) {
                out.left = WL() + S;
                out.top = vertical();
                return;
            }
        }
        if (NT() <= WT() + D) {
            out.top = WT();
            out.left = horizontal();
        } else if (NT() >= WT() + WH() - (S + D)) {
            out.top = WT() + WH() - S;
            out.left = horizontal();
        } else if (NL() <= WL() + D) {
            out.left = WL();
            out.top = vertical();
        } else if (NL() >= WL() + WW() - (S + D)) {
            out.left = WL() + WW() - S;
            out.top = vertical();
        } else if (onTopOfList() || underList()) {
            out.top = onTopOfList() ? PT() - S : PT() + S;
            out.left = within(NL(), PL()) ? PL() : NL();
        } else if (leftOfList() || rightOfList()) {
            out.left = leftOfList() ? PL() - S : PL() + S;
            out.top = within(NT(), PT()) ? PT() : NT();
        } else {
            out.left = NL();
            out.top = NT();
        }
    }

    // The top is settled; find the left.
    int horizontal() const
    {
        if (NL() <= WL() + D)
            return WL();
        if (NL() >= WL() + WW() - (S + D))
            return WL() + WW() - S;
        if (leftOfList())
            return PL() - S;
        if (rightOfList())
            return PL() + S;
        if ((onTopOfList() || underList()) && within(NL(), PL()))
            return PL();
        return NL();
    }

    // The left is settled; find the top.
    int vertical() const
    {
        if (NT() <= WT() + D)
            return WT();
        if (NT() >= WT() + WH() - (S + D))
            return WT() + WH() - S;
        if (onTopOfList())
            return PT() - S;
        if (underList())
            return PT() + S;
        if ((leftOfList() || rightOfList()) && within(NT(), PT()))
            return PT();
        return NT();
    }

    void follow(MovePlacement& out) const
    {
        const PlayListSides& s = m_r.sides;
        out.playLeft = PL();
        out.playTop = PT();
        out.playFollows = s.any();
        if (!out.playFollows)
            return;
        out.playTop = s.below ? out.top + S : s.above ? out.top - S : out.top;
        out.playLeft = s.right ? out.left + S : s.left ? out.left - S : out.left;
    }

    const MoveRequest& m_r;
    bool m_attract;
};

} // namespace

MovePlacement moveMainWindow(const MoveRequest& r)
{
    return Mover(r).run();
}

PlayListSides sidesOfPlayWindow(int mainLeft, int mainTop, int playLeft, int playTop)
{
    PlayListSides sides;
    // Without the overlap test a list window lying on the same line far away
    // would count as attached and jump next to the main window on the next drag.
    const bool overlapX = std::abs(playLeft - mainLeft) < S;
    const bool overlapY = std::abs(playTop - mainTop) < S;
    sides.below = overlapX && playTop == mainTop + S;
    sides.above = overlapX && playTop == mainTop - S;
    sides.right = overlapY && playLeft == mainLeft + S;
    sides.left = overlapY && playLeft == mainLeft - S;
    return sides;
}

PairPlacement fitPlayListBeside(const PairPlacement& now, const PlayListSides& sides, const WorkAreaTwips& work)
{
    PairPlacement p = now;
    const int side = kMainWindowSide;
    const int bottom = work.top + work.height;
    const int right = work.left + work.width;
    // The pair is two sides long on its axis, with a 100-twip margin
    // before a move is worth it.
    if (sides.below && p.mainTop >= bottom - 2 * side - 100) {
        p.mainTop = bottom - 2 * side;
        p.playTop = bottom - side;
    } else if (sides.above && p.mainTop <= work.top + side + 100) {
        p.mainTop = work.top + side;
        p.playTop = work.top;
    } else if (sides.right && p.mainLeft >= right - 2 * side - 100) {
        p.mainLeft = right - 2 * side;
        p.playLeft = right - side;
    } else if (sides.left && p.mainLeft <= work.left + side + 100) {
        p.mainLeft = work.left + side;
        p.playLeft = work.left;
    }
    return p;
}

} // namespace yk
