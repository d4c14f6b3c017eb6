#include "core/MoveRule.h"

#include <gtest/gtest.h>

using namespace yk;

namespace {

constexpr int S = kMainWindowSide;

// A 1920x1040 pixel work area (a taskbar below it), in twips.
constexpr WorkAreaTwips kWork{0, 0, 28800, 15600};
// The play-list window somewhere in the middle, away from every edge.
constexpr int kPL = 12000;
constexpr int kPT = 6000;

MoveRequest request(int nl, int nt, bool shown = true, PlayListSides sides = {},
                    WorkAreaTwips work = kWork, int pl = kPL, int pt = kPT)
{
    MoveRequest r;
    r.newLeft = nl;
    r.newTop = nt;
    r.work = work;
    r.playLeft = pl;
    r.playTop = pt;
    r.playShown = shown;
    r.sides = sides;
    return r;
}

::testing::AssertionResult placedAt(const MovePlacement& p, int left, int top)
{
    if (p.left == left && p.top == top)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "placed at (" << p.left << ", " << p.top << "), expected (" << left << ", " << top << ")";
}

PlayListSides below() { PlayListSides s; s.below = true; return s; }
PlayListSides above() { PlayListSides s; s.above = true; return s; }
PlayListSides right() { PlayListSides s; s.right = true; return s; }
PlayListSides leftSide() { PlayListSides s; s.left = true; return s; }

} // namespace

TEST(MoveRule, FreeMoveFollowsTheMouseAndLeavesAnUnattachedListAlone)
{
    const MovePlacement p = moveMainWindow(request(3000, 4000));
    EXPECT_TRUE(placedAt(p, 3000, 4000));
    EXPECT_FALSE(p.playFollows);
    EXPECT_EQ(p.playLeft, kPL);
    EXPECT_EQ(p.playTop, kPT);
}

TEST(MoveRule, WorkAreaEdgesSnapWithinOneHundredTwipsInclusive)
{
    // Top edge: 100 away snaps, 101 away follows the mouse.
    EXPECT_TRUE(placedAt(moveMainWindow(request(3000, 100)), 3000, 0));
    EXPECT_TRUE(placedAt(moveMainWindow(request(3000, 101)), 3000, 101));
    // Bottom edge: the window's bottom goes onto the work area's bottom.
    const int bottom = kWork.height - S;
    EXPECT_TRUE(placedAt(moveMainWindow(request(3000, bottom - 100)), 3000, bottom));
    EXPECT_TRUE(placedAt(moveMainWindow(request(3000, bottom - 101)), 3000, bottom - 101));
    EXPECT_TRUE(placedAt(moveMainWindow(request(3000, bottom + 500)), 3000, bottom));
    // Left edge.
    EXPECT_TRUE(placedAt(moveMainWindow(request(100, 4000)), 0, 4000));
    EXPECT_TRUE(placedAt(moveMainWindow(request(-700, 4000)), 0, 4000));
    EXPECT_TRUE(placedAt(moveMainWindow(request(101, 4000)), 101, 4000));
    // Right edge.
    const int right = kWork.width - S;
    EXPECT_TRUE(placedAt(moveMainWindow(request(right - 100, 4000)), right, 4000));
    EXPECT_TRUE(placedAt(moveMainWindow(request(right - 101, 4000)), right - 101, 4000));
    // Corners: the vertical snap is followed by the horizontal rule, and the
    // horizontal snap by the vertical one.
    EXPECT_TRUE(placedAt(moveMainWindow(request(60, 40)), 0, 0));
    EXPECT_TRUE(placedAt(moveMainWindow(request(right + 20, bottom - 90)), right, bottom));
}

TEST(MoveRule, TaskbarOnTheLeftOrTopShiftsEveryEdge)
{
    const WorkAreaTwips work{900, 600, 27900, 15600};
    const int right = work.left + work.width - S;
    const MovePlacement p = moveMainWindow(request(right - 100, 4000, true, {}, work));
    EXPECT_EQ(p.left + S, work.left + work.width); // right edge on the work area's right edge
    EXPECT_TRUE(placedAt(moveMainWindow(request(1000, 4000, true, {}, work)), 900, 4000));
    EXPECT_TRUE(placedAt(moveMainWindow(request(1001, 4000, true, {}, work)), 1001, 4000));
    EXPECT_TRUE(placedAt(moveMainWindow(request(3000, 700, true, {}, work)), 3000, 600));
    EXPECT_TRUE(placedAt(moveMainWindow(request(3000, 701, true, {}, work)), 3000, 701));
    const int bottom = work.top + work.height - S;
    EXPECT_TRUE(placedAt(moveMainWindow(request(3000, bottom - 100, true, {}, work)), 3000, bottom));
}

