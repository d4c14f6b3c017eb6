#include <gtest/gtest.h>

#include "media/ThumbBars.h"

using namespace yk::thumbs;

TEST(VolumeThumb, LeftEdgeIsSilenceAndRightEdgeIsFullOnBothChannels)
{
    EXPECT_EQ(mixerVolume(7), 0u);
    EXPECT_EQ(mixerVolume(71), 0xFFFFFFFFu);
    // Halfway: 32 * 65535 / 64 = 32767.5, the nearest whole level above it.
    EXPECT_EQ(mixerVolume(39), 0x80008000u);
    // One step is a little under 1024 levels.
    EXPECT_EQ(channelLevel(1), 1024);
    EXPECT_EQ(channelLevel(63), 64511);
    // A thumb between two pixels counts its whole steps only.
    EXPECT_EQ(volumeStep(39.9), 32);
    EXPECT_EQ(volumeStep(2), 0);
    EXPECT_EQ(volumeStep(90), 64);
}

TEST(VolumeThumb, StartPlaceFollowsTheLeftChannel)
{
    EXPECT_EQ(volumeLeft(0u), 7) << "a silent mixer puts the thumb at its left end";
    EXPECT_EQ(volumeLeft(std::nullopt), 7) << "no mixer reads as silence";
    EXPECT_EQ(volumeLeft(0x0000FFFFu), 71);
    EXPECT_EQ(volumeLeft(0xFFFF0000u), 7) << "the right channel does not count";
    EXPECT_EQ(volumeLeft(0x12348000u), 39);
    // Every place the thumb can be dragged to comes back to the same place
    // at the next start.
    for (int left = 7; left <= 71; ++left)
        EXPECT_EQ(volumeLeft(mixerVolume(left)), left) << left;
}

TEST(ThumbDrag, MovesByTheMouseAndStopsAtTheEnds)
{
    EXPECT_DOUBLE_EQ(dragLeft(60, 3, 10, kPosition), 67);
    EXPECT_DOUBLE_EQ(dragLeft(60, 3, 0, kPosition), 57);
    EXPECT_DOUBLE_EQ(dragLeft(155, 3, 40, kPosition), 161);
    EXPECT_DOUBLE_EQ(dragLeft(52, 3, -20, kPosition), 50);
    EXPECT_DOUBLE_EQ(dragLeft(70, 0, 5, kVolume), 71);
    EXPECT_DOUBLE_EQ(dragLeft(10, 4, 0, kVolume), 7);
    EXPECT_DOUBLE_EQ(dragLeft(30, 2, 2, kVolume), 30);
}

TEST(PositionThumb, SeekTargetRunsFromTheStartToExactlyTheEnd)
{
    for (qint64 length : {qint64(1), qint64(1000), qint64(299999), qint64(3600000)}) {
        EXPECT_EQ(seekTarget(length, 50), 0) << length;
        EXPECT_EQ(seekTarget(length, 161), length) << "the far right is the very end: " << length;
        EXPECT_EQ(seekTarget(length, 200), length) << length;
    }
    // 1000 / 111 per whole step: 55 steps are 495.49..., rounded down.
    EXPECT_EQ(seekTarget(1000, 105.7), 495);
    EXPECT_EQ(seekTarget(111000, 105), 55000);
    EXPECT_EQ(seekTarget(0, 105), 0) << "nothing open has no length";
    EXPECT_EQ(seekSteps(49), 0);
}

TEST(PositionThumb, FollowsForwardInWholeStepsAndBackAtOnce)
{
    const qint64 length = 111000; // one unit of thumb is 1000 ms
    EXPECT_DOUBLE_EQ(followLeft(50, 55500, length, false), 105.5);
    EXPECT_DOUBLE_EQ(followLeft(105, 55900, length, false), 105) << "less than a unit ahead: stays";
    EXPECT_DOUBLE_EQ(followLeft(105, 56000, length, false), 105) << "exactly one unit ahead: stays";
    EXPECT_DOUBLE_EQ(followLeft(105, 56500, length, false), 106.5);
    EXPECT_DOUBLE_EQ(followLeft(105, 54900, length, false), 104.9) << "any step back is followed";
    EXPECT_DOUBLE_EQ(followLeft(120, 10000, length, true), 120) << "a held thumb stays under the mouse";
    EXPECT_DOUBLE_EQ(followLeft(120, 0, length, false), 50);
    EXPECT_DOUBLE_EQ(followLeft(120, length, length, false), 50) << "the end of the track";
    EXPECT_DOUBLE_EQ(followLeft(120, 500, 0, false), 50) << "no length to follow";
}
