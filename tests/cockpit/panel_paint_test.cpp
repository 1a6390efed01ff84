// The panel painted headless by the program's own code on the display's surfaces, with the art
// of the starter installation: golden pictures of the C172 panel in both views, a needle's
// images over three flipped buffers, the horizon's clamping, aircraft changes that leak nothing,
// and art that is missing, truncated, of the wrong kind or of another size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/dme_source.h"
#include "cockpit/gauges.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "cockpit/panel_redraw.h"
#include "cockpit/panel_services.h"
#include "core/resource_volume.h"
#include "flight/aircraft.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_world_services.h"
#include "gfx/bitmap.h"
#include "gfx/dd_surface_modes.h"
#include "gfx/display_test_support.h"
#include "gfx/font.h"
#include "installed_art.h"
#include "support/panel_art.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

using cockpittest::Install;
using cockpittest::MemberBytes;

int theView = 0;
int ViewMode() {
    return theView;
}
int LookForward() {
    return 0;
}
int CompassOn() {
    return 1;
}

// The C172's members the tests copy, break or leave out.
std::vector<std::string> C172Members() {
    std::vector<std::string> names = {"172panel.bmp", "172lopan.bmp", "172_Crsh.bmp",
                                      "cracked.bmp"};
    for (const cockpit::PanelArtSlot& slot : cockpit::thePanelArtSlots)
        if (slot.members[0] != nullptr) names.emplace_back(slot.members[0]);
    return names;
}

class PanelPaint : public displaytest::DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        if (!fs::exists(Install() + "/Art/Panel.Vol")) GTEST_SKIP() << "no starter installation";
        ASSERT_EQ(gfx::SetDisplayMode(gfx::kDisplayWindow, 1), 1);
        PointVolumes((Install() + "/Art/Panel.Vol").c_str(), (Install() + "/Art/Panel").c_str());
        services = flight::theFlightWorldServices;
        flight::theFlightWorldServices.viewMode = &ViewMode;
        flight::theFlightWorldServices.lookDirection = &LookForward;
        cockpit::thePanelHost.compassShown = &CompassOn;
        theView = 0;
    }
    void TearDown() override {
        flight::theAircraft.ReleasePanelBitmaps();
        flight::theAircraft.ReleaseSideViewBitmap();
        cockpit::ReleasePanelArt();
        core::thePanelVolume.SetNames("Art\\Panel.Vol", "Art\\Panel", 0);
        core::theCockpitVolume.SetNames("Art\\Cockpit.Vol", "Art\\Cockpit", 0);
        flight::theFlightWorldServices = services;
        cockpit::thePanelHost = cockpit::DefaultPanelHostServices();
        cockpit::SetPanelBufferCount(1);
        DisplayTest::TearDown();
    }

    static void PointVolumes(const char* panelVolume, const char* panelFolder) {
        core::thePanelVolume.SetNames(panelVolume, panelFolder, 0);
        core::theCockpitVolume.SetNames((Install() + "/Art/Cockpit.Vol").c_str(),
                                        (Install() + "/Art/Cockpit").c_str(), 0);
    }

    static void ClearScreen() {
        gfx::GFXSurface* s = gfx::GetDrawSurface();
        gfx::GFXSurfaceLock lock(*s);
        for (int y = 0; y < s->height; ++y)
            std::memset(s->pixels + static_cast<std::ptrdiff_t>(y) * s->stride, 0,
                        static_cast<std::size_t>(s->width));
    }

    static std::vector<std::uint8_t> Rows(gfx::GFXSurface* s, int top) {
        std::vector<std::uint8_t> out;
        gfx::GFXSurfaceLock lock(*s);
        for (int y = top; y < s->height; ++y)
            out.insert(out.end(), s->pixels + static_cast<std::ptrdiff_t>(y) * s->stride,
                       s->pixels + static_cast<std::ptrdiff_t>(y) * s->stride + s->width);
        return out;
    }

    // A full paint of a cockpit frame on a cleared screen, as after a view change.
    static void PaintFresh(int view) {
        theView = view;
        flight::theAircraft.UpdateViewBitmaps(view, 0);
        ClearScreen();
        cockpit::thePanelPrimed = 0;
        cockpit::PaintCockpit(view, 0);
    }

    flight::FlightWorldServices services;
};

// A fresh cockpit and flight model with a type selected (nothing left from earlier tests).
void FreshCockpit(int type) {
    cockpit::ResetCockpitServices();
    cockpit::ResetDmeSource();
    flight::theFlightModelState = flight::FlightModelState{};
    flight::theFlightStep = flight::FlightStepState{};
    // The wing's lift, which the jet's angle-of-attack readout shows, as a flight step leaves it.
    flight::theAeroLookup = flight::AeroLookupResult{};
    flight::theAircraft.SelectByType(type);
}

