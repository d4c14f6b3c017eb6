#include "platform/linux/AlsaVolumeMixer.h"

#include <gtest/gtest.h>

namespace av = yk::alsavolume;

namespace {

TEST(AlsaVolume, LevelsCoverTheWholeRawRangeOfAnyMixer)
{
    struct Range
    {
        long min, max;
    };
    for (const Range r : {Range{0, 31}, Range{0, 87}, Range{-10239, 400}, Range{0, 65536}}) {
        SCOPED_TRACE(r.max);
        EXPECT_EQ(av::toLevel(r.min, r.min, r.max), 0);
        EXPECT_EQ(av::toLevel(r.max, r.min, r.max), 65535);
        EXPECT_EQ(av::fromLevel(0, r.min, r.max), r.min);
        EXPECT_EQ(av::fromLevel(65535, r.min, r.max), r.max);
        // Out-of-range readings are clamped rather than wrapped.
        EXPECT_EQ(av::toLevel(r.max + 5, r.min, r.max), 65535);
        EXPECT_EQ(av::toLevel(r.min - 5, r.min, r.max), 0);
        // Every raw step survives a round trip through the 16-bit level.
        for (long raw = r.min; raw <= r.max; raw += std::max(1L, (r.max - r.min) / 50))
            EXPECT_EQ(av::fromLevel(av::toLevel(raw, r.min, r.max), r.min, r.max), raw);
    }
    // The knob's 64 steps of 1023.98 map onto a 32-step mixer evenly.
    EXPECT_EQ(av::fromLevel(32768, 0, 31), 16); // half way rounds up
    EXPECT_EQ(av::toLevel(5, 7, 7), 0);         // a degenerate range is silent
}

TEST(AlsaVolume, LeftInTheLowHalfRightInTheHighHalf)
{
    EXPECT_EQ(av::pack(0xFFFF, 0xFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(av::pack(0x1234, 0xABCD), 0xABCD1234u);
    const auto [left, right] = av::unpack(0xABCD1234u);
    EXPECT_EQ(left, 0x1234);
    EXPECT_EQ(right, 0xABCD);
}

TEST(AlsaVolume, NoSuchCardIsNoMixer)
{
    yk::AlsaVolumeMixer mixer(QStringLiteral("hw:CARD=NoSuchCardHere"));
    EXPECT_FALSE(mixer.volume().has_value());
    EXPECT_FALSE(mixer.setVolume(0x80008000u));
}

} // namespace
