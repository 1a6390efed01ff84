// Restart after Resume Flight goes back to the flight resumed, not to the first flight: the
// aircraft and the place are the resumed flight's again after flying on from it. The first
// flight comes back as the pilot met it at the start, its engine stopped (the tachometer, the oil
// and the sound as then), after the engine was started and the aircraft rolled; a flight resumed
// running comes back running; after the aircraft selection the first flight comes back in the
// aircraft chosen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "cockpit/gauges.h"
#include "cockpit/panel_layouts.h"
#include "support/audio.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::SavedValue;
using testsupport::StarterRun;

constexpr int kWidth = 640, kHeight = 480;

// The pixels that differ between two screenshots within `radius` of a gauge's pivot.
int ChangedAround(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b,
                  int type, const cockpit::PanelGauge* gauge, int radius) {
    int count = 0, rows = 0;
    const cockpit::PanelRow* row = cockpit::PanelRowsOf(type, &rows);
    for (int i = 0; i < rows; ++i, ++row) {
        if (row->gauge != gauge) continue;
        const int cx = row->x, cy = row->y + cockpit::PanelOffsetFor(type, 0);
        for (int y = std::max(cy - radius, 0); y <= std::min(cy + radius, kHeight - 1); ++y)
            for (int x = std::max(cx - radius, 0); x <= std::min(cx + radius, kWidth - 1); ++x)
                count += a[static_cast<std::size_t>(y * kWidth + x)] !=
                         b[static_cast<std::size_t>(y * kWidth + x)];
        return count;
    }
    return -1;
}

// The first flight's run: a screenshot, a flight and the sound of two seconds at the start,
// then `before` (the user's doings), the same while running, then the same after a restart.
struct ThreeMoments {
    testsupport::CommandResult result;
    std::vector<std::uint32_t> shot[3];
    double rms[3] = {};
    std::string flight[3];
};
ThreeMoments PlayThreeMoments(const StarterRun& run, const std::string& before) {
    const char* names[3] = {"start", "running", "restarted"};
    const auto moment = [&](int k) {
        const std::string n = names[k];
        return "audio " + run.Dir().Path(n + "0.wav") + "\nwait 2000\naudio " +
               run.Dir().Path(n + ".wav") + "\nscreenshot " + run.Dir().Path(n + ".bmp") +
               "\nsave " + run.Dir().Path(n + ".flt") + "\n";
    };
    ThreeMoments m;
    m.result = run.Play("frame-interval 100\nwait 1500\n" + moment(0) + before + moment(1) +
                        "menu 687\nwait 500\n" + moment(2) + "quit\n");
    for (int k = 0; k < 3; ++k) {
        const std::string n = names[k];
        m.shot[k] = testsupport::ReadScreenshot(run.Dir().Read(n + ".bmp"), kWidth, kHeight);
        m.rms[k] = testsupport::Rms(
            testsupport::Channel(testsupport::ReadWav16(run.Dir().Read(n + ".wav")).samples, 0));
        m.flight[k] = run.Dir().Read(n + ".flt");
    }
    return m;
}

TEST(RestartRun, RestartAfterResumeFlightRestartsTheResumedFlight) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-restart");
    // The lessons' cruise start: in the air, where the first flight stands on the ground.
    const std::string resumed = run.Dir().Read("Flights/Cruise.Flt");
    const std::string first = run.Dir().Read("Flights/Startup.Flt");
    ASSERT_GT(SavedValue(resumed, "fmPosY").value_or(0) - SavedValue(first, "fmPosY").value_or(0),
              300 * 256);
    const testsupport::CommandResult r = run.Play(
        "frame-interval 20\nwait 500\nmenu 109\ndialog \"Resume Flight\"\nset 1120 "
        "Cruise.Flt\nkey Return press\nwait 4000\nsave " +
        run.Dir().Path("flown.flt") + "\nmenu 687\nwait 100\nsave " +
        run.Dir().Path("restarted.flt") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string flown = run.Dir().Read("flown.flt");
    const std::string restarted = run.Dir().Read("restarted.flt");
    // The in-air flight moved on before the restart (positions in 1/256 m).
    const auto metres = [](const std::string& a, const std::string& b, const char* key) {
        return std::llabs(SavedValue(a, key).value_or(0) - SavedValue(b, key).value_or(0)) / 256.0;
    };
    ASSERT_GT(metres(flown, resumed, "fmPosX") + metres(flown, resumed, "fmPosZ"), 50.0);
    EXPECT_EQ(SavedValue(restarted, "type"), SavedValue(resumed, "type")) << r.out;
    // A tenth of a second of flight at most from where the resumed flight starts, at its height.
    EXPECT_LT(metres(restarted, resumed, "fmPosX") + metres(restarted, resumed, "fmPosZ"), 20.0);
    EXPECT_LT(metres(restarted, resumed, "fmPosY"), 5.0);
}