// The flight of a golden picture: fixed words for every instrument of the type, the way the
// instrument update leaves them, or (variant 1) all of them different.
void FixedFlight(int variant) {
    flight::FlightModelState& s = flight::theFlightModelState;
    const bool b = variant != 0;
    s.fmIAS = (b ? 142 : 96) * 32768;
    s.fmMach100 = static_cast<std::int16_t>(b ? 41 : 27);
    s.fmPosY = (b ? 9500 : 2400) * 78;
    // The standard atmosphere's air at that height (1/256 degree Celsius): 50 and 25 F.
    s.fmOAT = static_cast<std::int16_t>(b ? 3840 - 4815 : 3840 - 1217);
    s.fmHead = static_cast<std::uint16_t>(b ? 0x6000 : 0x2000);
    s.fmPitch = static_cast<std::uint16_t>(b ? -1500 : 900);
    s.fmBank = static_cast<std::uint16_t>(b ? 65536 - 182 * 20 : 182 * 12);
    s.fmEngines = 3;
    s.fmThrot = s.fmThrotRight = static_cast<std::int16_t>(b ? 30000 : 22000);
    // Piston speeds in RPM, turbine gas-generator speeds in tenths of a percent.
    const bool turbine = flight::theAircraftServices.aircraftType() >= 3;
    s.fmEngineSpeed[0] = s.fmEngineSpeed[1] =
        static_cast<std::int16_t>(turbine ? (b ? 960 : 780) : (b ? 2600 : 2300));
    s.fmAdjustedTach = s.fmEngineSpeed[0];
    s.fmEnginePower[0] = s.fmEnginePower[1] = static_cast<std::int16_t>(b ? 900 : 600);
    s.fmPowerFraction[0] = s.fmPowerFraction[1] = static_cast<std::uint16_t>(b ? 60000 : 35000);
    s.fmFuel1 = b ? 9000 : 20000;
    s.fmFuel2 = b ? 15000 : 12000;
    s.fmFlaps = static_cast<std::int8_t>(b ? 2 : 1);
    s.fmSlipBall = static_cast<std::int16_t>(b ? 200 : -90);
    flight::theFlightStep.turnIncrement = b ? -20.0 : 14.0;
    flight::theFlightStep.averagedVerticalSpeed = b ? -20000.0 : 35000.0;
    flight::theAeroLookup.alphaDegrees = b ? 6.0 : 2.0;
    using namespace cockpit;
    for (PanelGauge* g : {&theMasterSwitch, &theAvionicsSwitch, &theStrobeSwitch, &theBeaconSwitch,
                          &theNavLightSwitch, &theLeftFuelBoostSwitch, &theNoseGearLight})
        g->switchState = b ? 0 : 1;
    theMasterSwitch.switchState = 1;
    theAvionicsSwitch.switchState = b ? 0 : 1;
    theTaxiLightSwitch.switchState = theLandingLightSwitch.switchState = b ? 1 : 0;
    for (PanelGauge* g : {&theThrottleLever, &theThrottleLever2, &theMixtureLever,
                          &theMixtureLever2, &thePropPitchLever, &thePropPitchLever2}) {
        g->lever = static_cast<std::int16_t>(b ? 12 : 28);
        g->knob = static_cast<std::int16_t>(b ? 17 : 40);
    }
    theCarbHeatKnob.knob = static_cast<std::int16_t>(b ? 0 : 15);
    theGearLever.mode = b ? 1 : 0;  // the gear switch; the lever follows it
    theGearLever.knob = static_cast<std::int16_t>(b ? 15 : 0);
    theFuelSelector.lever = theFuelSelector2.lever = static_cast<std::int16_t>(b ? 2 : 1);
    theIgnitionSwitch.lever = theIgnitionSwitch2.lever = static_cast<std::int16_t>(b ? 1 : 3);
    theElevatorTrimIndicator.lever = static_cast<std::int16_t>(b ? 2 : 0);
    theRudderTrimIndicator.lever = theAileronTrimIndicator.lever =
        static_cast<std::int16_t>(b ? 3 : 1);
    // The trims themselves, which the painter shows: nose down or up by a few marker pixels.
    *thePanelHost.controlWord(0) = static_cast<std::int16_t>(b ? 3200 : -1900);
    *thePanelHost.controlWord(1) = *thePanelHost.controlWord(2) =
        static_cast<std::int16_t>(b ? -576 : 384);
    theNav1Radio.activeMHz = static_cast<std::uint16_t>(b ? 17 : 8);
    theNav1Radio.activeKHz = static_cast<std::uint16_t>(b ? 95 : 50);
    theNav1Radio.standbyMHz = 13;
    theCom1Radio.activeMHz = static_cast<std::uint16_t>(b ? 35 : 22);
    theAdfRadio.activeMHz = static_cast<std::uint16_t>(b ? 17 : 3);
    theTransponder.activeMHz = static_cast<std::uint16_t>(b ? 70 : 12);
    theNav1Indicator.courseNeedle = theNav2Indicator.courseNeedle = static_cast<std::int16_t>(b ? -9 : 6);
    theNav1Indicator.glideSlopeNeedle = static_cast<std::int16_t>(b ? 18 : -4);
    theNav1Indicator.navFlag1 = theNav1Indicator.navFlag2 = b ? 0 : 1;
    theNav2Indicator.cardFrame = theNav1Indicator.cardFrame = static_cast<std::int16_t>(b ? 100 : 12);
    theAdfIndicator.needle = static_cast<std::int16_t>(b ? 300 : 45);
    theAdfIndicator.needle2 = static_cast<std::int16_t>(b ? 120 : 200);
    theAutopilotPanel.buttons[0] = theAutopilotPanel.buttons[5] = b ? 0 : 1;
    theAudioPanel.buttons[0] = theAudioPanel.buttons[2] = b ? 1 : 0;
    theHsiGauge.headingBug = static_cast<std::int16_t>(b ? 270 : 30);
    theHsiGauge.course = static_cast<std::int16_t>(b ? 90 : 300);
    theHsiGauge.courseDeviation = static_cast<std::int16_t>(b ? 12 : -5);
    theHsiGauge.toFrom = static_cast<std::int16_t>(b ? 2 : 1);
    theHsiGauge.signalFlag = b ? 0 : 1;
    theHsiGauge.dirty = 1;
    theDmeRadio.dmeDigits[0] = static_cast<std::int16_t>(b ? 1234 : 87);
    theTemperatureGauge.value = b ? 23 : 59;
    for (int i = 0; i < 40; ++i) UpdateGauges();
    for (PanelGauge* g : thePanelGauges) g->dirty = 1;
    // As the master switches' commands do: every buffer gets the electrical refresh.
    UpdateElectricalPower(1);
}