TEST(MoveRule, PlayListMagnetsWhenBothAxesAreFree)
{
    // a. On top of the list; the left aligns only when within reach.
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL + 100, kPT - S + 60)), kPL, kPT - S));
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL + 101, kPT - S - 100)), kPL + 101, kPT - S));
    // b. Under the list.
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL - 50, kPT + S - 100)), kPL, kPT + S));
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL - 800, kPT + S + 100)), kPL - 800, kPT + S));
    // c. Left of the list; the top aligns only when within reach.
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL - S - 30, kPT + 100)), kPL - S, kPT));
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL - S + 100, kPT + 101)), kPL - S, kPT + 101));
    // d. Right of the list.
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL + S + 100, kPT - 100)), kPL + S, kPT));
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL + S - 100, kPT - 900)), kPL + S, kPT - 900));
    // e. Nothing near.
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL + S + 101, kPT + 500)), kPL + S + 101, kPT + 500));
    // The vertical magnets come first: near a corner of the list, above it
    // wins over beside it.
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL - S + 50, kPT - S + 50)), kPL - S + 50, kPT - S));
}

TEST(MoveRule, HiddenPlayListDoesNotAttract)
{
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL + 100, kPT - S + 60, false)), kPL + 100, kPT - S + 60));
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL - S - 30, kPT + 100, false)), kPL - S - 30, kPT + 100));
    // Edge snapping still works and then ignores the list.
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL - S - 30, 50, false)), kPL - S - 30, 0));
}

TEST(MoveRule, HorizontalRuleAfterAVerticalSnapUsesTheListMagnets)
{
    // The list sits at the top edge; the main window dragged to the top
    // snaps to the list's sides.
    const int pt = 0;
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL - S + 90, 30, true, {}, kWork, kPL, pt)), kPL - S, 0));
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL + S - 90, 30, true, {}, kWork, kPL, pt)), kPL + S, 0));
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL + S + 101, 30, true, {}, kWork, kPL, pt)), kPL + S + 101, 0));
    // Snapped to the bottom right under a list whose bottom touches it: edges align.
    const int bottom = kWork.height - S;
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL + 100, bottom - 50, true, {}, kWork, kPL, bottom - S)),
                         kPL, bottom));
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL + 101, bottom - 50, true, {}, kWork, kPL, bottom - S)),
                         kPL + 101, bottom));
    // Aligning needs the windows to touch: a list further down does not pull.
    EXPECT_TRUE(placedAt(moveMainWindow(request(kPL + 50, 30)), kPL + 50, 0));
}

TEST(MoveRule, VerticalRuleAfterAHorizontalSnapUsesTheListMagnets)
{
    const int pl = 0;
    EXPECT_TRUE(placedAt(moveMainWindow(request(40, kPT - S + 70, true, {}, kWork, pl, kPT)), 0, kPT - S));
    EXPECT_TRUE(placedAt(moveMainWindow(request(40, kPT + S - 70, true, {}, kWork, pl, kPT)), 0, kPT + S));
    EXPECT_TRUE(placedAt(moveMainWindow(request(40, kPT + S + 200, true, {}, kWork, pl, kPT)), 0, kPT + S + 200));
    // Left edge, beside a list that touches it horizontally: tops align.
    EXPECT_TRUE(placedAt(moveMainWindow(request(80, kPT + 100, true, {}, kWork, S, kPT)), 0, kPT));
    EXPECT_TRUE(placedAt(moveMainWindow(request(80, kPT + 101, true, {}, kWork, S, kPT)), 0, kPT + 101));
    // A list further right does not align the tops.
    EXPECT_TRUE(placedAt(moveMainWindow(request(80, kPT + 50)), 0, kPT + 50));
}

