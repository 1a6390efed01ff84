// Instruments as a pilot reads them in the running program, each photographed and read back with
// the installation's own digit sets: the stopwatch started by its key and by its button counts
// the simulated seconds, stops and starts again from zero; a turbine's attitude director shows no
// horizon without power; the C172's DME window goes dark with the avionics switch and shows its
// figures again when it comes back on; the jet's HSI shows its DME distance with a point, as far
// from the VOR as the station's public coordinates put it; every position of every lever of the
// quadrants shows its handle where the lever's scale puts it.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cockpit/cockpit_systems.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_click_regions.h"
#include "support/navdata_csv.h"
#include "support/panel_art.h"
#include "support/starter_run.h"

namespace {

using testsupport::IndexedPicture;
using testsupport::StarterRun;

IndexedPicture Shot(const StarterRun& run, const std::string& name) {
    return testsupport::ScreenIndices(run.Dir().Read(name));
}

// Plays a committed script of this folder's in a C172 run; the C172 panel's digit set to read the
// screenshots with, null when the run failed (said as a test failure).
std::unique_ptr<gfx::GFXFont> PlayedInC172(const StarterRun& run, const std::string& script) {
    const auto r = run.Play(testsupport::CommittedScript("cockpit/scripts/" + script, run.Dir().Root()));
    EXPECT_EQ(r.status, 0) << r.out;
    return r.status == 0 ? testsupport::InstalledPanelFont("panel172.pft") : nullptr;
}

// Seconds of a clock text "hh:mm:ss"; -1 when it is not one.
int Seconds(const std::string& t) {
    if (t.size() != 8 || t[2] != ':' || t[5] != ':') return -1;
    for (int i : {0, 1, 3, 4, 6, 7})
        if (t[static_cast<std::size_t>(i)] < '0' || t[static_cast<std::size_t>(i)] > '9') return -1;
    return std::stoi(t.substr(0, 2)) * 3600 + std::stoi(t.substr(3, 2)) * 60 + std::stoi(t.substr(6, 2));
}

TEST(InstrumentsRun, TheStopwatchCountsStopsAndStartsAgainByKeyAndByButton) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    // The script's clicks stand on the clock's CTL and SEL buttons.
    const cockpit::PanelButton* b = cockpit::kClockButtons[0].buttons;
    ASSERT_EQ(std::string(b[1].command), "CycleElapseTime");
    EXPECT_TRUE(617 >= b[1].rect.left && 617 <= b[1].rect.right && 361 >= b[1].rect.top && 361 <= b[1].rect.bottom);
    EXPECT_TRUE(593 >= b[0].rect.left && 593 <= b[0].rect.right && 361 >= b[0].rect.top && 361 <= b[0].rect.bottom);

    StarterRun run("zephlon-stopwatch", "C172Fly.Flt");
    const auto font = PlayedInC172(run, "stopwatch.simrun");
    ASSERT_TRUE(font);
    const cockpit::IntPoint at{cockpit::kClockPoint[0].x, cockpit::kClockPoint[0].y + cockpit::kFullViewOffset[0]};
    auto read = [&](const char* name) {
        return testsupport::ReadPanelText(Shot(run, name), *font, at.x, at.y, 8, cockpit::kDigitPitch,
                                          "0123456789: ");
    };
    // Ten simulated seconds are ten counts of the world's once-a-second task (18 ticks of 18.2 a
    // second; where the first falls decides whether an eleventh comes in).
    const int started = Seconds(read("started.bmp"));
    EXPECT_GE(started, 10) << read("started.bmp");
    EXPECT_LE(started, 11) << read("started.bmp");
    EXPECT_EQ(read("stopped.bmp"), read("started.bmp"));
    const int restarted = Seconds(read("restarted.bmp"));
    EXPECT_GE(restarted, 5) << read("restarted.bmp");
    EXPECT_LE(restarted, 6) << read("restarted.bmp");
    // The time of day again: the starter flight's evening, not a few seconds.
    EXPECT_GT(Seconds(read("clock.bmp")), 3600) << read("clock.bmp");
}

TEST(InstrumentsRun, TheDmeWindowGoesDarkWithTheAvionicsAndShowsItsFiguresAgain) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-dme-power", "C172Fly.Flt");
    const auto font = PlayedInC172(run, "dme-power.simrun");
    ASSERT_TRUE(font);
    const cockpit::IntPoint at{cockpit::kDmeReadout[0].x, cockpit::kDmeReadout[0].y + cockpit::kFullViewOffset[0]};
    // Distance, speed and time, as their fields show them.
    auto read = [&](const char* name) {
        const IndexedPicture p = Shot(run, name);
        std::string fields;
        for (int f = 0; f < 3; ++f)
            fields += testsupport::ReadPanelText(p, *font, at.x + cockpit::kDmeFieldX[f], at.y, f == 2 ? 2 : 3,
                                                 cockpit::kDigitPitch, "0123456789- ") + "|";
        return fields;
    };
    const std::string lit = read("lit.bmp");
    EXPECT_EQ(lit.find(' '), std::string::npos) << lit;
    EXPECT_EQ(read("dark.bmp"), "   |   |  |");
    EXPECT_EQ(read("still-dark.bmp"), "   |   |  |");
    EXPECT_EQ(read("lit-again.bmp"), lit);
}