struct PanelView {
    int type;
    int view;
    int swapped;
    const char* golden;
};
constexpr PanelView kPanelViews[] = {
    {0, 0, 0, "cockpit_c172_view0"},    {0, 1, 0, "cockpit_c172_view1"},
    {1, 0, 0, "cockpit_bonanza_view0"}, {1, 1, 0, "cockpit_bonanza_view1"},
    {2, 0, 0, "cockpit_baron_view0"},   {2, 0, 1, "cockpit_baron_swapped"},
    {3, 0, 0, "cockpit_kingair_view0"}, {4, 0, 0, "cockpit_citationjet_view0"},
};

// Each panel in each of its views from the compass down, as 8-bit pictures in the panel's
// daylight palette. ZEPHLON_UPDATE_GOLDEN=1 rewrites tests/golden/cockpit_*.bmp after a deliberate
// change of the art or of the drawing.
TEST_F(PanelPaint, PanelsMatchTheirGoldenPictures) {
    core::ResourceVolume palettes((Install() + "/Art/Palettes.Vol").c_str(),
                                  (Install() + "/Art/Palettes").c_str(), 0);
    static const char* const kPalettes[5] = {"s_pnl0.pal", "b_pnl0.pal", "ba_pnl0.pal",
                                             "k_pnl0.pal", "j_pnl0.pal"};
    testsupport::TempFolder dir("zephlon-golden");
    for (const PanelView& v : kPanelViews) {
        FreshCockpit(v.type);
        cockpit::theSwapPanel = v.swapped;
        FixedFlight(0);
        ASSERT_TRUE(palettes.OpenFile(kPalettes[v.type])) << kPalettes[v.type];
        auto palette = std::make_unique<gfx::GFXPalette>();
        char line[257];
        for (int i = 0; i < 3; ++i)
            palettes.ReadLine(line, sizeof line);
        for (int i = 0; i < 256 && palettes.ReadLine(line, sizeof line) != nullptr; ++i) {
            unsigned r = 0, g = 0, b = 0;
            std::sscanf(line, "%u %u %u", &r, &g, &b);
            palette->entries[i] = gfx::GFXPaletteEntry{static_cast<std::uint8_t>(r),
                                                       static_cast<std::uint8_t>(g),
                                                       static_cast<std::uint8_t>(b), 0};
        }
        palettes.CloseFile();

        PaintFresh(v.view);
        cockpit::PanelRegion region;
        ASSERT_TRUE(cockpit::PanelRegionFor(v.type, v.view, &region));
        const int top = std::min(region.compass.top, region.edgeRow);
        const std::vector<std::uint8_t> rows = Rows(gfx::GetDrawSurface(), top);
        std::unique_ptr<gfx::GFXBitmap> picture = gfx::GFXBitmap::Create(640, 480 - top, 8);
        ASSERT_TRUE(picture);
        for (int y = 0; y < 480 - top; ++y)
            std::memcpy(picture->Row(y), rows.data() + static_cast<std::size_t>(y) * 640, 640);
        picture->palette = std::move(palette);
        const std::string made = dir.Path("view.bmp");
        ASSERT_EQ(picture->Save(made, gfx::kBitmapWriteBmp), 1);
        const std::string bytes = dir.Read("view.bmp");

        const std::string golden =
            std::string(ZEPHLON_SOURCE_DIR) + "/tests/golden/" + v.golden + ".bmp";
        if (std::getenv("ZEPHLON_UPDATE_GOLDEN") != nullptr) {
            std::ofstream(golden, std::ios::binary) << bytes;
            continue;
        }
        std::ifstream in(golden, std::ios::binary);
        ASSERT_TRUE(in) << "missing " << golden << " (run with ZEPHLON_UPDATE_GOLDEN=1)";
        std::stringstream expected;
        expected << in.rdbuf();
        EXPECT_TRUE(expected.str() == bytes) << v.golden << " differs from " << golden;
    }
    cockpit::theSwapPanel = 0;
}

// Every value changed and painted over the old picture gives the picture a fresh paint of the new
// values gives: every instrument erased all it drew before.
TEST_F(PanelPaint, AChangedPanelEqualsAFreshPaint) {
    for (const PanelView& v : kPanelViews) {
        FreshCockpit(v.type);
        cockpit::theSwapPanel = v.swapped;
        FixedFlight(0);
        PaintFresh(v.view);
        FixedFlight(1);
        // The slewing needles and levers need their steps, with the updates between paints.
        for (int i = 0; i < 200; ++i) {
            cockpit::UpdateGauges();
            cockpit::PaintCockpit(v.view, 0);
        }
        const int top = flight::theAircraft.GetViewportBottom();
        const std::vector<std::uint8_t> changed = Rows(gfx::GetDrawSurface(), top);
        PaintFresh(v.view);
        const std::vector<std::uint8_t> fresh = Rows(gfx::GetDrawSurface(), top);
        ASSERT_EQ(changed.size(), fresh.size());
        int differ = 0, first = -1;
        for (std::size_t i = 0; i < fresh.size(); ++i)
            if (changed[i] != fresh[i]) {
                if (first < 0) first = static_cast<int>(i);
                ++differ;
            }
        EXPECT_EQ(differ, 0) << v.golden << ": first at (" << first % 640 << ", "
                             << top + first / 640 << ")";
    }
    cockpit::theSwapPanel = 0;
}

