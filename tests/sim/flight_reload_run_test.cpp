// A saved flight flies the same whatever was flown before it: resumed first thing after the
// start, resumed after another aircraft was flown hard (full power, the autopilot, flaps, pulled
// into the stall, a roll), and restarted with Ctrl+E after that, its track over 30 s (the places,
// the height and the attitude every half second) is the same to the last reported digit. Every
// load and every key falls on the same place within the clock's ticks, so nothing but what the
// program kept from before could part the tracks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

// The clock's ticks (18.2 a second) and the frames (a tenth of a second) meet every 5 s.
constexpr int kAligned = 5000;
constexpr int kRecordMs = 30000;

std::string Resume(const std::string& flight) {
    return "menu 109\ndialog \"Resume Flight\"\nset 1152 " + flight + "\nkey Return press\n";
}

// After the load: from the ground, full power, then the pull of a rotation held 4 s from 15 s
// on; in the air, the throttles closed and the Down key pulled three times (a second and a half
// every three seconds) into the stall and held there. Reported every half second over 30 s, ending on a tick-aligned time.
std::string FlyAndRecord(bool ground) {
    std::string s;
    for (int ms = 0; ms < kRecordMs; ms += 500) {
        if (ground) {
            if (ms == 0) s += "key Back press\n";
            if (ms == 15000) s += "key Down down\n";
            if (ms == 19000) s += "key Down up\n";
        } else {
            if (ms == 0) s += "key 0 press\n";
            if (ms == 0 || ms == 3000 || ms == 6000) s += "key Down down\n";
            if (ms == 1500 || ms == 4500) s += "key Down up\n";
        }
        s += "wait 500\nreport ac_x ac_y ac_z alt_ft cam_heading cam_pitch cam_bank\n";
    }
    if (!ground) s += "key Down up\n";
    return s;
}

// Another aircraft flown hard for 15 s: full power, the autopilot's master, a notch of flaps,
// the elevator pulled 6 s and a roll held 2 s.
const std::string kFlownHard =
    "key Back press\nkey Shift+Z press\nkey + press\nkey Down down\nwait 6000\nkey Down up\n"
    "key Left down\nwait 2000\nkey Left up\nwait 7000\n";

std::vector<std::string> Reports(const std::string& out, std::size_t from, std::size_t to) {
    std::vector<std::string> lines;
    for (std::size_t at = out.find("] report ac_x", from); at < to;
         at = out.find("] report ac_x", at + 1))
        lines.push_back(out.substr(at + 2, out.find('\n', at) - at - 2));
    return lines;
}

void ExpectSameTrack(const std::vector<std::string>& first, const std::vector<std::string>& again,
                     const char* how) {
    ASSERT_EQ(first.size(), static_cast<std::size_t>(kRecordMs / 500)) << how;
    ASSERT_EQ(again.size(), first.size()) << how;
    for (std::size_t i = 0; i < first.size(); ++i)
        ASSERT_EQ(again[i], first[i]) << how << ", " << (i + 1) * 0.5 << " s after the load";
}

struct Start {
    const char* flight;  // the flight flown twice
    const char* before;  // another type's flight flown hard before it
    bool ground;
};

class SameFlightWhateverCameBefore : public ::testing::TestWithParam<Start> {};

TEST_P(SameFlightWhateverCameBefore, TracksAreIdentical) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const Start& p = GetParam();
    const std::string start = "frame-interval 100\nwait " + std::to_string(kAligned) + "\n";
    StarterRun firstRun("zephlon-reload-first");
    const auto first = firstRun.Play(start + Resume(p.flight) + FlyAndRecord(p.ground) + "quit\n");
    ASSERT_EQ(first.status, 0) << first.out;
    // The restart comes on the next aligned time after the second track.
    const std::string untilAligned =
        "wait " + std::to_string(kAligned - kRecordMs % kAligned) + "\n";
    StarterRun laterRun("zephlon-reload-later");
    const auto later = laterRun.Play(start + Resume(p.before) + kFlownHard + Resume(p.flight) +
                                     FlyAndRecord(p.ground) + untilAligned + "key Ctrl+E press\n" +
                                     FlyAndRecord(p.ground) + "quit\n");
    ASSERT_EQ(later.status, 0) << later.out;
    const std::vector<std::string> firstTrack = Reports(first.out, 0, first.out.size());
    const std::size_t restart = later.out.rfind("flight: loaded");
    ASSERT_NE(restart, std::string::npos) << later.out;
    ExpectSameTrack(firstTrack, Reports(later.out, 0, restart), "resumed after another flight");
    ExpectSameTrack(firstTrack, Reports(later.out, restart, later.out.size()),
                    "restarted after that");
}

const Start kStarts[] = {
    {"C172Fly.Flt", "JetAir.Flt", true},   {"C172Air.Flt", "KingAir.Flt", false},
    {"BonFly.Flt", "BarAir.Flt", true},    {"BonAir.Flt", "JetAir.Flt", false},
    {"BarFly.Flt", "KingAir.Flt", true},   {"BarAir.Flt", "C172Air.Flt", false},
    {"KingFly.Flt", "BonAir.Flt", true},   {"KingAir.Flt", "JetAir.Flt", false},
    {"JetFly.Flt", "C172Air.Flt", true},   {"JetAir.Flt", "BarAir.Flt", false},
};

INSTANTIATE_TEST_SUITE_P(EveryTypeOnTheGroundAndInTheAir, SameFlightWhateverCameBefore,
                         ::testing::ValuesIn(kStarts), [](const auto& info) {
                             return std::string(info.param.flight).substr(
                                 0, std::string(info.param.flight).size() - 4);
                         });

}  // namespace
