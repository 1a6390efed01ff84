// The program draws a picture only in a turn of its loop in which something it shows may have
// changed: the pictures a user sees are the same as when every turn draws one. Cruise over San
// Carlos with the panel, a bank into a turn held by the keys, a radio tuned by the runner (no
// message reaches the program), the view changed to the plain world and back, the throttle
// pushed in (its knob slides there a step a frame); and parked there, the parking brake let go
// and set again, the outside view and back: a screenshot every 40 ms of simulated time, which is
// more often than the flight's ticks, in both runs.
//
// Parked, nothing moves but the panel's clock and the sky: the program then draws the world no
// more often than the screen gets a new picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

namespace fs = std::filesystem;

constexpr int kShots = 60;

// Runner commands before shot i, by the shot's number.
struct Step {
    int shot;
    const char* command;
};

const std::vector<Step> kCruiseSteps = {
    {5, "key Left down"},      {15, "key Left up"},
    {25, "radio COM1 121.50"}, {35, "menu 1666"},  // the plain world view
    {45, "menu 1663"},                             // the panel again
    {50, "key Back press"},                        // full throttle: the knob slides a step a frame
};
const std::vector<Step> kParkedSteps = {
    {10, "key B press"},  // the parking brake off: its word over the view goes
    {20, "menu 1666"},
    {35, "key B press"},
    {45, "menu 1663"},
};

std::string Script(const std::vector<Step>& steps) {
    std::string s = "wait 1000\n";
    for (int i = 0; i < kShots; ++i) {
        for (const Step& step : steps)
            if (step.shot == i) s += std::string(step.command) + "\n";
        s += "screenshot @dir/shot" + std::to_string(i) + ".bmp\nwait 40\n";
    }
    return s + "quit\n";
}

class FrameStep : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built())
            GTEST_SKIP() << "simrun or the installation is missing";
    }
    // Runs the script from the installation's flight `flight`, keeping the pixels of its first
    // `shots` screenshots; the runner's output.
    std::string RunScript(const char* flight, const std::string& text, bool drawEveryTurn,
                          int shots = 0) {
        testsupport::StarterRun run("zephlon-frame-step");
        fs::copy_file(testsupport::StarterRun::Install() / "Flights" / flight,
                      run.Dir().Path("Flights/Startup.Flt"), fs::copy_options::overwrite_existing);
        std::string script = text;
        for (std::size_t at; (at = script.find("@dir")) != std::string::npos;)
            script.replace(at, 4, run.Dir().Root());
        run.Dir().Write("script.txt", script);
        const testsupport::CommandResult r = testsupport::RunCommand(
            testsupport::StarterRun::Simrun() + (drawEveryTurn ? " --draw-every-turn" : "") +
            " --dir " + run.Dir().Root() + " " + run.Dir().Path("script.txt") + " 2>&1");
        EXPECT_EQ(r.status, 0) << r.out;
        for (int i = 0; i < shots; ++i)
            shots_.push_back(testsupport::ReadScreenshot(
                run.Dir().Read("shot" + std::to_string(i) + ".bmp"), 640, 480));
        return r.out;
    }
    // The screenshots of one run, as their pixels.
    std::vector<std::vector<std::uint32_t>> Run(const char* flight, const std::vector<Step>& steps,
                                                bool drawEveryTurn) {
        shots_.clear();
        RunScript(flight, Script(steps), drawEveryTurn, kShots);
        return std::move(shots_);
    }
    // Both runs' pictures alike, and the flight's: more than `changes` of them differ from the
    // one before (the comparison compared pictures).
    void ExpectSamePictures(const char* flight, const std::vector<Step>& steps, int changes) {
        const auto every = Run(flight, steps, true);
        const auto own = Run(flight, steps, false);
        ASSERT_EQ(every.size(), own.size());
        int changed = 0;
        for (std::size_t i = 0; i < every.size(); ++i) {
            ASSERT_EQ(every[i].size(), 640u * 480u) << "shot " << i;
            EXPECT_TRUE(every[i] == own[i]) << "shot " << i << " differs";
            if (i > 0 && every[i] != every[i - 1]) ++changed;
        }
        EXPECT_GT(changed, changes);
    }

private:
    std::vector<std::vector<std::uint32_t>> shots_;
};

TEST_F(FrameStep, PicturesAreTheSameAsWhenEveryTurnDraws) {
    ExpectSamePictures("Cruise.Flt", kCruiseSteps, kShots / 2);
}

// The panel's clock, the brakes' word and the outside view change the parked picture a few times.
TEST_F(FrameStep, ParkedPicturesAreTheSameAsWhenEveryTurnDraws) {
    ExpectSamePictures("Startup.Flt", kParkedSteps, 3);
}

TEST_F(FrameStep, ParkedTheWorldIsDrawnOnlyForANewPicture) {
    const std::string out = RunScript("Startup.Flt", "wait 20000\nquit\n", false);
    const unsigned long frames = testsupport::RunFigure(out, "frames");
    const unsigned long presents = testsupport::RunFigure(out, "presents");
    ASSERT_GT(presents, 0u) << out;
    // Each second shows a new clock reading; the world is drawn at most once for each new
    // picture the screen got (the flight ticks 364 times meanwhile).
    EXPECT_GE(presents, 20u) << out;
    EXPECT_LE(frames, presents) << out;
}

}  // namespace