// A needle's value reaches every back buffer: it changes and changes back within two paints,
// and after six paints each of the three flipped buffers equals a fresh paint.
TEST_F(PanelPaint, ThreeFlippedBuffersEndAsAFreshPaint) {
    gfx::SetDisplayOptions(main, {}, 2);
    ASSERT_EQ(gfx::SetDisplayMode(gfx::kDisplayFullScreen, 1), 1);
    ASSERT_EQ(gfx::theFlipChain[0]->chainCount, 3);
    cockpit::SetPanelBufferCount(3);
    flight::theAircraft.SelectByType(0);
    flight::theAircraft.UpdateViewBitmaps(0, 0);
    ASSERT_NE(cockpit::theLongNeedleFont, nullptr);

    // The airspeed needle's value before each painted frame of the panel routine.
    cockpit::PanelGauge& g = cockpit::theAirspeedIndicator;
    auto frame = [&](int value) {
        g.value = value;
        cockpit::PaintCockpit(0, 0);
        gfx::GetDrawSurface()->FlipCopy();
    };
    auto buffers = [] {
        std::vector<std::vector<std::uint8_t>> all;
        for (gfx::GFXSurface* s : gfx::theFlipChain)
            all.push_back(Rows(s, 171));
        return all;
    };

    cockpit::thePanelPrimed = 0;
    for (int i = 0; i < 3; ++i)
        frame(10);
    for (int value : {11, 10, 10, 10, 10, 10})
        frame(value);
    const auto after = buffers();
    // A new request primes all three buffers afresh at 10.
    cockpit::thePanelPrimed = 0;
    for (int i = 0; i < 3; ++i)
        frame(10);
    const auto fresh = buffers();
    ASSERT_EQ(fresh[0], fresh[1]);
    ASSERT_EQ(fresh[1], fresh[2]);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(after[static_cast<std::size_t>(i)] == fresh[0]) << "buffer " << i;
    // The needle is on them (not a blank panel on both sides).
    cockpit::thePanelPrimed = 0;
    for (int i = 0; i < 3; ++i)
        frame(80);
    EXPECT_FALSE(buffers()[0] == fresh[0]);
}

// With three flipped buffers, every buffer ends with the current values of every instrument of
// every panel: each equals a fresh paint.
TEST_F(PanelPaint, EveryFlippedBufferEndsWithTheCurrentValues) {
    gfx::SetDisplayOptions(main, {}, 2);
    ASSERT_EQ(gfx::SetDisplayMode(gfx::kDisplayFullScreen, 1), 1);
    ASSERT_EQ(gfx::theFlipChain[0]->chainCount, 3);
    cockpit::SetPanelBufferCount(3);
    auto buffers = [](int top) {
        std::vector<std::vector<std::uint8_t>> all;
        for (gfx::GFXSurface* s : gfx::theFlipChain)
            all.push_back(Rows(s, top));
        return all;
    };
    for (int type = 0; type < 5; ++type) {
        FreshCockpit(type);
        flight::theAircraft.UpdateViewBitmaps(0, 0);
        FixedFlight(0);
        cockpit::thePanelPrimed = 0;
        for (int i = 0; i < 6; ++i) {
            cockpit::PaintCockpit(0, 0);
            gfx::GetDrawSurface()->FlipCopy();
        }
        FixedFlight(1);
        for (int i = 0; i < 300; ++i) {
            if (i % 3 == 0) cockpit::UpdateGauges();
            cockpit::PaintCockpit(0, 0);
            gfx::GetDrawSurface()->FlipCopy();
        }
        const int top = flight::theAircraft.GetViewportBottom();
        const auto after = buffers(top);
        cockpit::thePanelPrimed = 0;
        for (int i = 0; i < 3; ++i) {
            cockpit::PaintCockpit(0, 0);
            gfx::GetDrawSurface()->FlipCopy();
        }
        const auto fresh = buffers(top);
        for (int i = 0; i < 3; ++i) {
            const auto& a = after[static_cast<std::size_t>(i)];
            const auto& f = fresh[static_cast<std::size_t>(i)];
            int first = -1, count = 0;
            for (std::size_t p = 0; p < a.size() && p < f.size(); ++p)
                if (a[p] != f[p]) {
                    if (first < 0) first = static_cast<int>(p);
                    ++count;
                }
            EXPECT_EQ(count, 0) << "type " << type << " buffer " << i << " first at ("
                                << first % 640 << ", " << top + first / 640 << ")";
        }
    }
}

// ---- every needle, pointer, bug and flag ----

using cockpit::PanelOp;
using cockpit::PanelRow;

// A screen box, edges inside.
struct Box {
    int left, top, right, bottom;
    [[nodiscard]] bool Holds(int x, int y) const {
        return left <= x && x <= right && top <= y && y <= bottom;
    }
};

// The palette role a part is drawn in: its instrument's sprites, or a colour the drawing names.
enum class Ink { Art, Needle, Hsi, Bug, Bar, CourseBar, RowColour };

// A part that moves, the word it follows set to three values (a flag: its other state).
struct MovingPart {
    const char* name;
    std::uint64_t ops;  // the instruments that draw it, a bit per PanelOp
    void (*set)(const PanelRow& row, int value);
    int values[3];
    int count;
    Ink ink;
    bool (*shown)(const PanelRow& row) = nullptr;  // whether the row shows the part (all when null)
    bool pair = false;  // a pair of pointers, one either side of the instrument's middle
};
constexpr std::uint64_t Op(PanelOp op) {
    return std::uint64_t{1} << static_cast<int>(op);
}
constexpr std::uint64_t kHsis =
    Op(PanelOp::HsiC172) | Op(PanelOp::HsiTwin) | Op(PanelOp::HsiTurbine);
constexpr std::uint64_t kFullHsis = Op(PanelOp::HsiTwin) | Op(PanelOp::HsiTurbine);
constexpr std::uint64_t kDials = Op(PanelOp::SingleNeedle) | Op(PanelOp::MachAirspeed) |
                                 Op(PanelOp::TachometerHourMeter) | Op(PanelOp::TwinTachometer);
constexpr std::uint64_t kTwoNeedles = Op(PanelOp::TwinNeedle) | Op(PanelOp::TwinNeedleSlewFirst);
std::int16_t I16(int v) {
    return static_cast<std::int16_t>(v);
}
cockpit::HsiGauge& Hsi() {
    return cockpit::theHsiGauge;
}

