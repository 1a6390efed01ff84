// The panel's readings as a pilot sees them in the running program, each photographed and read
// back: the elevator trim's marker moves with the trim on every panel; the transponder's reply
// is the pressure altitude whatever the altimeter is set to; the NAV, COM and DME windows show a
// decimal point two pixels square, clear of the digits; the CitationJet's engine lamps are named.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cockpit/gauges.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "flight/aircraft_parameters.h"
#include "support/panel_art.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::IndexedPicture;
using testsupport::StarterRun;

// The first row of a type's layout drawing `op` (of `gauge` when one is given), null when none.
const cockpit::PanelRow* RowOf(int type, cockpit::PanelOp op,
                               const cockpit::PanelGauge* gauge = nullptr) {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
    for (int i = 0; i < count; ++i)
        if (rows[i].op == op && (gauge == nullptr || rows[i].gauge == gauge)) return &rows[i];
    return nullptr;
}
// Where a row draws on the full view's screen.
cockpit::IntPoint OnScreen(int type, const cockpit::PanelRow& row) {
    return {row.x, row.y + cockpit::kFullViewOffset[type]};
}

// Where a type's elevator trim indicator stands on the full view, and its marker's colour.
struct TrimPlace {
    int x = 0, y = 0, colour = -1;
};
TrimPlace ElevatorTrimPlace(int type) {
    const cockpit::PanelRow* row = RowOf(type, cockpit::PanelOp::TrimWheel);
    if (row == nullptr) return {};
    const cockpit::IntPoint at = OnScreen(type, *row);
    return {at.x, at.y, row->arg[0]};
}

// The marker's upper row: the first row of the indicator's marker columns in its colour; -1 when
// none is.
int MarkerRow(const IndexedPicture& p, const TrimPlace& t) {
    for (int y = t.y - 4; y <= t.y + 36; ++y) {
        int n = 0;
        for (int x = t.x + 7; x <= t.x + 11; ++x)
            n += p.At(x, y) == t.colour ? 1 : 0;
        if (n >= 4) return y;
    }
    return -1;
}

// The row the saved trim puts the marker on: eleven pixels either way about row 20 of the
// indicator from the middle of the type's trim wheel, nose-up trim lower.
int RowOfTrim(const TrimPlace& t, int type, long long trim) {
    const flight::AircraftParameters& ap = flight::AircraftParametersForType(type);
    const long long middle = (ap.apTrimNoseDown + ap.apTrimNoseUp) / 2;
    return t.y + 20 -
           cockpit::ElevatorTrimMarkerOffset(
               static_cast<std::int32_t>(-((trim - middle) / ap.apTrimStep)));
}