// The attitude director's window (its art's frame included) in a screenshot: how many pixels
// show the horizon's sky or ground.
int HorizonPixels(const IndexedPicture& p, int type) {
    const cockpit::AttitudeLayout a = cockpit::AttitudeLayoutForType(type);
    int n = 0;
    for (int y = a.d; y <= a.f; ++y)
        for (int x = a.c; x <= a.e; ++x)
            if (p.Holds(x, y) && (p.At(x, y) == a.h || p.At(x, y) == a.i)) ++n;
    return n;
}

TEST(InstrumentsRun, AnUnpoweredAttitudeDirectorShowsNoHorizon) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    for (const auto& [type, flight] : {std::pair{3, "KingStop.Flt"}, std::pair{4, "JetStop.Flt"}}) {
        StarterRun run("zephlon-director", flight);
        const auto r = run.Play(testsupport::CommittedScript("cockpit/scripts/attitude-cover.simrun", run.Dir().Root()));
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(HorizonPixels(Shot(run, "off.bmp"), type), 0) << type;
        EXPECT_GT(HorizonPixels(Shot(run, "on.bmp"), type), 2000) << type;
        EXPECT_EQ(HorizonPixels(Shot(run, "avionics-off.bmp"), type), 0) << type;
    }
}

// The great-circle distance in nautical miles.
double Nm(double lat1, double lon1, double lat2, double lon2) {
    const double r = std::acos(-1.0) / 180.0;
    const double a = std::pow(std::sin((lat2 - lat1) * r / 2), 2) +
                     std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin((lon2 - lon1) * r / 2), 2);
    return 2 * std::asin(std::sqrt(a)) * 6371008.8 / 1852.0;
}