// What the parts follow: a word of the row's gauge, the attitude, the heading instrument's.
void SetValue(const PanelRow& r, int v) {
    r.gauge->value = v;
}
void SetValue2(const PanelRow& r, int v) {
    r.gauge->value2 = I16(v);
}
void SetValue3(const PanelRow& r, int v) {
    r.gauge->value3 = I16(v);
}
void SetNeedle(const PanelRow& r, int v) {
    r.gauge->needle = I16(v);
}
void SetNeedle2(const PanelRow& r, int v) {
    r.gauge->needle2 = I16(v);
}
void SetCard(const PanelRow& r, int v) {
    r.gauge->cardFrame = I16(v);
}
void SetCourseNeedle(const PanelRow& r, int v) {
    r.gauge->courseNeedle = I16(v);
}
void SetGlideNeedle(const PanelRow& r, int v) {
    r.gauge->glideSlopeNeedle = I16(v);
}
void SetPitch(const PanelRow&, int v) {
    cockpit::theAttitudeLayout.pitch = I16(v);
}
void SetBank(const PanelRow&, int v) {
    cockpit::theAttitudeLayout.bank = I16(v);
}
void SetDirectorGlide(const PanelRow& r, int v) {
    r.gauge->navFlag1 = 1;
    r.gauge->glideSlopeNeedle = I16(v);
}
void SetDirectorCourse(const PanelRow& r, int v) {
    r.gauge->navFlag2 = 1;
    r.gauge->courseNeedle = I16(v);
}
void SetBug(const PanelRow&, int v) {
    Hsi().headingBug = I16(v);
}
void SetCourse(const PanelRow&, int v) {
    Hsi().course = I16(v);
}
void SetHsiCard(const PanelRow&, int v) {
    Hsi().compassFrame = I16(v);
}
void SetDeviation(const PanelRow&, int v) {
    Hsi().courseDeviation = I16(v);
}
void SetHsiGlide(const PanelRow&, int v) {
    Hsi().glideSlopeFlag = 1;
    Hsi().glideSlope = I16(v);
}
// The arrows and flags step on from what the flight shows.
void StepHsiToFrom(const PanelRow&, int v) {
    Hsi().toFrom = I16((Hsi().toFrom + v) % 3);
}
void FlipHsiSignal(const PanelRow&, int) {
    Hsi().signalFlag = Hsi().signalFlag == 0;
}
void StepToFrom(const PanelRow& r, int v) {
    r.gauge->toFrom = I16((r.gauge->toFrom + v) % 3);
}
void FlipNavFlag(const PanelRow& r, int) {
    r.gauge->navFlag2 = r.gauge->navFlag2 == 0;
}
void FlipGlideFlag(const PanelRow& r, int) {
    r.gauge->navFlag1 = r.gauge->navFlag1 == 0;
}
// A bar's pointer steps on from where the flight puts it, within the shortest scale.
void StepBar(const PanelRow& r, int v) {
    r.gauge->needle = I16((r.gauge->needle + v) % 26);
}
// The trim commands turn the wheel a frame with each step of the marker. `v` is in side-trim
// steps (three a marker pixel); the elevator trim moves as many of its marker's pixels.
void SetTrim(const PanelRow& r, int v) {
    std::int16_t* trim =
        cockpit::thePanelHost.controlWord(r.gauge == &cockpit::theElevatorTrimIndicator  ? 0
                                          : r.gauge == &cockpit::theAileronTrimIndicator ? 1
                                                                                         : 2);
    // The elevator's marker moves a pixel about every nine key steps from the wheel's middle.
    const flight::AircraftParameters& ap = flight::theAircraftParameters;
    if (r.gauge == &cockpit::theElevatorTrimIndicator)
        *trim = I16((ap.apTrimNoseDown + ap.apTrimNoseUp) / 2 - v * 10 / 3 * ap.apTrimStep);
    else
        *trim = I16(-v * 64);
    r.gauge->lever = I16((r.gauge->lever + 1) % 4);
}
bool ShowsAirplane(const PanelRow& r) {
    return r.arg[0] != 0;
}

constexpr std::uint64_t kCards =
    Op(PanelOp::CourseIndicator) | Op(PanelOp::AdfIndicator) | Op(PanelOp::Rmi);
constexpr std::uint64_t kAttitudes = Op(PanelOp::AttitudeIndicator) | Op(PanelOp::AttitudeDirector);
constexpr std::uint64_t kTrims = Op(PanelOp::TrimWheel) | Op(PanelOp::SideTrim);
constexpr std::uint64_t kThreePointers = Op(PanelOp::ThreePointerAltimeter);
constexpr std::uint64_t kCounter = Op(PanelOp::CounterAltimeter);
constexpr std::uint64_t kDirector = Op(PanelOp::AttitudeDirector);
constexpr std::uint64_t kCdi = Op(PanelOp::CourseIndicator);