// The brakes off and the throttle open for a few seconds' roll.
const std::string kRoll = "key B press\nkey backspace press\nwait 4000\n";

// Started, rolled with the throttle open, restarted: stopped again, as met.
TEST(RestartRun, TheFirstFlightComesBackWithItsEngineStoppedAsMet) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-restart-first");
    const ThreeMoments m = PlayThreeMoments(run, "key S press\nwait 3000\n" + kRoll);
    ASSERT_EQ(m.result.status, 0) << m.result.out;
    for (const auto& shot : m.shot)
        ASSERT_EQ(shot.size(), static_cast<std::size_t>(kWidth * kHeight));
    EXPECT_EQ(SavedValue(m.flight[0], "fmEngines"), 0);
    ASSERT_EQ(SavedValue(m.flight[1], "fmEngines"), 1) << "the engine did not start";
    EXPECT_EQ(SavedValue(m.flight[2], "fmEngines"), 0) << m.result.out;
    // The tachometer and the oil temperature read what they read at the start (the needle had
    // moved while the engine ran).
    EXPECT_GT(ChangedAround(m.shot[0], m.shot[1], 0, &cockpit::theTachometer1, 24), 10);
    for (const cockpit::PanelGauge* gauge : {&cockpit::theTachometer1, &cockpit::theOilTempGauge})
        EXPECT_EQ(ChangedAround(m.shot[0], m.shot[2], 0, gauge, 24), 0);
    // The engine is heard while it runs, and no more after the restart than at the start.
    EXPECT_GT(m.rms[1], 4 * m.rms[0] + 100) << m.rms[0] << " " << m.rms[1];
    EXPECT_LT(m.rms[2], 1.5 * m.rms[0] + 50) << m.rms[0] << " " << m.rms[2];
}

// A flight resumed with its engine running, rolled on and restarted: running, and heard, again.
TEST(RestartRun, ARunningFlightComesBackRunning) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-restart-running");
    const ThreeMoments m = PlayThreeMoments(
        run,
        "menu 109\ndialog \"Resume Flight\"\nset 1120 C172Fly.Flt\nkey Return press\nwait 1000\n" +
            kRoll);
    ASSERT_EQ(m.result.status, 0) << m.result.out;
    EXPECT_EQ(SavedValue(m.flight[1], "fmEngines"), 1);
    EXPECT_EQ(SavedValue(m.flight[2], "fmEngines"), 1) << m.result.out;
    EXPECT_GT(m.rms[2], 4 * m.rms[0] + 100) << m.rms[0] << " " << m.rms[2];
}

// Each other aircraft chosen at the first flight and started: a restart brings the first flight
// back in the aircraft chosen, where the first flight stands, its engines stopped (a turbine's
// ignition off), as the aircraft was met when chosen.
struct Chosen {
    int type;
    int button;  // the selection dialog's button
};
class RestartAfterSelection : public ::testing::TestWithParam<Chosen> {};

TEST_P(RestartAfterSelection, TheFirstFlightComesBackInTheChosenAircraft) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const Chosen c = GetParam();
    StarterRun run("zephlon-restart-chosen");
    const std::string first = run.Dir().Read("Flights/Startup.Flt");
    const ThreeMoments m =
        PlayThreeMoments(run, "menu 130\ndialog FlightModel\nclick " + std::to_string(c.button) +
                                  "\nclick 1\nwait 500\nkey S press\nwait 8000\n" + kRoll);
    ASSERT_EQ(m.result.status, 0) << m.result.out;
    EXPECT_EQ(SavedValue(m.flight[1], "type"), c.type);
    EXPECT_NE(SavedValue(m.flight[1], "fmEngines").value_or(0), 0) << "the engine did not start";
    EXPECT_EQ(SavedValue(m.flight[2], "type"), c.type) << m.result.out;
    EXPECT_EQ(SavedValue(m.flight[2], "fmEngines"), 0);
    if (c.type >= 3) {
        EXPECT_EQ(SavedValue(m.flight[2], "ignition"), 0);
        EXPECT_EQ(SavedValue(m.flight[2], "ignition2"), 0);
    }
    // Where the first flight stands (positions in 1/256 m), and as quiet as at the start.
    for (const char* key : {"fmPosX", "fmPosZ"})
        EXPECT_LT(std::llabs(SavedValue(m.flight[2], key).value_or(0) -
                             SavedValue(first, key).value_or(0)),
                  2 * 256)
            << key;
    EXPECT_LT(m.rms[2], 1.5 * m.rms[0] + 50) << m.rms[0] << " " << m.rms[2];
}

INSTANTIATE_TEST_SUITE_P(FourAircraft, RestartAfterSelection,
                         ::testing::Values(Chosen{1, 1743}, Chosen{2, 1742}, Chosen{3, 1746},
                                           Chosen{4, 1745}));

}  // namespace