TEST(InstrumentsRun, TheTurbineHsiShowsTheDmeDistanceWithItsTenths) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    // Where the jet stands: 40 m past the threshold of Oakland's runway 29, along it; and San
    // Francisco's VOR-DME, from the public tables.
    double lat = 0, lon = 0, farLat = 0, farLon = 0, vorLat = 0, vorLon = 0;
    for (const auto& row : testsupport::ReadNavdataCsv("runway.csv"))
        if (row.size() > 9 && row[0] == "KOAK" && row[7] == "29") {
            lat = std::stod(row[8]), lon = std::stod(row[9]);
            farLat = std::stod(row[4]), farLon = std::stod(row[5]);
        }
    for (const auto& row : testsupport::ReadNavdataCsv("vor.csv"))
        if (row.size() > 3 && row[0] == "SFO") vorLat = std::stod(row[2]), vorLon = std::stod(row[3]);
    ASSERT_NE(lat, 0.0);
    ASSERT_NE(vorLat, 0.0);
    const double along = 40.0 / 1852.0 / Nm(lat, lon, farLat, farLon);
    const double oracle = Nm(lat + (farLat - lat) * along, lon + (farLon - lon) * along, vorLat, vorLon);

    StarterRun run("zephlon-hsi", "JetFly.Flt");
    const auto r = run.Play(testsupport::CommittedScript("cockpit/scripts/hsi-dme.simrun", run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    auto digits = testsupport::InstalledPanelFont("j_hsitxt.pft");
    ASSERT_TRUE(digits);
    // The jet's HSI stands at (183, 338) of its layout, 34 rows down in the full view.
    const int cx = 183, cy = 338 + cockpit::kFullViewOffset[4];
    const IndexedPicture p = Shot(run, "hsi.bmp");
    const std::string distance = testsupport::ReadPanelText(
        p, *digits, cx + cockpit::kHsiDmeDigits[0].x, cy + cockpit::kHsiDmeDigits[0].y, 4,
        cockpit::kSmallDigitPitch, "0123456789.- ");
    ASSERT_EQ(distance.size(), 4u);
    EXPECT_EQ(distance[2], '.') << distance;
    EXPECT_NEAR(std::stod(distance), oracle, 0.15) << distance;
    // Speed and time: the jet stands still.
    EXPECT_EQ(testsupport::ReadPanelText(p, *digits, cx + cockpit::kHsiDmeDigits[1].x,
                                         cy + cockpit::kHsiDmeDigits[1].y, 3, cockpit::kSmallDigitPitch,
                                         "0123456789.- "),
              "  0");
}

// The value of a key in a saved flight.
int Value(const std::string& flight, const std::string& key) {
    return static_cast<int>(testsupport::SavedValue(flight, key).value_or(-1));
}

// The topmost row of a column, within rows top..bottom, where the screenshot differs from the
// panel art under it; -1 when none does.
int TopmostChange(const IndexedPicture& shot, const IndexedPicture& art, int artTop, int x, int top,
                  int bottom) {
    for (int y = top; y <= bottom; ++y)
        if (shot.At(x, y) != art.At(x, y - artTop)) return y;
    return -1;
}

struct Quadrant {
    int type;
    const char* flight;
    const char* art;
    int artTop;
};

TEST(InstrumentsRun, EveryLeverPositionOfTheQuadrantsShowsItsHandle) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    for (const Quadrant& q : {Quadrant{2, "BarStop.Flt", "ba_pnl.bmp", 150},
                              Quadrant{3, "KingStop.Flt", "k_pnl.bmp", 150},
                              Quadrant{4, "JetStop.Flt", "j_pnl.bmp", 143}}) {
        StarterRun run("zephlon-levers", q.flight);
        // Every lever to its lowest step, then up one step at a time, photographed at each once
        // the handles have slid there (a step per frame; the King Air's condition levers jump).
        std::string script = "frame-interval 20\nwait 800\nkey 0 press\n";
        for (int i = 0; i < 31; ++i) script += "key Delete press\nkey Numpad/ press\n";
        for (int l = 0; l < 32; ++l) {
            script += "wait 1000\nsave " + run.Dir().Path("l" + std::to_string(l) + ".flt") + "\nscreenshot " +
                      run.Dir().Path("l" + std::to_string(l) + ".bmp") + "\n";
            script += "key Prior press\nkey Insert press\nkey Numpad* press\n";
        }
        script += "quit\n";
        const auto r = run.Play(script);
        ASSERT_EQ(r.status, 0) << r.out;
        auto art = testsupport::InstalledPanelBitmap(q.art);
        ASSERT_TRUE(art);
        const IndexedPicture picture = testsupport::Indices(*art);

        // The handles, left to right, with the lever each stands for and its width.
        struct Handle {
            int dx, dy, width;
            const char* key;
        };
        std::vector<Handle> handles;
        int x0 = 0, clipTop = 0;
        if (q.type == 4) {
            x0 = 262;
            clipTop = cockpit::kJetThrottleClip.top;
            handles = {{cockpit::kJetTop[1].dx, cockpit::kJetTop[1].dy, 36, "throttle"},
                       {cockpit::kJetTop[0].dx, cockpit::kJetTop[0].dy, 36, "throttle2"}};
        } else {
            const int v = q.type == 3 ? 1 : 0;
            x0 = q.type == 3 ? 232 : 204;
            clipTop = cockpit::kQuadrantClip[v].top;
            static const char* const kKeys[6] = {"mixture2", "mixture", "propPitch2", "propPitch", "throttle2", "throttle"};
            for (int i = 0; i < 6; ++i)
                handles.push_back({cockpit::kQuadrantTop[v][i].dx, cockpit::kQuadrantTop[v][i].dy,
                                   cockpit::kQuadrantTop[v][i].frame == 50 ? (q.type == 3 ? 23 : 36) : 22, kKeys[i]});
        }
        for (int l = 0; l < 32; ++l) {
            const std::string flight = run.Dir().Read("l" + std::to_string(l) + ".flt");
            const IndexedPicture shot = Shot(run, "l" + std::to_string(l) + ".bmp");
            ASSERT_EQ(shot.width, 640);
            for (const Handle& h : handles) {
                const int lever = Value(flight, h.key);
                ASSERT_GE(lever, 0) << h.key;
                // Handles move 1.45 rows a lever step on these quadrants.
                const int k = static_cast<int>(lever * 1.45);
                const int expected = cockpit::kQuadrantIdleRow + h.dy - k;
                const int x = x0 + h.dx + h.width / 2;
                EXPECT_EQ(TopmostChange(shot, picture, q.artTop, x, clipTop + 4, 479), expected)
                    << "type " << q.type << " " << h.key << " at " << lever;
            }
        }
    }
}

}  // namespace

namespace {

// The parking brake's word stays readable beside the GPS window rather than on its bezel: the
// C172 ready to fly with its brakes set and the GPS window open at its first place (32, 32,
// 256 x 256), which covers the word's own place at the left edge above the panel.
TEST(InstrumentsRun, TheBrakesWordStandsClearOfTheGpsWindow) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-brakes", "C172Fly.Flt");
    const auto r = run.Play(testsupport::CommittedScript("cockpit/scripts/brakes-gps.simrun", run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string shot = run.Dir().Read("brakes.bmp");
    auto red = [&](int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const testsupport::ScreenRgb p = testsupport::ScreenshotPixel(shot, x, y);
                n += p.r > 200 && p.g < 80 && p.b < 80;
            }
        return n;
    };
    EXPECT_EQ(red(0, 32, 287, 170), 0);  // not on the window nor left of it, above the panel
    EXPECT_GT(red(288, 150, 360, 171), 30);  // but just right of it, above the panel
}

}  // namespace