const MovingPart kMovingParts[] = {
    {"needle", kDials, SetValue, {20, 75, 130}, 3, Ink::Art},
    {"Mach digits", Op(PanelOp::MachAirspeed), SetValue2, {5, 48, 120}, 3, Ink::Art},
    {"first needle", kTwoNeedles, SetValue, {20, 75, 128}, 3, Ink::Art},
    {"second needle", kTwoNeedles, SetValue2, {20, 75, 140}, 3, Ink::Art},
    {"airplane", Op(PanelOp::TurnCoordinator), SetValue, {3, 9, 20}, 3, Ink::Art, ShowsAirplane},
    {"ball", Op(PanelOp::TurnCoordinator), SetValue2, {4, 30, 50}, 3, Ink::Art},
    {"ten-thousands hand", kThreePointers, SetValue, {10, 40, 70}, 3, Ink::Art},
    {"thousands hand", kThreePointers, SetValue2, {40, 90, 150}, 3, Ink::Art},
    {"hundreds hand", kThreePointers, SetValue3, {40, 90, 150}, 3, Ink::Art},
    {"pointer and drums", kCounter, SetValue, {1250, 8880, 23400}, 3, Ink::Art},
    {"pitch", kAttitudes, SetPitch, {-2500, 1500, 3600}, 3, Ink::Art},
    {"bank", Op(PanelOp::AttitudeIndicator), SetBank, {340, 20, 45}, 3, Ink::Art},
    // The director's bank pointer is drawn in the colour its row names.
    {"bank pointer", kDirector, SetBank, {340, 20, 45}, 3, Ink::RowColour},
    {"glide-slope pointer", kDirector, SetDirectorGlide, {-18, 5, 20}, 3, Ink::Art},
    {"course pointer", kDirector, SetDirectorCourse, {-15, 4, 17}, 3, Ink::Art},
    {"speed pointer", kDirector, SetValue, {-20, 9, 18}, 3, Ink::Art},
    {"heading bug", kHsis, SetBug, {90, 200, 330}, 3, Ink::Bug},
    {"course arrow", kHsis, SetCourse, {20, 150, 250}, 3, Ink::Hsi},
    {"card", kHsis, SetHsiCard, {30, 70, 120}, 3, Ink::Art},
    {"deviation bar", kFullHsis, SetDeviation, {-16, 6, 18}, 3, Ink::Hsi},
    {"glide-slope pointers", kFullHsis, SetHsiGlide, {-16, 7, 18}, 3, Ink::Hsi, nullptr, true},
    {"TO/FROM arrow", kFullHsis, StepHsiToFrom, {1, 2}, 2, Ink::Hsi},
    {"NAV flag", kFullHsis, FlipHsiSignal, {1}, 1, Ink::Art},
    {"course needle", kCdi, SetCourseNeedle, {-16, 3, 18}, 3, Ink::CourseBar},
    {"glide-slope needle", kCdi, SetGlideNeedle, {-20, 9, 22}, 3, Ink::CourseBar},
    {"card", kCards, SetCard, {30, 70, 120}, 3, Ink::Art},
    {"TO/FROM flag", kCdi, StepToFrom, {1, 2}, 2, Ink::Art},
    {"NAV flag", kCdi, FlipNavFlag, {1}, 1, Ink::Art},
    {"GS flag", kCdi, FlipGlideFlag, {1}, 1, Ink::Art},
    {"needle",
     Op(PanelOp::AdfIndicator) | Op(PanelOp::Rmi),
     SetNeedle,
     {100, 170, 290},
     3,
     Ink::Needle},
    {"second needle", Op(PanelOp::Rmi), SetNeedle2, {100, 170, 290}, 3, Ink::Hsi},
    {"pointer", Op(PanelOp::BarPointer), StepBar, {5, 12, 19}, 3, Ink::Bar},
    {"tape", Op(PanelOp::TapeGauge), SetNeedle, {8, 37, 70}, 3, Ink::RowColour},
    {"marker", kTrims, SetTrim, {-24, 6, 24}, 3, Ink::RowColour},
};

// Where an instrument's parts are drawn on the screen of a view: its face about the row's point,
// the attitude window, the bar's or tape's strip, the trim's marker.
Box InstrumentBox(const PanelRow& r, int type, int view) {
    const int x = r.x, y = r.y + cockpit::PanelOffsetFor(type, view);
    switch (r.op) {
        case PanelOp::AttitudeIndicator: {
            const cockpit::AttitudeLayout a = cockpit::AttitudeLayoutForType(type);
            const int v = flight::theAircraft.GetViewportBottom();
            return {a.c, a.d + v, a.e, a.f + v};
        }
        case PanelOp::AttitudeDirector: {
            const cockpit::AttitudeLayout a = cockpit::AttitudeLayoutForType(type);
            return {a.c, a.d, a.e, a.f};
        }
        case PanelOp::BarPointer:
            return {x - 2, y - 1, x + 64, y + r.arg[0] + r.arg[1] + 1};
        case PanelOp::TapeGauge:
            return {x - 2, y - 80, x + 4, y + 1};
        case PanelOp::TrimWheel:
        case PanelOp::SideTrim:
            return {x - 30, y - 30, x + 40, y + 40};
        case PanelOp::HsiTwin:
        case PanelOp::HsiTurbine:
            return {x - 62, y - 62, x + 62, y + 62};
        default:
            return {x - 52, y - 52, x + 52, y + 52};
    }
}

// The palette indices of a role (a bar pointer's top is in one colour out of its band and in
// another within); none for a part of its instrument's sprites.
std::vector<int> InkIndices(Ink ink, const PanelRow& r, int type) {
    const cockpit::PanelColours& c = cockpit::ColoursOf(type);
    switch (ink) {
        case Ink::Needle:
            return {c.needle};
        case Ink::Hsi:
            return {c.hsi};
        case Ink::Bug:
            return {c.bug};
        case Ink::Bar:
            return {c.bar1, c.band1};
        case Ink::CourseBar:
            return {cockpit::kCourseVariants[std::clamp(r.arg[0], 0, 2)].colour};
        case Ink::RowColour:
            return {r.arg[0]};
        case Ink::Art:
            break;
    }
    return {};
}

// The palette indices of every sprite of a row's art.
std::vector<bool> ArtColours(const PanelRow& r) {
    std::vector<bool> used(256, false);
    for (cockpit::PanelArt art : r.art) {
        const gfx::GFXFont* f = cockpit::PanelArtFont(art);
        if (f == nullptr) continue;
        for (const auto& b : f->bitmaps) {
            if (!b) continue;
            for (int y = 0; y < std::abs(b->height); ++y)
                for (int x = 0; x < b->width; ++x)
                    used[b->Row(y)[x]] = true;
        }
    }
    return used;
}

