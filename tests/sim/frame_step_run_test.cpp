// The program draws a picture only in a turn of its loop in which something it shows may have
// changed: the pictures a user sees are the same as when every turn draws one. Cruise over San
// Carlos with the panel, a bank into a turn held by the keys, a radio tuned by the runner (no
// message reaches the program), the view changed to the plain world and back, the throttle
// pushed in (its knob slides there a step a frame): a screenshot
// every 40 ms of simulated time, which is more often than the flight's ticks, in both runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

namespace fs = std::filesystem;

constexpr int kShots = 60;

std::string Script() {
    std::string s = "wait 1000\n";
    for (int i = 0; i < kShots; ++i) {
        if (i == 5) s += "key Left down\n";
        if (i == 15) s += "key Left up\n";
        if (i == 25) s += "radio COM1 121.50\n";
        if (i == 35) s += "menu 1666\n";  // the plain world view
        if (i == 45) s += "menu 1663\n";  // the panel again
        if (i == 50) s += "key Back press\n";  // full throttle: the knob slides a step a frame
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
    // The screenshots of one run, as their pixels.
    std::vector<std::vector<std::uint32_t>> Run(bool drawEveryTurn) {
        testsupport::StarterRun run("zephlon-frame-step");
        fs::copy_file(testsupport::StarterRun::Install() / "Flights" / "Cruise.Flt",
                      run.Dir().Path("Flights/Startup.Flt"), fs::copy_options::overwrite_existing);
        std::string script = Script();
        for (std::size_t at; (at = script.find("@dir")) != std::string::npos;)
            script.replace(at, 4, run.Dir().Root());
        run.Dir().Write("script.txt", script);
        const testsupport::CommandResult r = testsupport::RunCommand(
            testsupport::StarterRun::Simrun() + (drawEveryTurn ? " --draw-every-turn" : "") +
            " --dir " + run.Dir().Root() + " " + run.Dir().Path("script.txt") + " 2>&1");
        EXPECT_EQ(r.status, 0) << r.out;
        std::vector<std::vector<std::uint32_t>> shots;
        for (int i = 0; i < kShots; ++i)
            shots.push_back(testsupport::ReadScreenshot(
                run.Dir().Read("shot" + std::to_string(i) + ".bmp"), 640, 480));
        return shots;
    }
};

TEST_F(FrameStep, PicturesAreTheSameAsWhenEveryTurnDraws) {
    const auto every = Run(true);
    const auto own = Run(false);
    ASSERT_EQ(every.size(), own.size());
    int changes = 0;
    for (std::size_t i = 0; i < every.size(); ++i) {
        ASSERT_EQ(every[i].size(), 640u * 480u) << "shot " << i;
        EXPECT_TRUE(every[i] == own[i]) << "shot " << i << " differs";
        if (i > 0 && every[i] != every[i - 1]) ++changes;
    }
    // The flight moved the picture in most of the shots: the comparison compared pictures.
    EXPECT_GT(changes, kShots / 2);
}

}  // namespace
