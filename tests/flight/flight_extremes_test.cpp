// Saved flights whose "Aircraft" values sit at the limits of their fields: loading them and
// flying on must stay defined (every product, negation and shift of the step saturates), which
// the sanitizer build checks, and the step must not turn a loaded extreme into a different
// extreme of the opposite sign.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "flight/flight_harness.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "support/temp_folder.h"
#include "win/profile.h"

namespace {

using flight::theFlightModelState;

// The keys the loader reads, each given one of the patterns below.
const char* const kKeys[] = {
    "fmPosX",   "fmPosY",    "fmPosZ",   "fmPitch",  "fmBank",    "fmHead",   "fmHVel",
    "fmVVel",   "fmSVel",    "fmTAVel",  "fmYVel",   "fmRVel",    "fmDeltaX", "fmDeltaY",
    "fmDeltaZ", "fmElvCur",  "fmWndANG", "fmAllowWA", "fmCNAdj",  "fmDeltaH", "fmOTG",
    "fmInvert", "fmEngines", "fmOGV",    "fmSpoil",  "fmElv",     "fmAil",    "fmRud",
    "fmThrot",  "fmFlaps",   "fmGear",   "fmAfter",  "fmRBrake",  "fmLBrake", "fmRThrust",
    "fmFuel1",  "fmFuel2",   "fmFuel3",  "fmPLoad",  "fmAdjustedTach", "fmMultiEngineSynch"};

constexpr std::int64_t kMin = INT32_MIN;
constexpr std::int64_t kMax = INT32_MAX;

// A value for each key: the pattern picks, by the key's position, among 32-bit limits, 16-bit
// limits and text past every limit.
std::string ValueFor(int pattern, std::size_t key) {
    const std::int64_t limits[] = {kMin, kMax, -1, 0, 32767, -32768, 65535, kMin + 1};
    switch (pattern) {
        case 0:
            return std::to_string(kMin);
        case 1:
            return std::to_string(kMax);
        case 2:
            return std::to_string(key % 2 == 0 ? kMin : kMax);
        case 3:
            return std::to_string(key % 2 == 0 ? kMax : kMin);
        case 4:
            return "-99999999999999999999";
        default: {
            // A mix drawn per key and pattern.
            std::uint32_t h = static_cast<std::uint32_t>(pattern) * 2654435761u ^
                              static_cast<std::uint32_t>(key) * 40503u;
            h ^= h >> 13;
            h *= 0x5bd1e995u;
            h ^= h >> 15;
            return std::to_string(limits[h % 8]);
        }
    }
}

TEST(FlightExtremes, LoadedLimitsFlyWithoutOverflow) {
    testsupport::TempFolder dir("flight-extremes");
    for (int type = 0; type <= 4; ++type) {
        for (int pattern = 0; pattern < 24; ++pattern) {
            SCOPED_TRACE("type " + std::to_string(type) + " pattern " + std::to_string(pattern));
            const std::string path = dir.Path("extreme" + std::to_string(type) + "_" +
                                              std::to_string(pattern) + ".Flt");
            {
                win::ProfileWriteBatch once;
                core::IniFile out(path.c_str());
                for (std::size_t k = 0; k < std::size(kKeys); ++k)
                    out.PutString("Aircraft", kKeys[k], ValueFor(pattern, k).c_str());
            }
            flighttest::FlightHarness h(type);
            core::IniFile in(path.c_str());
            ASSERT_EQ(flight::ReadAircraftState(in), 1);
            const flight::FlightModelState& s = theFlightModelState;
            EXPECT_GE(s.fmFlaps, 0);
            EXPECT_LE(s.fmFlaps, s.fmMaxFlaps);
            EXPECT_GE(s.fmOGV, 0);
            EXPECT_LE(s.fmOGV, 3);
            const std::int32_t hvel = s.fmHVel;
            h.Run(60);
            // A speed loaded at a limit may shrink or be held, never wrap to the other end.
            if (hvel == INT32_MAX) {
                EXPECT_NE(s.fmHVel, INT32_MIN);
            }
        }
    }
}

}  // namespace
