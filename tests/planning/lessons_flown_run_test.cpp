// Every installed lesson and manoeuvre judges what it teaches: flown with nobody at the controls
// each ends "needs work", and flown by a pilot who does what the instructor asks (the runner's
// hands on the yoke holding the speeds, heights and banks asked for, the throttle moved by its
// keys) each ends "good job". Flown with the gross motions right but off the manoeuvre's own
// figures (a turn at 60 degrees of bank, a turn that sinks 250 feet or rolls out 25 degrees
// late, a climb or a descent at the wrong speed, a height let go up or down or a heading let
// drift from the moment straight and level begins, slow flight never slowed, a stall never
// reached), or flown by the autopilot, each ends "needs work" too. A manoeuvre's result is also what the pilot
// file keeps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct Lesson {
    const char* name;     // a manoeuvre's title in the manoeuvre dialog, or "" for a lesson
    int lesson;           // the lesson's number in the lesson dialog, or 0 for a manoeuvre
    int manoeuvre;        // the manoeuvre's byte in the pilot file, or -1
    std::vector<const char*> pilot;  // what the pilot does (tests/planning/scripts/flown/)
    std::vector<std::vector<const char*>> badly;  // ways of flying it off its figures
};

const Lesson kLessons[] = {
    {"Straight and Level Flight", 0, 0, {"sl.pilot"},
     {{"sl-climbing.pilot"}, {"sl-diving.pilot"}, {"sl-drifting.pilot"}, {"sl-autopilot.pilot"},
      {"sl-sinking-late.pilot"}}},
    {"Climbs", 0, 1, {"climb.pilot"}, {{"climb-fast.pilot"}}},
    {"Descents", 0, 2, {"descent.pilot"}, {{"descent-fast.pilot"}}},
    {"Standard Rate Turns", 0, 3, {"turn-left.pilot"},
     {{"turn-steep-left.pilot"}, {"turn-sinking-left.pilot"}, {"turn-late-left.pilot"}}},
    {"Slow Flight", 0, 4, {"slow.pilot"}, {{"slow-fast.pilot"}}},
    {"Power-off Stall Recovery", 0, 5, {"stall.pilot"}, {{"stall-none.pilot"}}},
    {"", 1, -1, {"controls.pilot"}, {}},
    {"", 2, -1, {"sl.pilot"}, {{"sl-diving.pilot"}}},
    {"", 3, -1, {"climb.pilot", "descent.pilot"}, {{"climb.pilot", "descent-fast.pilot"}}},
    {"", 4, -1, {"turn-left.pilot", "turn-right.pilot"},
     {{"turn-steep-left.pilot", "turn-steep-right.pilot"}, {"turn-left.pilot", "turn-late-right.pilot"}}},
    {"", 5, -1, {"slow.pilot", "stall.pilot"}, {{"slow.pilot", "stall-none.pilot"}}},
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class LessonsFlown : public ::testing::TestWithParam<Lesson> {
protected:
    void SetUp() override {
        bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        if (!fs::exists(bin) || !fs::exists(fs::path(ZEPHLON_BINARY_DIR) / "install" / "PILOT"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
    }

    // Starts the lesson from its menu in a fresh copy of the installation, flies it with the
    // pilot's files (none: hands off) to its end; the run's output and the pilot file after.
    std::pair<std::string, std::string> Fly(const std::vector<const char*>& pilot) {
        testsupport::TempFolder dir("zephlon-lessons");
        testsupport::LinkStarterFolders(dir, {"PILOT", "Flights"});
        const Lesson& l = GetParam();
        std::string script = "wait 1000\n";
        if (l.lesson == 0) {
            script += "menu 105\ndialog FlightManeuver\nset 1802 \"" + std::string(l.name) + "\"\nclick 1\n";
        } else {
            script += "menu 103\ndialog LESSONPREFLIGHT\n";
            for (int i = 1; i < l.lesson; ++i) script += "click 1601\n";
            script += "click 1\n";
        }
        script += "frame-interval 250\n";
        for (const char* file : pilot)
            script += ReadText(std::string(ZEPHLON_SOURCE_DIR) + "/tests/planning/scripts/flown/" + file);
        script += "wait-for \"lesson: ended\" 200000\nquit\n";
        dir.Write("lesson.simrun", script);
        const testsupport::CommandResult r =
            testsupport::RunCommand(bin + " --dir " + dir.Root() + " " + dir.Path("lesson.simrun") + " 2>&1");
        EXPECT_EQ(r.status, 0) << r.out;
        return {r.out, dir.Read("PILOT/Student.PLT")};
    }

    std::string bin;
};

// The instructor's verdict (the phrase said at the end) and the manoeuvre's byte of the pilot
// file: 1 mastered, 2 practised.
void ExpectVerdict(const Lesson& l, const std::pair<std::string, std::string>& run, bool good) {
    const std::string& out = run.first;
    EXPECT_EQ(out.find("simrun:"), std::string::npos) << out;
    EXPECT_EQ(out.find("lesson: the aircraft crashed"), std::string::npos) << out;
    EXPECT_NE(out.find(good ? "lesson: sound 19995" : "lesson: sound 19994"), std::string::npos) << out;
    EXPECT_EQ(out.find(good ? "lesson: sound 19994" : "lesson: sound 19995"), std::string::npos) << out;
    if (l.manoeuvre >= 0) {
        ASSERT_GE(run.second.size(), 106u);
        EXPECT_EQ(run.second[static_cast<std::size_t>(l.manoeuvre)], good ? 1 : 2);
    }
}

TEST_P(LessonsFlown, HandsOffNeedsWork) {
    ExpectVerdict(GetParam(), Fly({}), false);
}

TEST_P(LessonsFlown, FlownAsTaughtIsAGoodJob) {
    ExpectVerdict(GetParam(), Fly(GetParam().pilot), true);
}

TEST_P(LessonsFlown, FlownOffItsFiguresNeedsWork) {
    for (const std::vector<const char*>& pilot : GetParam().badly) {
        SCOPED_TRACE(pilot.back());
        ExpectVerdict(GetParam(), Fly(pilot), false);
    }
}

INSTANTIATE_TEST_SUITE_P(Installed, LessonsFlown, ::testing::ValuesIn(kLessons),
                         [](const ::testing::TestParamInfo<Lesson>& info) {
                             return info.param.lesson == 0 ? "Manoeuvre" + std::to_string(info.param.manoeuvre)
                                                           : "Lesson" + std::to_string(info.param.lesson);
                         });

}  // namespace
