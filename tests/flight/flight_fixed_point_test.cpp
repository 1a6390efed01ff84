// The fixed-point routines against exact references over their whole input range.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "flight/fixed_point.h"

namespace {

using flight::FixedAtan2;
using flight::FixedSinCos;
using flight::FixedSqrt32;

TEST(FlightFixedPoint, SinCosFollowsTheCircleForEveryAngle) {
    int worst = 0;
    for (int a = 0; a < 65536; ++a) {
        const flight::SinCos r = FixedSinCos(a);
        const double rad = a * 2.0 * M_PI / 65536.0;
        const int es = std::abs(r.sine - static_cast<int>(std::lround(32767.0 * std::sin(rad))));
        const int ec = std::abs(r.cosine - static_cast<int>(std::lround(32767.0 * std::cos(rad))));
        // -0x8000 is read as -0x7FFF, one unit short of half a turn.
        if (a != 0x8000) {
            worst = std::max({worst, es, ec});
            ASSERT_LE(es, 2) << "angle " << a;
            ASSERT_LE(ec, 2) << "angle " << a;
        }
    }
    EXPECT_LE(worst, 2);
}

TEST(FlightFixedPoint, SinCosEdges) {
    struct Case {
        int angle;
        int sine;
        int cosine;
    };
    const Case cases[] = {
        {0, 0, 32767}, {0x4000, 32767, 0}, {-0x4000, -32767, 0}, {0x2000, 23170, 23170}};
    for (const Case& c : cases) {
        const flight::SinCos r = FixedSinCos(c.angle);
        EXPECT_EQ(r.sine, c.sine) << c.angle;
        EXPECT_EQ(r.cosine, c.cosine) << c.angle;
    }
    const flight::SinCos half = FixedSinCos(-0x8000);
    const flight::SinCos almost = FixedSinCos(-0x7FFF);
    EXPECT_EQ(half.sine, almost.sine);
    EXPECT_EQ(half.cosine, almost.cosine);
}

TEST(FlightFixedPoint, Atan2Edges) {
    struct Case {
        std::int32_t first;
        std::int32_t second;
        std::uint16_t angle;
    };
    const Case cases[] = {{0, -5, 0x8000}, {5, 0, 0x4000},   {-5, 0, 0xC000}, {3, 3, 0x2000},
                          {0, 5, 0},       {-3, -3, 0xA000}, {3, -3, 0x6000}, {-3, 3, 0xE000}};
    for (const Case& c : cases)
        EXPECT_EQ(FixedAtan2(c.first, c.second), c.angle) << c.first << "," << c.second;
}

TEST(FlightFixedPoint, Atan2FollowsTheCircleEverywhere) {
    // A spiral of vectors of every length class, through all four quadrants.
    int worst = 0;
    for (int i = 0; i < 20000; ++i) {
        const double angle = i * 2.0 * M_PI / 20000.0 + 0.0001;
        const double length = std::pow(2.0, 1 + (i % 30));
        const std::int32_t second =
            static_cast<std::int32_t>(std::lround(length * std::cos(angle)));
        const std::int32_t first = static_cast<std::int32_t>(std::lround(length * std::sin(angle)));
        if (first == 0 || second == 0) continue;
        double exact =
            std::atan2(static_cast<double>(first), static_cast<double>(second)) * 32768.0 / M_PI;
        if (exact < 0) exact += 65536.0;
        int diff = std::abs(static_cast<int>(FixedAtan2(first, second)) -
                            static_cast<int>(std::lround(exact)));
        diff = std::min(diff, 65536 - diff);
        // Short vectors carry their own rounding; judge them against their resolution.
        const int allowed = length < 64 ? 400 : 3;
        ASSERT_LE(diff, allowed) << first << "," << second;
        if (length >= 64) worst = std::max(worst, diff);
    }
    EXPECT_LE(worst, 3);
    EXPECT_EQ(FixedAtan2(INT32_MIN, 1), 0xC000);
}

TEST(FlightFixedPoint, SqrtIsTheExactFloorOverTheWholeRange) {
    std::uint32_t x = 1;
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t n = static_cast<std::uint64_t>(x) << 16;
        const std::uint64_t r = FixedSqrt32(x);
        ASSERT_LE(r * r, n) << x;
        ASSERT_GT((r + 1) * (r + 1), n) << x;
        x = x * 1664525u + 1013904223u;  // spread over all 32-bit values
    }
    EXPECT_EQ(FixedSqrt32(0), 0u);
    EXPECT_EQ(FixedSqrt32(65536), 65536u);           // sqrt(1.0) = 1.0
    EXPECT_EQ(FixedSqrt32(4u << 16), 2u << 16);      // sqrt(4.0) = 2.0
    EXPECT_EQ(FixedSqrt32(0xFFFFFFFFu), 16777215u);  // just under 256.0
}

TEST(FlightFixedPoint, InterpolationHitsNodesAndSegments) {
    std::int16_t t17[17];
    std::int16_t t33[33];
    std::int16_t t65[65];
    std::int32_t wide[17];
    for (int i = 0; i < 17; ++i) {
        t17[i] = static_cast<std::int16_t>(i * 1000 - 8000);
        wide[i] = i * 1000000;
    }
    for (int i = 0; i < 33; ++i)
        t33[i] = static_cast<std::int16_t>(i * 100);
    for (int i = 0; i < 65; ++i)
        t65[i] = static_cast<std::int16_t>(-i * 50);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(flight::Interpolate16(t17, static_cast<std::uint16_t>(i << 12)), t17[i]);
        EXPECT_EQ(flight::Interpolate16(t17, static_cast<std::uint16_t>((i << 12) + 2048)),
                  t17[i] + 500);
        EXPECT_EQ(flight::Interpolate16Wide(wide, static_cast<std::uint16_t>((i << 12) + 1024)),
                  wide[i] + 250000);
    }
    EXPECT_EQ(flight::Interpolate33(t33, 1024), 50);
    EXPECT_EQ(flight::Interpolate65(t65, 512), -25);
    // The last position stays inside the last segment.
    EXPECT_EQ(flight::Interpolate16(t17, 0xFFFF), t17[15] + (1000 * 32760) / 32768);
}

TEST(FlightFixedPoint, Divide16SaturatesAndRefusesZero) {
    EXPECT_EQ(flight::Divide16(100, 0), 0u);
    EXPECT_EQ(flight::Divide16(0xFFFFFFFFu, 1), 0xFFFFu);
    EXPECT_EQ(flight::Divide16(1000, 10), 100u);
}

}  // namespace
