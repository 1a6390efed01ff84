// The transponder's altitude report in the running program, read back from its window with the
// panel's own digits: an encoder reports pressure altitude, so setting the altimeter half an inch
// above the day's pressure moves the altimeter's hands but not the reply; climbing does.
#include <gtest/gtest.h>

#include <string>

#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "support/panel_art.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

// The C172's transponder altitude window on its full view.
cockpit::IntPoint AltitudeWindow() {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(0, &count);
    for (int i = 0; i < count; ++i)
        if (rows[i].op == cockpit::PanelOp::TransponderAltitude)
            return {rows[i].x, rows[i].y + cockpit::kFullViewOffset[0]};
    return {0, 0};
}

TEST(ModeCRun, TheReplyIsPressureAltitudeWhateverTheAltimeterSetting) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-mode-c", "Cruise.Flt");
    const std::string d = run.Dir().Root();
    // Slewing holds the aircraft where it is while the setting turns: 50 hundredths up, then the
    // aircraft raised by slewing up for a while.
    std::string script =
        "frame-interval 50\nwait 800\nkey Alt+X press\nwait 500\nscreenshot " + d + "/day.bmp\n";
    for (int i = 0; i < 50; ++i)
        script += "key Shift+. press\n";
    script += "wait 500\nscreenshot " + d +
              "/set.bmp\nkey Q down\nwait 1500\nkey Q up\nkey Space press\n" +
              "wait 2000\nscreenshot " + d + "/higher.bmp\nquit\n";
    const auto r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    const auto font = testsupport::InstalledPanelFont("panel172.pft");
    ASSERT_TRUE(font);
    const cockpit::IntPoint at = AltitudeWindow();
    ASSERT_GT(at.x, 0);
    auto read = [&](const char* name) {
        return testsupport::ReadPanelText(testsupport::ScreenIndices(run.Dir().Read(name)), *font,
                                          at.x, at.y, 3, cockpit::kDigitPitch, "0123456789 ");
    };
    const std::string day = read("day.bmp"), set = read("set.bmp"), higher = read("higher.bmp");
    ASSERT_EQ(day.find_first_not_of("0123456789"), std::string::npos) << day;
    EXPECT_EQ(set, day) << "the reply followed the altimeter's setting";
    ASSERT_EQ(higher.find_first_not_of("0123456789"), std::string::npos) << higher;
    EXPECT_GT(std::stoi(higher), std::stoi(day)) << "the reply did not follow the climb";
}

}  // namespace