// Each needle, pointer, bug and flag of every panel in every view, moved through three values from
// the flight left alone, changes its own instrument's pixels and no other's; the three pictures
// differ from one another; and what it adds is drawn in the colour of its role (the heading bug in
// the bug's colour, a vector needle in the needles') or in its instrument's own art.
TEST_F(PanelPaint, EveryPointerMovesItsInstrumentInItsColour) {
    int checked = 0;
    for (const PanelView& v : kPanelViews) {
        // The flight painted afresh (a fresh paint recomputes the engine and fuel words and
        // the electrical refresh centres the navigation needles), then once more with nothing
        // changed or with the part set; the part's gauge jumps to its value.
        auto fly = [&v](const MovingPart* part, const PanelRow* row, int value) {
            FreshCockpit(v.type);
            cockpit::theSwapPanel = v.swapped;
            FixedFlight(0);
            PaintFresh(v.view);
            if (part != nullptr) {
                part->set(*row, value);
                if (row->gauge != nullptr) row->gauge->dirty = row->gauge->force = 1;
                cockpit::theHsiGauge.dirty = 1;
            }
            cockpit::PaintCockpit(v.view, 0);
        };
        fly(nullptr, nullptr, 0);
        const int top = flight::theAircraft.GetViewportBottom();
        const std::vector<std::uint8_t> alone = Rows(gfx::GetDrawSurface(), top);
        int count = 0;
        const PanelRow* rows = cockpit::PanelRowsOf(v.type, &count);
        for (const MovingPart& part : kMovingParts) {
            for (int i = 0; i < count; ++i) {
                const PanelRow& row = rows[i];
                if ((part.ops & Op(row.op)) == 0 || !cockpit::SectionShown(row.section, v.view) ||
                    (part.shown != nullptr && !part.shown(row)))
                    continue;
                const std::string what =
                    std::string(v.golden) + " row " + std::to_string(i) + " " + part.name;
                const Box box = InstrumentBox(row, v.type, v.view);
                const std::vector<int> inks = InkIndices(part.ink, row, v.type);
                auto inked = [&inks](std::uint8_t c) {
                    return std::find(inks.begin(), inks.end(), c) != inks.end();
                };
                const std::vector<bool> art = ArtColours(row);
                std::vector<bool> face(256, false);
                for (std::size_t p = 0; p < alone.size(); ++p)
                    if (box.Holds(static_cast<int>(p % 640), top + static_cast<int>(p / 640)))
                        face[alone[p]] = true;
                std::vector<std::vector<std::uint8_t>> moved;
                for (int k = 0; k < part.count; ++k) {
                    fly(&part, &row, part.values[k]);
                    moved.push_back(Rows(gfx::GetDrawSurface(), top));
                    const std::vector<std::uint8_t>& m = moved.back();
                    // Changed pixels; and the part in its colour, where it now stands and where it
                    // stood (a part in a role's colour is the only thing of that colour there).
                    int inside = 0, outside = 0, foreign = 0, at = -1, shown = 0, moves = 0;
                    int sides[2] = {0, 0};
                    for (std::size_t p = 0; p < m.size(); ++p) {
                        const int x = static_cast<int>(p % 640),
                                  y = top + static_cast<int>(p / 640);
                        if (box.Holds(x, y)) {
                            shown += inked(m[p]);
                            moves += inked(m[p]) != inked(alone[p]);
                            sides[2 * x < box.left + box.right ? 0 : 1] +=
                                inked(m[p]) && !inked(alone[p]);
                        }
                        if (m[p] == alone[p]) continue;
                        if (!box.Holds(x, y)) {
                            if (outside++ == 0) at = static_cast<int>(p);
                            continue;
                        }
                        ++inside;
                        foreign += inks.empty() && !art[m[p]] && !face[m[p]];
                    }
                    const std::string value = what + " at " + std::to_string(part.values[k]);
                    EXPECT_GT(inside, 0) << value << " changed nothing";
                    EXPECT_EQ(outside, 0)
                        << value << " changed (" << at % 640 << ", " << top + at / 640 << ")";
                    if (!inks.empty()) {
                        EXPECT_GT(shown, 0) << value << " shows nothing in colour " << inks[0];
                        EXPECT_GT(moves, 0) << value << " moved nothing in colour " << inks[0];
                    }
                    if (part.pair) {
                        EXPECT_GT(sides[0], 0) << value << ": nothing moved on the left";
                        EXPECT_GT(sides[1], 0) << value << ": nothing moved on the right";
                    }
                    EXPECT_EQ(foreign, 0) << value << " drew colours of no art of its instrument";
                    ++checked;
                }
                for (std::size_t a = 0; a < moved.size(); ++a)
                    for (std::size_t b = a + 1; b < moved.size(); ++b)
                        EXPECT_FALSE(moved[a] == moved[b])
                            << what << ": values " << a << " and " << b << " look alike";
            }
        }
    }
    cockpit::theSwapPanel = 0;
    EXPECT_GT(checked, 300);
}

