// The aircraft dialogs as a user meets them, driven by the committed scripts beside this test in
// the starter installation: the aircraft chosen from its picture, its checklists, its loading.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <cstdint>
#include <string>

#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::SavedValue;
using testsupport::StarterRun;

testsupport::CommandResult PlayScript(const StarterRun& run, const char* name) {
    return run.Play(testsupport::CommittedScript(std::string("planning/scripts/") + name, run.Dir().Root()));
}

// The share of a screen rectangle whose pixels differ from its first pixel.
double Busy(const std::vector<std::uint32_t>& pixels, int x0, int y0, int x1, int y1) {
    int busy = 0;
    const std::uint32_t first = pixels[static_cast<std::size_t>(y0) * 640 + x0];
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) busy += pixels[static_cast<std::size_t>(y) * 640 + x] != first;
    return static_cast<double>(busy) / ((x1 - x0) * (y1 - y0));
}

TEST(AircraftDialogs, TheBonanzaChosenFromItsPictureIsFlown) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-aircraft");
    const testsupport::CommandResult r = PlayScript(run, "aircraft-select.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    // Each type's own performance text, read from the installation.
    EXPECT_NE(r.out.find("row 0: \"Cessna 172 Skyhawk\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("row 0: \"Beechcraft V35 Bonanza\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"Service ceiling: 17,858 ft\""), std::string::npos) << r.out;
    EXPECT_EQ(SavedValue(run.Dir().Read("bonanza.flt"), "type"), 1);
    EXPECT_EQ(SavedValue(run.Dir().Read("back.flt"), "type"), 1);
    // The dialog shows the Bonanza's picture: a sky (blue, lighter towards the horizon) with the
    // white aircraft in it; the Bonanza's panel follows it on the screen.
    const auto dialog = testsupport::ReadScreenshot(run.Dir().Read("selection.bmp"), 640, 480);
    ASSERT_FALSE(dialog.empty());
    int sky = 0, white = 0;
    for (std::size_t y = 300; y < 440; ++y)
        for (std::size_t x = 180; x < 620; ++x) {
            const std::uint32_t p = dialog[y * 640 + x];
            const int r = static_cast<int>(p >> 16), g = static_cast<int>((p >> 8) & 0xFF), b = static_cast<int>(p & 0xFF);
            sky += b > 190 && b > r + 40 && g > r;
            white += r > 200 && g > 200 && b > 200 && b - r < 40;
        }
    EXPECT_GT(sky, 20000) << "no sky in the picture";
    EXPECT_GT(white, 2000) << "no aircraft in the picture";
    // The five type buttons are push buttons, the chosen one held down: each is framed across
    // its whole width (a radio button shows a small round mark instead); the four not chosen
    // share one face, the Bonanza's (second) is the pressed face.
    auto at = [&](int x, int y) { return dialog[static_cast<std::size_t>(y) * 640 + x]; };
    const std::uint32_t raised = at(60, 61 + 20);
    for (int i = 0; i < 5; ++i) {
        const int top = 61 + 84 * i;
        for (int x = 40; x < 160; x += 4) EXPECT_EQ(at(x, top), at(40, top)) << "button " << i << " x " << x;
        EXPECT_NE(at(40, top), at(40, top - 4)) << "button " << i << " has no frame";
        if (i == 1) EXPECT_NE(at(60, top + 20), raised) << "the chosen type is not held down";
        else EXPECT_EQ(at(60, top + 20), raised) << "button " << i;
    }
    const auto panel = testsupport::ReadScreenshot(run.Dir().Read("bonanza.bmp"), 640, 480);
    ASSERT_FALSE(panel.empty());
    EXPECT_GT(Busy(panel, 0, 200, 640, 480), 0.5);
}

TEST(AircraftDialogs, TheChecklistOpensAtTheChosenSection) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-checklist");
    const testsupport::CommandResult r = PlayScript(run, "checklist.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("selected=-1 rows=10"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("selected=34 rows=122 top=34"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("row 35: \"TAKEOFF\""), std::string::npos) << r.out;
    EXPECT_FALSE(testsupport::ReadScreenshot(run.Dir().Read("checklist.bmp"), 640, 480).empty());
}

TEST(AircraftDialogs, TheLoadingIsKeptInASavedFlight) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-loading");
    const testsupport::CommandResult r = PlayScript(run, "loading.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    const std::string saved = run.Dir().Read("loaded.flt");
    EXPECT_EQ(SavedValue(saved, "fmPLoad"), 136);  // 300 lb
    // Ten gallons (60 lb, 27.3 kg) on the left, a full tank (20 gallons, 54.5 kg) on the right,
    // less what the engine burned since.
    const long long left = SavedValue(saved, "fmFuel1").value_or(0), right = SavedValue(saved, "fmFuel2").value_or(0);
    EXPECT_LE(left, 273 * 256 / 10);
    EXPECT_GT(left, 263 * 256 / 10);
    EXPECT_LE(right, 545 * 256 / 10);
    EXPECT_GT(right, 535 * 256 / 10);
}

}  // namespace
