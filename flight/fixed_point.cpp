// The flight model's fixed-point routines.
#include "flight/fixed_point.h"

#include <cstdlib>

namespace flight {

// entry i = round(32767 * sin(i * 90 / 256 degrees))
const std::int16_t kQuarterSineTable[257] = {
    0,     201,   402,   603,   804,   1005,  1206,  1407,  1608,  1809,  2009,  2210,  2410,
    2611,  2811,  3012,  3212,  3412,  3612,  3811,  4011,  4210,  4410,  4609,  4808,  5007,
    5205,  5404,  5602,  5800,  5998,  6195,  6393,  6590,  6786,  6983,  7179,  7375,  7571,
    7767,  7962,  8157,  8351,  8545,  8739,  8933,  9126,  9319,  9512,  9704,  9896,  10087,
    10278, 10469, 10659, 10849, 11039, 11228, 11417, 11605, 11793, 11980, 12167, 12353, 12539,
    12725, 12910, 13094, 13279, 13462, 13645, 13828, 14010, 14191, 14372, 14553, 14732, 14912,
    15090, 15269, 15446, 15623, 15800, 15976, 16151, 16325, 16499, 16673, 16846, 17018, 17189,
    17360, 17530, 17700, 17869, 18037, 18204, 18371, 18537, 18703, 18868, 19032, 19195, 19357,
    19519, 19680, 19841, 20000, 20159, 20317, 20475, 20631, 20787, 20942, 21096, 21250, 21403,
    21554, 21705, 21856, 22005, 22154, 22301, 22448, 22594, 22739, 22884, 23027, 23170, 23311,
    23452, 23592, 23731, 23870, 24007, 24143, 24279, 24413, 24547, 24680, 24811, 24942, 25072,
    25201, 25329, 25456, 25582, 25708, 25832, 25955, 26077, 26198, 26319, 26438, 26556, 26674,
    26790, 26905, 27019, 27133, 27245, 27356, 27466, 27575, 27683, 27790, 27896, 28001, 28105,
    28208, 28310, 28411, 28510, 28609, 28706, 28803, 28898, 28992, 29085, 29177, 29268, 29358,
    29447, 29534, 29621, 29706, 29791, 29874, 29956, 30037, 30117, 30195, 30273, 30349, 30424,
    30498, 30571, 30643, 30714, 30783, 30852, 30919, 30985, 31050, 31113, 31176, 31237, 31297,
    31356, 31414, 31470, 31526, 31580, 31633, 31685, 31736, 31785, 31833, 31880, 31926, 31971,
    32014, 32057, 32098, 32137, 32176, 32213, 32250, 32285, 32318, 32351, 32382, 32412, 32441,
    32469, 32495, 32521, 32545, 32567, 32589, 32609, 32628, 32646, 32663, 32678, 32692, 32705,
    32717, 32728, 32737, 32745, 32752, 32757, 32761, 32765, 32766, 32767,
};

// entry i = round(atan(i / 128) * 32768 / pi), binary angle units
const std::int16_t kArcTanTable[129] = {
    0,    81,   163,  244,  326,  407,  489,  570,  651,  732,  813,  894,  975,  1056, 1136,
    1217, 1297, 1377, 1457, 1537, 1617, 1696, 1775, 1854, 1933, 2012, 2090, 2168, 2246, 2324,
    2401, 2478, 2555, 2632, 2708, 2784, 2860, 2935, 3010, 3085, 3159, 3233, 3307, 3380, 3453,
    3526, 3599, 3670, 3742, 3813, 3884, 3955, 4025, 4095, 4164, 4233, 4302, 4370, 4438, 4505,
    4572, 4639, 4705, 4771, 4836, 4901, 4966, 5030, 5094, 5157, 5220, 5282, 5344, 5406, 5467,
    5528, 5589, 5649, 5708, 5768, 5826, 5885, 5943, 6000, 6058, 6114, 6171, 6227, 6282, 6337,
    6392, 6446, 6500, 6554, 6607, 6660, 6712, 6764, 6815, 6867, 6917, 6968, 7018, 7068, 7117,
    7166, 7214, 7262, 7310, 7358, 7405, 7451, 7498, 7544, 7589, 7635, 7679, 7724, 7768, 7812,
    7856, 7899, 7942, 7984, 8026, 8068, 8110, 8151, 8192,
};

namespace {

// Sine of 0..0x4000 from the quarter-wave table, interpolated on the low 6 bits.
std::int32_t QuarterSine(std::int32_t a) {
    const std::int32_t i = a >> 6;
    const std::int32_t f = a & 63;
    const std::int32_t y0 = kQuarterSineTable[i];
    if (f == 0) return y0;
    const std::int32_t y1 = kQuarterSineTable[i + 1];
    return y0 + ((y1 - y0) * f) / 64;
}

}  // namespace

SinCos FixedSinCos(std::int32_t angle) {
    std::int32_t a = static_cast<std::int16_t>(angle & 0xFFFF);
    bool negative = false;
    if (a < 0) {
        // -0x8000 has no positive twin in 16 bits; it is read as 0x7FFF.
        a = (a == -0x8000) ? 0x7FFF : -a;
        negative = true;
    }
    SinCos r{};
    if (a <= 0x4000) {
        r.sine = QuarterSine(a);
        r.cosine = QuarterSine(0x4000 - a);
    } else {
        r.sine = QuarterSine(0x8000 - a);
        r.cosine = -QuarterSine(a - 0x4000);
    }
    if (negative) r.sine = -r.sine;
    return r;
}

std::uint32_t Divide16(std::uint32_t dividend, std::uint32_t divisor) {
    if (divisor == 0) return 0;
    const std::uint32_t q = dividend / divisor;
    return q > 0xFFFF ? 0xFFFF : q;
}

std::uint16_t FixedAtan2(std::int32_t first, std::int32_t second) {
    std::int32_t angle;
    // Magnitudes in 64 bits: the magnitude of INT32_MIN does not fit in 32.
    std::uint64_t f = static_cast<std::uint64_t>(std::llabs(static_cast<long long>(first)));
    std::uint64_t s = static_cast<std::uint64_t>(std::llabs(static_cast<long long>(second)));
    if (first == 0) {
        angle = 0;
    } else if (second == 0) {
        angle = 0x4000;
    } else if (f == s) {
        angle = 0x2000;
    } else {
        // Normalise both together until one has bit 31 set, then divide the smaller by the
        // larger's high word to get a Q16 ratio.
        while (((f | s) & 0x80000000ull) == 0) {
            f <<= 1;
            s <<= 1;
        }
        while (((f | s) >> 32) != 0) {
            f >>= 1;
            s >>= 1;
        }
        const bool firstLarger = f > s;
        const std::uint32_t small = static_cast<std::uint32_t>(firstLarger ? s : f);
        const std::uint32_t largeHigh = static_cast<std::uint32_t>((firstLarger ? f : s) >> 16);
        const std::uint32_t ratio = Divide16(small, largeHigh);
        const std::int32_t i = static_cast<std::int32_t>(ratio >> 9);
        const std::int32_t frac = static_cast<std::int32_t>(ratio & 511);
        const std::int32_t y0 = kArcTanTable[i];
        const std::int32_t y1 = kArcTanTable[i < 128 ? i + 1 : 128];
        angle = y0 + ((y1 - y0) * frac) / 512;
        if (firstLarger) angle = 0x4000 - angle;
    }
    if (second < 0 && first < 0) {
        angle += 0x8000;
    } else if (second < 0) {
        angle = 0x8000 - angle;
    } else if (first < 0) {
        angle = -angle;
    }
    return static_cast<std::uint16_t>(angle & 0xFFFF);
}

namespace {

template <typename T>
std::int32_t InterpolateTable(const T* table, std::uint32_t x, int segmentBits) {
    const int fracBits = 16 - segmentBits;
    const std::uint32_t seg = x >> fracBits;
    const std::int32_t frac =
        static_cast<std::int32_t>((x & ((1u << fracBits) - 1)) << (15 - fracBits));
    const std::int32_t y0 = table[seg];
    const std::int32_t y1 = table[seg + 1];
    return y0 + ((y1 - y0) * frac) / 32768;
}

}  // namespace

std::int32_t Interpolate16(const std::int16_t* table, std::uint16_t x) {
    return InterpolateTable(table, x, 4);
}
std::int32_t Interpolate16U(const std::uint16_t* table, std::uint16_t x) {
    return InterpolateTable(table, x, 4);
}
std::int32_t Interpolate33(const std::int16_t* table, std::uint16_t x) {
    return InterpolateTable(table, x, 5);
}
std::int32_t Interpolate65(const std::int16_t* table, std::uint16_t x) {
    return InterpolateTable(table, x, 6);
}

std::int32_t Interpolate16Wide(const std::int32_t* table, std::uint16_t x) {
    const std::uint32_t seg = x >> 12;
    const std::int64_t frac = static_cast<std::int64_t>(x & 0xFFF) << 3;
    const std::int64_t y0 = table[seg];
    const std::int64_t y1 = table[seg + 1];
    return Saturate32(y0 + (((y1 - y0) * frac) >> 15));
}

std::uint32_t FixedSqrt32(std::uint32_t x) {
    if (x == 0) return 0;
    // Start from a power of two near the root (half the bit length of x * 65536) so that five
    // Newton steps converge over the whole input range; starting from (x + 1) / 2 leaves large
    // inputs far from their root after five steps.
    int bits = 0;
    for (std::uint32_t v = x; v != 0; v >>= 1)
        ++bits;
    std::uint64_t r = 1ull << ((bits + 16 + 1) / 2);
    const std::uint64_t n = static_cast<std::uint64_t>(x) << 16;
    for (int i = 0; i < 5; ++i)
        r = (n / r + r) / 2;
    // Newton from above converges downwards; settle the last unit exactly.
    while (r * r > n)
        --r;
    while ((r + 1) * (r + 1) <= n)
        ++r;
    return static_cast<std::uint32_t>(r);
}

}  // namespace flight
