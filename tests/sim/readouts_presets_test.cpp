// Readout values and colours, the frame-rate figure, and the processor-speed presets.
#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "flight/airspeed.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "sim/detail_presets.h"
#include "sim/readouts.h"
#include "sim/sim_world.h"
#include "support/temp_folder.h"
#include "world/terrain_services.h"

namespace {

TEST(Readouts, ColoursFollowThePeriodOfDay) {
    struct Case {
        std::uint32_t colour;
        int period;
        std::uint32_t text;
        std::uint32_t shadow;
    };
    for (const Case c : {Case{255, 3, 0x00FFFF00, 0x005555AA}, Case{255, 1, 0x000000FF, 0x00AAAA55},
                         Case{0, 1, 0x00000000, 0x00AAAAAA}, Case{0, 0, 0x00FFFFFF, 0x00555555},
                         Case{0, 2, 0x00FFFFFF, 0x00555555}}) {
        const sim::ReadoutColours r = sim::ReadoutColoursFor(c.colour, c.period);
        EXPECT_EQ(r.text, c.text) << c.colour << " period " << c.period;
        EXPECT_EQ(r.shadow, c.shadow) << c.colour << " period " << c.period;
    }
}

TEST(Readouts, FrameRateOfTenFrames) {
    EXPECT_NEAR(sim::FrameRateFor(500), 19.61f, 0.005f);
    EXPECT_NEAR(sim::FrameRateFor(0), 1000.0f, 0.001f);
}

// The readout shows 1 to 360, the reported degrees run 0 to under 360 (a west variation added
// to a heading near north passes 65,536).
TEST(Readouts, HeadingShowsOneTo360) {
    struct Case {
        std::uint16_t head;
        std::int16_t variation;
        int shown;
        double degrees;
    };
    world::theMagneticVariation = 0;
    for (const Case c : {Case{0, 0, 360, 0.0}, Case{65481, 0, 359, 359.71},
                         Case{16384, 0, 90, 90.0}, Case{0, 182, 359, 359.0},
                         Case{16384, -16384, 180, 180.0}, Case{65000, -2300, 9, 9.70},
                         Case{63400, -4450, 12, 12.72}, Case{0, 32767, 180, 180.0}}) {
        flight::theFlightModelState.fmHead = c.head;
        world::theMagneticVariation = c.variation;
        EXPECT_EQ(sim::theSimWorld.GetMagneticHeading(), c.shown) << c.head;
        EXPECT_NEAR(sim::theSimWorld.GetMagneticHeadingDegrees(), c.degrees, 0.01)
            << c.head << " " << c.variation;
    }
    world::theMagneticVariation = 0;
    flight::theFlightModelState.fmHead = 0;
}

TEST(Readouts, AirspeedAndStatusLineText) {
    // Whole knots, truncated.
    flight::theFlightModelState.fmIAS = flight::AirspeedWordFromKnots(120.0);
    EXPECT_EQ(sim::theSimWorld.GetReadoutAirspeed(), 120);
    flight::theFlightModelState.fmIAS = flight::AirspeedWordFromKnots(120.0) - 1;
    EXPECT_EQ(sim::theSimWorld.GetReadoutAirspeed(), 119);
    flight::theFlightModelState.fmIAS = 0;
    const std::string line = sim::theSimWorld.StatusLineText();
    EXPECT_EQ(line.rfind("Hdg: 360 ", 0), 0u);
    EXPECT_NE(line.find("IAS:   0 Kts"), std::string::npos);
    // The altitude as a pilot reads it: no sign, no blanks before the figure.
    flight::theFlightModelState.fmPosY = 3970 * 256 * 3 / 10;
    const std::string high = sim::theSimWorld.StatusLineText();
    const int alt = sim::theSimWorld.GetReadoutAltitude();
    EXPECT_GT(alt, 1000);
    EXPECT_NE(high.find("   Alt: " + std::to_string(alt) + " MSL   "), std::string::npos) << high;
    flight::theFlightModelState.fmPosY = 0;
}

TEST(Presets, SnapToNominalRates) {
    struct Case {
        int measured;
        int snapped;
    };
    for (const Case c : {Case{131, 133}, Case{140, 140}, Case{1000, 1000}, Case{89, 90},
                         Case{64, 60}, Case{144, 140}, Case{145, 150}}) {
        EXPECT_EQ(sim::SnapProcessorSpeed(c.measured), c.snapped) << c.measured;
    }
}

TEST(Presets, PresetForRate) {
    struct Case {
        int mhz;
        int preset;  // 0 none
    };
    for (const Case c :
         {Case{150, 133}, Case{89, 0}, Case{450, 200}, Case{90, 90}, Case{199, 166}}) {
        const sim::AutoComplex* p = sim::PresetFor(c.mhz);
        EXPECT_EQ(p != nullptr ? p->MHz() : 0, c.preset) << c.mhz;
    }
}

TEST(Presets, SamplesMustAgree) {
    const std::int64_t agree[4] = {100, 100, 100, 104};
    EXPECT_EQ(sim::JudgeSpeedSamples(agree), 100);
    const std::int64_t apart[4] = {100, 100, 100, 120};
    EXPECT_EQ(sim::JudgeSpeedSamples(apart), -1);
    const std::int64_t failed[4] = {100, -1, 100, 100};
    EXPECT_EQ(sim::JudgeSpeedSamples(failed), -1);
}

std::int64_t Fixed166() {
    return 166;
}
std::int64_t Broken() {
    return -1;
}

TEST(Presets, SwitchingOnAppliesTheMeasuredPresetOrKeepsTheSettings) {
    testsupport::TempFolder dir;
    const core::IniFile saved = core::theIniFile;
    core::theIniFile = core::IniFile(dir.Path("zephlon.ini").c_str());
    dir.Write("zephlon.ini", "[Aircraft]\nAutoComplex=0\n");
    sim::SimWorld w;
    w.Init(win::HWND{});
    sim::SetSpeedSampler(&Fixed166);
    // The presets write into the world singleton's profile.
    sim::theSimWorld.Init(win::HWND{});
    sim::theSimWorld.SetAutoComplex(1);
    EXPECT_EQ(sim::theSimWorld.GetGraphicsSetting(12), 1);  // RunwayTexture of 166
    EXPECT_EQ(sim::theSimWorld.GetGraphicsSetting(0), 0);
    EXPECT_EQ(sim::theSimWorld.GetGraphicsSetting(10), 2);
    sim::theSimWorld.SetAutoComplex(0);
    EXPECT_EQ(sim::theSimWorld.GetGraphicsSetting(0), 60);  // the user's profile is back
    sim::SetSpeedSampler(&Broken);
    sim::theSimWorld.SetGraphicsSetting(4, 7);
    sim::theSimWorld.SetAutoComplex(1);
    EXPECT_EQ(sim::theSimWorld.GetGraphicsSetting(4), 7);  // no measurement, nothing changed
    sim::SetSpeedSampler(nullptr);
    sim::theSimWorld.Shutdown();
    w.Shutdown();
    core::theIniFile = saved;
}

}  // namespace