TEST(TrimMarkerRun, TheMarkerFollowsTheTrimOnEveryPanel) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const struct {
        int type;
        const char* flight;
    } kTypes[] = {{0, "C172Fly.Flt"},
                  {1, "BonFly.Flt"},
                  {2, "BarFly.Flt"},
                  {3, "KingFly.Flt"},
                  {4, "JetFly.Flt"}};
    for (const auto& c : kTypes) {
        SCOPED_TRACE(c.flight);
        const TrimPlace place = ElevatorTrimPlace(c.type);
        ASSERT_GE(place.colour, 0);
        StarterRun run("zephlon-trim-marker", c.flight);
        const std::string d = run.Dir().Root();
        // Nose down for a while (Home), then nose up (End) for twice as long; then re-trims of
        // ten presses, nose down, nose down again and nose up.
        std::string script =
            "frame-interval 50\nwait 800\nscreenshot " + d + "/0.bmp\nsave " + d +
            "/0.flt\nkey Home down\nwait 8000\nkey Home up\nwait 300\nscreenshot " + d +
            "/1.bmp\nsave " + d + "/1.flt\nkey End down\nwait 16000\nkey End up\nwait 300\n" +
            "screenshot " + d + "/2.bmp\nsave " + d + "/2.flt\n";
        const char* retrims[] = {"Home", "Home", "End"};
        for (int i = 0; i < 3; ++i) {
            for (int press = 0; press < 10; ++press)
                script += std::string("key ") + retrims[i] + " press\nwait 50\n";
            const std::string n = std::to_string(i + 3);
            script +=
                "wait 300\nscreenshot " + d + "/" + n + ".bmp\nsave " + d + "/" + n + ".flt\n";
        }
        const auto r = run.Play(script + "quit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        int rows[6];
        for (int i = 0; i < 6; ++i) {
            const std::string n = std::to_string(i);
            const long long trim =
                testsupport::SavedValue(run.Dir().Read(n + ".flt"), "elevatorTrim").value_or(0);
            rows[i] = MarkerRow(testsupport::ScreenIndices(run.Dir().Read(n + ".bmp")), place);
            EXPECT_EQ(rows[i], RowOfTrim(place, c.type, trim)) << "shot " << i << ", trim " << trim;
        }
        // Nose-down trim raised the marker, nose-up trim lowered it again; each re-trim of ten
        // presses shows.
        EXPECT_LE(rows[1], rows[0] - 3);
        EXPECT_GE(rows[2], rows[1] + 3);
        EXPECT_LE(rows[3], rows[2] - 1);
        EXPECT_LE(rows[4], rows[3] - 1);
        EXPECT_GE(rows[5], rows[4] + 1);
    }
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
    const cockpit::PanelRow* window = RowOf(0, cockpit::PanelOp::TransponderAltitude);
    ASSERT_NE(window, nullptr);
    const cockpit::IntPoint at = OnScreen(0, *window);
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

using Inks = testsupport::FontInks;
using testsupport::InksOf;

// A point at column x: lit two by two on the two rows above the baseline, unlit beside it.
std::string PointAt(const IndexedPicture& p, const Inks& k, int x, int baseline) {
    std::string what;
    for (int y = baseline - 2; y < baseline; ++y) {
        for (int dx = -1; dx <= 2; ++dx) {
            const bool lit = dx == 0 || dx == 1;
            const int want = lit ? k.digit : k.window;
            what += p.At(x + dx, y) == want ? (lit ? '#' : '.') : '?';
        }
        what += '|';
    }
    return what;
}

TEST(DecimalPointsRun, TheFrequencyAndDmeWindowsShowTheirPoints) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-decimal-points", "C172Fly.Flt");
    const std::string d = run.Dir().Root();
    const auto r =
        run.Play("frame-interval 50\nwait 800\nradio COM1 118.30\nwait 800\nscreenshot " + d +
                 "/radios.bmp\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const auto font = testsupport::InstalledPanelFont("panel172.pft");
    ASSERT_TRUE(font);
    const Inks k = InksOf(*font);
    ASSERT_GE(k.digit, 0);
    const IndexedPicture p = testsupport::ScreenIndices(run.Dir().Read("radios.bmp"));
    ASSERT_GT(p.width, 0);

    const cockpit::PanelRow* window =
        RowOf(0, cockpit::PanelOp::RadioActive, &cockpit::theCom1Radio);
    ASSERT_NE(window, nullptr);
    const cockpit::IntPoint com = OnScreen(0, *window);
    const char* digits = "0123456789 ";
    EXPECT_EQ(testsupport::ReadPanelText(p, *font, com.x, com.y, 3, cockpit::kDigitPitch, digits),
              "118");
    EXPECT_EQ(PointAt(p, k, com.x + 3 * cockpit::kDigitPitch, com.y), ".##.|.##.|");
    EXPECT_EQ(testsupport::ReadPanelText(p, *font, com.x + cockpit::kFrequencySecondField, com.y, 2,
                                         cockpit::kDigitPitch, digits),
              "30");

    // The DME of NAV1's station: the miles, the point, the tenth.
    const cockpit::IntPoint dme{cockpit::kDmeReadout[0].x,
                                cockpit::kDmeReadout[0].y + cockpit::kFullViewOffset[0]};
    const std::string miles = testsupport::ReadPanelText(p, *font, dme.x + cockpit::kDmeMilesX,
                                                         dme.y, 2, cockpit::kDigitPitch, digits);
    const std::string tenth = testsupport::ReadPanelText(p, *font, dme.x + cockpit::kDmeTenthsX,
                                                         dme.y, 1, cockpit::kDigitPitch, digits);
    EXPECT_EQ(miles.find_first_not_of("0123456789"), std::string::npos) << miles;
    EXPECT_EQ(tenth.find_first_not_of("0123456789"), std::string::npos) << tenth;
    EXPECT_EQ(PointAt(p, k, dme.x + cockpit::kDmeMilesX + 2 * cockpit::kDigitPitch, dme.y),
              ".##.|.##.|");
}

bool Light(std::uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) > 150 && ((rgb >> 8) & 0xFF) > 150 && (rgb & 0xFF) > 150;
}