TEST(MoveRule, AttachedListKeepsThePairOnTheWorkArea)
{
    // Below: the list's bottom lands on the work-area bottom.
    {
        const int nt = kWork.top + kWork.height - 2 * S - 100;
        const MovePlacement p = moveMainWindow(request(4000, nt, true, below(), kWork, 4000, nt - 3000 + S));
        EXPECT_EQ(p.top, kWork.top + kWork.height - 5310);
        EXPECT_EQ(p.left, 4000);
        EXPECT_TRUE(p.playFollows);
        EXPECT_EQ(p.playTop, kWork.top + kWork.height - S);
        EXPECT_EQ(p.playLeft, 4000);
        // One twip further up the pair moves freely.
        const MovePlacement q = moveMainWindow(request(4000, nt - 1, true, below(), kWork, 20000, 1000));
        EXPECT_TRUE(placedAt(q, 4000, nt - 1));
        EXPECT_EQ(q.playTop, nt - 1 + S);
        EXPECT_EQ(q.playLeft, 4000);
    }
    // Above, with a taskbar on top: the list meets the work area's top.
    {
        const WorkAreaTwips work{0, 600, 28800, 15600};
        const MovePlacement p = moveMainWindow(request(4000, 600 + S + 100, true, above(), work, 20000, 9000));
        EXPECT_TRUE(placedAt(p, 4000, 600 + S));
        EXPECT_EQ(p.playTop, 600);
        EXPECT_EQ(p.playLeft, 4000);
    }
    // Right: the list's right edge meets the work area's; then the vertical rule.
    {
        const WorkAreaTwips work{900, 0, 27900, 15600};
        const MovePlacement p = moveMainWindow(request(work.left + work.width - 2 * S - 50, 80, true, right(), work,
                                                       1000, 9000));
        EXPECT_TRUE(placedAt(p, work.left + work.width - 2 * S, 0));
        EXPECT_EQ(p.playLeft, work.left + work.width - S);
        EXPECT_EQ(p.playTop, 0);
    }
    // Left, with a taskbar on the left.
    {
        const WorkAreaTwips work{900, 0, 27900, 15600};
        const MovePlacement p = moveMainWindow(request(900 + S + 100, 5000, true, leftSide(), work, 20000, 9000));
        EXPECT_TRUE(placedAt(p, 900 + S, 5000));
        EXPECT_EQ(p.playLeft, 900);
        EXPECT_EQ(p.playTop, 5000);
        const MovePlacement q = moveMainWindow(request(900 + S + 101, 5000, true, leftSide(), work, 20000, 9000));
        EXPECT_TRUE(placedAt(q, 900 + S + 101, 5000));
    }
}

TEST(MoveRule, HiddenAttachedListSkipsThePairRuleButStillFollows)
{
    const int nt = kWork.height - 2 * S - 50;
    const MovePlacement p = moveMainWindow(request(4000, nt, false, below(), kWork, 20000, 1000));
    EXPECT_TRUE(placedAt(p, 4000, nt));
    EXPECT_TRUE(p.playFollows);
    EXPECT_EQ(p.playTop, nt + S);
    EXPECT_EQ(p.playLeft, 4000);
}

TEST(MoveRule, PlayWindowFindsTheAttachedSide)
{
    const int ml = 5000;
    const int mt = 4000;
    EXPECT_EQ(sidesOfPlayWindow(ml, mt, ml, mt + S), below());
    EXPECT_EQ(sidesOfPlayWindow(ml, mt, ml + 300, mt - S), above());
    EXPECT_EQ(sidesOfPlayWindow(ml, mt, ml + S, mt - 2000), right());
    EXPECT_EQ(sidesOfPlayWindow(ml, mt, ml - S, mt), leftSide());
    // Exactly one side away is needed; a twip off is not attached.
    EXPECT_FALSE(sidesOfPlayWindow(ml, mt, ml, mt + S + 1).any());
    // On the same line but far away, or touching only at a corner.
    EXPECT_FALSE(sidesOfPlayWindow(ml, mt, ml + 9000, mt + S).any());
    EXPECT_FALSE(sidesOfPlayWindow(ml, mt, ml + S, mt + S).any());

    // A drag followed by the side test keeps the pair together.
    const MovePlacement p = moveMainWindow(request(3000, 3000, true, below(), kWork, ml, mt + S));
    EXPECT_EQ(sidesOfPlayWindow(p.left, p.top, p.playLeft, p.playTop), below());
}