// The jet's Mach digits stand in a window below the airspeed needle's hub: they read the Mach
// number wherever the needle (or its tail) points, across the dial.
TEST_F(PanelPaint, TheMachDigitsReadWhereverTheNeedlePoints) {
    FreshCockpit(4);
    FixedFlight(0);
    PaintFresh(0);
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(4, &count);
    const cockpit::PanelRow* asi = nullptr;
    for (int i = 0; i < count; ++i)
        if (rows[i].op == cockpit::PanelOp::MachAirspeed) asi = &rows[i];
    ASSERT_NE(asi, nullptr);
    const gfx::GFXFont* digits = cockpit::PanelArtFont(asi->art[1]);
    ASSERT_NE(digits, nullptr);
    const int offset = cockpit::PanelOffsetFor(4, 0);
    int glyph = 0;
    if (const gfx::GFXBitmap* g = digits->GetGlyph('0', nullptr)) glyph = g->width;
    ASSERT_GT(glyph, 0);
    for (int frame = 1; frame <= 180; frame += 3) {
        cockpit::PanelGauge& g = cockpit::theAirspeedIndicator;
        g.value = frame;
        g.value2 = static_cast<std::int16_t>(47 + frame % 2);
        g.dirty = g.force = 1;
        cockpit::PaintCockpit(0, 0);
        testsupport::IndexedPicture screen;
        screen.width = 640;
        screen.height = 480;
        screen.pixels = Rows(gfx::GetDrawSurface(), 0);
        const std::string read = testsupport::ReadPanelText(
            screen, *digits, asi->arg[0], asi->arg[1] + offset, 3, glyph, "0123456789");
        EXPECT_EQ(read, frame % 2 == 0 ? "047" : "048") << "needle frame " << frame;
    }
}

// A pitch offset of 200 is -160 and a bank offset of 90 is 60.
TEST_F(PanelPaint, HorizonFoldsPitchAndClampsBank) {
    auto horizon = [](std::int16_t pitch, std::int16_t bank) {
        ClearScreen();
        cockpit::GaugePolygon h;
        h.DrawHorizon(pitch, bank, 100, 100, 120, 120, 71, 73, 41, 1);
        return Rows(gfx::GetDrawSurface(), 0);
    };
    const auto folded = horizon(200, 90);
    EXPECT_TRUE(folded == horizon(-160, 60));
    EXPECT_FALSE(folded == horizon(0, 0));
}

// C172, King Air, C172: the second C172 has its art again and nothing is left behind (the leak
// sanitizer checks the rest).
TEST_F(PanelPaint, ChangingTypesKeepsOnlyTheCurrentArt) {
    for (int type : {0, 3, 0}) {
        flight::theAircraft.SelectByType(type);
        PaintFresh(0);
    }
    EXPECT_NE(cockpit::thePanelFont, nullptr);
    EXPECT_NE(cockpit::theFlapsArt, nullptr);
    // The King Air's own slots were released with its art.
    EXPECT_EQ(cockpit::theBaroFont, nullptr);
    EXPECT_EQ(cockpit::theHsiTextFont, nullptr);
}

// A panel folder of loose files with one member missing and others truncated, of the wrong kind
// or of another size: the slots stay empty or hold what loaded, and every drawing is clipped.
TEST_F(PanelPaint, MissingAndBrokenArtPaintsCleanly) {
    testsupport::TempFolder dir("zephlon-art");
    dir.MakeFolders("Panel");
    core::ResourceVolume shipped((Install() + "/Art/Panel.Vol").c_str(),
                                 (Install() + "/Art/Panel").c_str(), 0);
    for (const std::string& name : C172Members()) {
        std::string bytes = MemberBytes(shipped, name);
        ASSERT_FALSE(bytes.empty()) << name;
        if (name == "172flaps.bmp") continue;                               // missing
        if (name == "172swtch.bmp" || name == "172needs.pft") bytes.resize(bytes.size() / 2);
        if (name == "172key.bmp") bytes = MemberBytes(shipped, "172turn.pft");  // a font
        if (name == "172turn.pft") bytes = MemberBytes(shipped, "172key.bmp");  // a bitmap
        if (name == "172panel.bmp") bytes = MemberBytes(shipped, "172mini.bmp");  // small
        if (name == "172num.bmp") bytes = MemberBytes(shipped, "172_Crsh.bmp");   // large
        dir.Write("Panel/" + name, bytes);
    }
    PointVolumes(nullptr, dir.Path("Panel").c_str());

    flight::theAircraft.SelectByType(0);
    EXPECT_EQ(cockpit::theFlapsArt, nullptr);
    EXPECT_EQ(cockpit::theIgnitionKeyArt, nullptr);
    EXPECT_EQ(cockpit::theTurnFont, nullptr);
    EXPECT_NE(cockpit::thePanelFont, nullptr);
    cockpit::theHsiGauge.compassFrame = 143;
    for (int view : {0, 1}) {
        PaintFresh(view);
        cockpit::ResetPanelGauges();
        // Every bitmap slot in pieces reaching past its edges, every frame of every sprite set.
        const gfx::GFXBitmap* bitmaps[] = {
            cockpit::theAltimeterStripArt, cockpit::theAltimeterLowFlagArt,
            cockpit::theCompassArt,        cockpit::theCompassCardArt,
            cockpit::theFlapsArt,          cockpit::theSwitchArt,
            cockpit::theIgnitionKeyArt,    cockpit::theHourMeterArt,
            cockpit::theAutopilotArt,      cockpit::theAudioPanelArt};
        for (const gfx::GFXBitmap* b : bitmaps)
            cockpit::theFlapsLever.DrawBitmapPiece(b, {-20, -20, 700, 500}, 600, 460, 1);
        const gfx::GFXFont* fonts[] = {
            cockpit::thePanelFont,        cockpit::theLongNeedleFont, cockpit::theSmallNeedleFont,
            cockpit::theTenThousandNeedleFont, cockpit::theFatNeedleFont,
            cockpit::theHeadingCardFont,  cockpit::theNavCardFont,    cockpit::theTurnFont,
            cockpit::theAttitudeRingFont, cockpit::theAttitudeCardFont, cockpit::theMiscSpriteFont};
        for (const gfx::GFXFont* f : fonts)
            for (int n = -1; n <= 256; n += 3)
                cockpit::PanelGauge::DrawFrame(f, n, {630, 470});
        // Erasing past the edges of the small panel picture.
        cockpit::RestorePanelBackground({-10, -10, 700, 400}, {0, 100});
    }
}

}  // namespace