TEST(LampLabelsRun, TheJetsEngineLampsAreNamed) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-lamp-labels", "JetFly.Flt");
    const auto r = run.Play("frame-interval 50\nwait 1000\nscreenshot " + run.Dir().Root() +
                            "/jet.bmp\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<std::uint32_t> shot =
        testsupport::ReadScreenshot(run.Dir().Read("jet.bmp"), 640, 480);
    ASSERT_FALSE(shot.empty());
    int count = 0, lamps = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(4, &count);
    for (int i = 0; i < count; ++i) {
        const cockpit::PanelRow& row = rows[i];
        if (row.op != cockpit::PanelOp::ToggleFrame ||
            (row.gauge != &cockpit::thePropPitchLever && row.gauge != &cockpit::thePropPitchLever2))
            continue;
        ++lamps;
        // The name's letters: under the lamp, a little wider than it.
        const int x = row.x, y = row.y + cockpit::kFullViewOffset[4];
        int letters = 0;
        for (int yy = y + 6; yy <= y + 13; ++yy)
            for (int xx = x - 6; xx <= x + 12; ++xx)
                letters += Light(shot[static_cast<std::size_t>(yy) * 640 + xx]) ? 1 : 0;
        EXPECT_GE(letters, 12) << "the lamp at (" << x << ", " << y << ") has no name";
    }
    EXPECT_EQ(lamps, 2);
}

// The jet's RUN lamps say whether their engines run: dark at the start (engines stopped), lit
// once the restart brings the flight back running, and dark again at once when the ignition is
// switched off, while the turbine temperatures still read hot.
TEST(LampLabelsRun, TheJetsRunLampsFollowTheEngines) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-run-lamps", "JetFly.Flt");
    const auto shot = [&](const char* name) { return "screenshot " + run.Dir().Path(name) + "\n"; };
    const auto r =
        run.Play("frame-interval 100\nwait 1000\n" + shot("start.bmp") + "menu 687\nwait 3000\n" +
                 shot("running.bmp") + "key O press\nkey Alt+O press\nwait 1500\n" +
                 shot("stopped.bmp") + "save " + run.Dir().Path("stopped.flt") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_EQ(testsupport::SavedValue(run.Dir().Read("stopped.flt"), "fmEngines"), 0) << r.out;
    std::vector<std::uint32_t> shots[3];
    const char* names[3] = {"start.bmp", "running.bmp", "stopped.bmp"};
    for (int k = 0; k < 3; ++k) {
        shots[k] = testsupport::ReadScreenshot(run.Dir().Read(names[k]), 640, 480);
        ASSERT_EQ(shots[k].size(), 640u * 480u) << names[k];
    }
    for (const cockpit::PanelGauge* lamp :
         {&cockpit::thePropPitchLever, &cockpit::thePropPitchLever2}) {
        const cockpit::PanelRow* row = RowOf(4, cockpit::PanelOp::ToggleFrame, lamp);
        ASSERT_NE(row, nullptr);
        const cockpit::IntPoint at = OnScreen(4, *row);
        // The lamp's face: the pixels that differ from the start's.
        const auto changed = [&](const std::vector<std::uint32_t>& shot) {
            int n = 0;
            for (int y = at.y; y <= at.y + 5; ++y)
                for (int x = at.x; x <= at.x + 6; ++x)
                    n += shot[static_cast<std::size_t>(y) * 640 + x] !=
                         shots[0][static_cast<std::size_t>(y) * 640 + x];
            return n;
        };
        // The lit face is a few pixels of amber.
        EXPECT_GE(changed(shots[1]), 3) << "not lit while running, at " << at.x << ", " << at.y;
        EXPECT_EQ(changed(shots[2]), 0) << "still lit after the stop, at " << at.x << ", " << at.y;
    }
}

}  // namespace
