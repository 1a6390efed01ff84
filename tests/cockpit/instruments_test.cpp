// The instruments' drawing through a recording draw table on a memory surface, with the starter
// installation's art: the windows, strips and frames the examples name, clamping that is stored
// back, the radio stack's texts and lamps, and the heading instrument's flags. And the formulas
// of the instrument values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/dme_source.h"
#include "cockpit/gauge_values.h"
#include "cockpit/gauges.h"
#include "cockpit/instrument_drawing.h"
#include "cockpit/instruments.h"
#include "cockpit/nav_course.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "cockpit/panel_redraw.h"
#include "cockpit/panel_services.h"
#include "cockpit/radio_commands.h"
#include "core/resource_volume.h"
#include "flight/aircraft.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"
#include "flight/flight_world_services.h"
#include "flight/published_performance.h"
#include "flight/system_failures.h"
#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/font.h"
#include "gfx/mem_surface.h"
#include "installed_art.h"
#include "world/terrain_services.h"

namespace {

namespace fs = std::filesystem;
using cockpit::IntPoint;
using cockpit::IntRect;

// What the draw table was asked to draw.
struct Call {
    enum Kind { Text, Part, Line, Pixel, Fill, Polygon } kind;
    const void* art = nullptr;
    std::string text;
    IntRect source;
    IntPoint at;
    IntPoint to;
    std::uint32_t colour = 0;
};
std::vector<Call> theCalls;
gfx::GFXDrawTable theRecording;

int RecordText(gfx::GFXSurface* s, const gfx::GFXFont* f, gfx::GFXPoint at, const char* text) {
    theCalls.push_back({Call::Text, f, text, {}, {at.x, at.y}, {}, 0});
    return gfx::theSoftwareDrawTable.DrawText(s, f, at, text);
}
void RecordPart(gfx::GFXSurface* s, const gfx::GFXBitmap* b, const gfx::GFXRect& r,
                gfx::GFXPoint at, std::uint32_t m) {
    theCalls.push_back(
        {Call::Part, b, {}, {r.left, r.top, r.right, r.bottom}, {at.x, at.y}, {}, 0});
    gfx::theSoftwareDrawTable.DrawBitmapPart(s, b, r, at, m);
}
void RecordLine(gfx::GFXSurface* s, gfx::GFXPoint a, gfx::GFXPoint b, std::uint32_t c) {
    theCalls.push_back({Call::Line, nullptr, {}, {}, {a.x, a.y}, {b.x, b.y}, c});
    gfx::theSoftwareDrawTable.DrawSegment(s, a, b, c);
}
void RecordPixel(gfx::GFXSurface* s, gfx::GFXPoint p, std::uint32_t c) {
    theCalls.push_back({Call::Pixel, nullptr, {}, {}, {p.x, p.y}, {}, c});
    gfx::theSoftwareDrawTable.DrawPixel(s, p, c);
}
void RecordFill(gfx::GFXSurface* s, const gfx::GFXRect& r, std::uint32_t c) {
    theCalls.push_back({Call::Fill, nullptr, {}, {r.left, r.top, r.right, r.bottom}, {}, {}, c});
    gfx::theSoftwareDrawTable.FillRectangle(s, r, c);
}
void RecordPolygon(gfx::GFXSurface* s, gfx::GFXPolyRequest* q) {
    theCalls.push_back({Call::Polygon, nullptr, {}, {}, {}, {}, 0});
    gfx::theSoftwareDrawTable.DrawPolygon(s, q);
}

int theView = 0;
int ViewMode() {
    return theView;
}
int LookForward() {
    return 0;
}

class Instruments : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(cockpittest::Install() + "/Art/Panel.Vol"))
            GTEST_SKIP() << "no starter installation";
        theRecording = gfx::theSoftwareDrawTable;
        theRecording.DrawText = &RecordText;
        theRecording.DrawBitmapPart = &RecordPart;
        theRecording.DrawSegment = &RecordLine;
        theRecording.DrawPixel = &RecordPixel;
        theRecording.FillRectangle = &RecordFill;
        theRecording.DrawPolygon = &RecordPolygon;
        previousTable = gfx::GFXMemSurface::SetDrawTable(&theRecording);
        surface = gfx::GFXMemSurface::Create(640, 480, 8);
        ASSERT_TRUE(surface);
        surface->clipRect = {0, 0, 639, 479};
        cockpit::thePanelSurfaceOverride = surface.get();
        const std::string install = cockpittest::Install();
        core::thePanelVolume.SetNames((install + "/Art/Panel.Vol").c_str(),
                                      (install + "/Art/Panel").c_str(), 0);
        services = flight::theFlightWorldServices;
        flight::theFlightWorldServices.viewMode = &ViewMode;
        flight::theFlightWorldServices.lookDirection = &LookForward;
        theView = 0;
        cockpit::ResetCockpitServices();
        cockpit::ResetDmeSource();
        flight::SystemReliability::ResetAll();
    }
    void TearDown() override {
        cockpit::thePanelSurfaceOverride = nullptr;
        gfx::GFXMemSurface::SetDrawTable(previousTable);
        flight::theAircraft.ReleasePanelBitmaps();
        cockpit::ReleasePanelArt();
        core::thePanelVolume.SetNames("Art\\Panel.Vol", "Art\\Panel", 0);
        flight::theFlightWorldServices = services;
        flight::SystemReliability::ResetAll();
        cockpit::ResetCockpitServices();
        cockpit::SetPanelBufferCount(1);
        theCalls.clear();
    }

    // The type's art and panel, every gauge bound to one buffer.
    static void Select(int type) {
        flight::theAircraft.SelectByType(type);
        flight::theAircraft.UpdateViewBitmaps(0, 0);
        cockpit::SetPanelBufferCount(1);
        cockpit::ResetPanelGauges();
        cockpit::BeginPanelFrame();
        theCalls.clear();
    }
    static void Power(bool on) {
        cockpit::theMasterSwitch.switchState = on ? 1 : 0;
        cockpit::theAvionicsSwitch.switchState = on ? 1 : 0;
    }
    static std::vector<std::string> Texts(const gfx::GFXFont* font = nullptr) {
        std::vector<std::string> out;
        for (const Call& c : theCalls)
            if (c.kind == Call::Text && (font == nullptr || c.art == font)) out.push_back(c.text);
        return out;
    }
    static std::vector<IntRect> Parts(const void* bitmap) {
        std::vector<IntRect> out;
        for (const Call& c : theCalls)
            if (c.kind == Call::Part && c.art == bitmap) out.push_back(c.source);
        return out;
    }
    // Where frame n of a set was drawn as a string (its string point), or (-1, -1).
    static IntPoint FramePoint(const gfx::GFXFont* font, int frame) {
        for (const Call& c : theCalls)
            if (c.kind == Call::Text && c.art == font && c.text.size() == 1 &&
                static_cast<unsigned char>(c.text[0]) == frame)
                return c.at;
        return {-1, -1};
    }

    std::unique_ptr<gfx::GFXMemSurface> surface;
    const gfx::GFXDrawTable* previousTable = nullptr;
    flight::FlightWorldServices services;
};

// A panel pass draws on the surface it began with, whatever the override says meanwhile; a pass
// begun inside it leaves it standing, and after the pass the surface is looked up anew.
TEST(PanelPass, HoldsItsSurfaceUntilItEnds) {
    auto first = gfx::GFXMemSurface::Create(16, 16, 8);
    auto second = gfx::GFXMemSurface::Create(16, 16, 8);
    ASSERT_TRUE(first && second);
    cockpit::thePanelSurfaceOverride = first.get();
    {
        const cockpit::PanelPass outer;
        EXPECT_EQ(outer.Surface(), first.get());
        cockpit::thePanelSurfaceOverride = second.get();
        EXPECT_EQ(cockpit::PanelSurface(), first.get());
        EXPECT_EQ(cockpit::PanelTable(first.get()), first->GetDrawTable());
        EXPECT_EQ(cockpit::PanelTable(second.get()), second->GetDrawTable());
        EXPECT_EQ(cockpit::PanelTable(nullptr), nullptr);
        {
            const cockpit::PanelPass inner;
            EXPECT_EQ(inner.Surface(), first.get());
        }
        EXPECT_EQ(cockpit::PanelSurface(), first.get());
    }
    EXPECT_EQ(cockpit::PanelSurface(), second.get());
    cockpit::thePanelSurfaceOverride = nullptr;
}

// Needle points on whole degrees (the common case, looked up) and between them, at both ends of
// the circle and beyond them: each the point the angle's own cosine and sine give.
TEST(NeedlePoints, EveryAngleGivesThePointOfItsOwnCosineAndSine) {
    constexpr double kPi = 3.14159265359;
    const double angles[] = {0.0,   -0.0, 1.0,   45.0,  90.0,  135.0, 179.0, 180.0, 270.0, 359.0,
                             360.0, 0.5,  89.75, 359.5, 360.5, 361.0, -1.0,  -90.0, 720.0};
    for (const double radius : {1.0, 7.5, 44.0, -12.0, 1000.0}) {
        for (const double angle : angles) {
            const double a = angle * kPi / 180.0;
            const IntPoint want{cockpit::RoundNearest(radius * std::cos(a)),
                                cockpit::RoundNearest(radius * std::sin(a))};
            const IntPoint got = cockpit::RotateNeedlePoint(angle, radius);
            EXPECT_EQ(got.x, want.x) << "angle " << angle << " radius " << radius;
            EXPECT_EQ(got.y, want.y) << "angle " << angle << " radius " << radius;
        }
    }
}

// The jet's readouts: N1 in tenths with a point below 100.0 and whole from there, the turbine
// temperatures in degrees with a minus sign below zero, blank without power.
TEST_F(Instruments, JetReadoutsShowTenthsAndDegrees) {
    Select(4);
    const struct {
        std::int32_t value, tenths;
        bool powered;
        std::vector<std::string> texts;
    } cases[] = {
        {566, 1, true, {"56", ".", "6"}},
        {5, 1, true, {" 0", ".", "5"}},
        {0, 1, true, {" 0", ".", "0"}},
        {98, 1, true, {" 9", ".", "8"}},
        {999, 1, true, {"99", ".", "9"}},
        {1000, 1, true, {"100"}},
        {1034, 1, true, {"103"}},
        {464, 0, true, {"464"}},
        {7, 0, true, {"007"}},
        {-12, 0, true, {"-12"}},
        {-150, 0, true, {"-99"}},
        {566, 1, false, {"   "}},
    };
    for (const auto& c : cases) {
        Power(c.powered);
        theCalls.clear();
        cockpit::PanelGauge& g = cockpit::theTachometer1;
        g.value = c.value;
        g.dirty = 1;
        cockpit::DrawEngineReadout(g, cockpit::theJetReadoutFont, {383, 159}, 3, c.tenths);
        EXPECT_EQ(Texts(cockpit::theJetReadoutFont), c.texts)
            << c.value << (c.powered ? "" : " unpowered");
    }
}

TEST_F(Instruments, CounterAltimeterDrumsAndPointer) {
    const struct {
        int feet;
        int hundreds, thousands, tenThousands, pointer;
    } cases[] = {
        // Digit n of a drum shows with the window's top at 13 + 12.1 n; the thousands and
        // ten-thousands roll on over the last hundred feet below the next step.
        {9999, 129, 134, 154, 179},  // 9 almost rolled to 0; the ten-thousands window blank
        {11990, 128, 36, 25, 178},   // 1 nine tenths of the way to 2
        {12000, 9, 37, 25, 0},       // 2 from the thousand on
        {12010, 10, 37, 25, 1},     {12899, 117, 37, 25, 161}, {17004, 9, 98, 25, 0},
        {19950, 123, 128, 31, 171},                         // both rolling: 19,9 on its way to 20,0
        {0, 9, 13, 154, 0},         {-250, 9, 13, 154, 0},  // below the field: the strips' first
                                                            // rows
        {150000, 9, 13, 154, 0},
    };
    for (const auto& c : cases) {
        const cockpit::CounterDrums d = cockpit::CounterAltimeterDrums(c.feet);
        EXPECT_EQ(d.hundreds, c.hundreds) << c.feet;
        EXPECT_EQ(d.thousands, std::clamp(c.thousands, 13, cockpit::kDrumHeight - 11)) << c.feet;
        EXPECT_EQ(d.tenThousands, c.feet >= 100000 ? -1 : c.tenThousands) << c.feet;
        EXPECT_EQ(d.pointerFrame, c.pointer) << c.feet;
    }
    Select(3);
    cockpit::theAltimeter.value = 9999;
    cockpit::theAltimeter.baroSetting = 2992;
    cockpit::DrawCounterAltimeter(cockpit::theAltimeter, cockpit::theFatNeedleFont,
                                  cockpit::theAltimeterCounterArt, cockpit::theBaroFont, 276, 220);
    const std::vector<IntRect> drums = Parts(cockpit::theAltimeterCounterArt);
    ASSERT_EQ(drums.size(), 3u);
    EXPECT_EQ(drums[0].top, 129);
    EXPECT_EQ(drums[0].bottom, 147);
    EXPECT_EQ(drums[2].top, 154);
    EXPECT_EQ(Texts(cockpit::theBaroFont), (std::vector<std::string>{"29", ".", "92"}));
    // Unchanged: nothing is drawn again.
    theCalls.clear();
    cockpit::BeginPanelFrame();
    cockpit::DrawCounterAltimeter(cockpit::theAltimeter, cockpit::theFatNeedleFont,
                                  cockpit::theAltimeterCounterArt, cockpit::theBaroFont, 276, 220);
    EXPECT_TRUE(theCalls.empty());
}

TEST_F(Instruments, ThreePointerWindowsAndClampsStoredBack) {
    Select(0);
    const struct {
        int setting, first, last;
        int tenThousand, lowFlagLeft;
    } cases[] = {{2810, 1, 15, 1, 1}, {3100, 291, 305, 30, 18}, {2700, 1, 15, 46, 18}};
    for (const auto& c : cases) {
        theCalls.clear();
        cockpit::BeginPanelFrame();
        cockpit::PanelGauge& g = cockpit::theAltimeter;
        g.baroSetting = static_cast<std::uint16_t>(c.setting);
        g.value = c.tenThousand;
        g.value2 = 0;
        g.value3 = 200;
        g.dirty = 1;
        cockpit::DrawThreePointerAltimeter(g, cockpit::theTenThousandNeedleFont,
                                           cockpit::theFatNeedleFont, cockpit::theLongNeedleFont,
                                           cockpit::theAltimeterStripArt,
                                           cockpit::theAltimeterLowFlagArt, 298, 253, 0);
        const std::vector<IntRect> baro = Parts(cockpit::theAltimeterStripArt);
        ASSERT_EQ(baro.size(), 1u) << c.setting;
        EXPECT_EQ(baro[0].top, c.first) << c.setting;
        EXPECT_EQ(baro[0].bottom, c.last) << c.setting;
        const std::vector<IntRect> flag = Parts(cockpit::theAltimeterLowFlagArt);
        ASSERT_EQ(flag.size(), 1u);
        EXPECT_EQ(flag[0].left, c.lowFlagLeft);
        EXPECT_EQ(g.value2, 1);
        EXPECT_EQ(g.value3, 180);
    }
}

TEST_F(Instruments, TurnCoordinatorSlewsThroughTheOtherSetAndClampsTheBall) {
    Select(0);
    cockpit::PanelGauge& g = cockpit::theTurnCoordinator;
    auto paint = [&](int airplane, int ball) {
        g.value = airplane;
        g.value2 = static_cast<std::int16_t>(ball);
        theCalls.clear();
        cockpit::BeginPanelFrame();
        cockpit::DrawTurnCoordinator(g, cockpit::theTurnFont, {60, 371}, 1);
    };
    g.force = 1;
    paint(8, 27);
    EXPECT_EQ(g.value, 8);
    paint(20, 60);  // a right target from the left set
    EXPECT_EQ(g.value, 14);
    EXPECT_EQ(g.value2, 28);
    for (int i = 0; i < 40; ++i)
        paint(20, 60);
    EXPECT_EQ(g.value, 20);
    EXPECT_EQ(g.value2, 53);
    // Past position 40 the right overlay covers the ball's stop; the left one does not show.
    EXPECT_NE(FramePoint(cockpit::theTurnFont, cockpit::kTurnRightStop).x, -1);
    EXPECT_EQ(FramePoint(cockpit::theTurnFont, cockpit::kTurnLeftStop).x, -1);
    paint(5, 27);  // back to the left set: level first
    EXPECT_EQ(g.value, 1);
    const IntPoint ball = FramePoint(cockpit::theTurnFont, cockpit::kTurnBall);
    EXPECT_EQ(ball.x, 60 + 52 - 32);
    EXPECT_EQ(ball.y, 371 - 4 + 24);
    // Without the symbol neither is slewed.
    g.force = 0;
    g.value = 3;
    g.value2 = 2;
    g.dirty = 1;
    cockpit::BeginPanelFrame();
    cockpit::DrawTurnCoordinator(g, cockpit::theTurnFont, {169, 282}, 0);
    EXPECT_EQ(g.value2, 2);
}

TEST_F(Instruments, AttitudeBankFramesAndThePistonWindow) {
    const struct {
        int bank, frame;
    } cases[] = {{0, 1}, {60, 61}, {90, 61}, {359, 62}, {200, 121}, {300, 121}, {181, 121}};
    for (const auto& c : cases)
        EXPECT_EQ(cockpit::AttitudeBankFrame(c.bank), c.frame) << c.bank;
    Select(1);
    // The Bonanza's horizon fills its own window in both panel views (about the window's centre).
    for (int view : {0, 1}) {
        theView = view;
        flight::theAircraft.UpdateViewBitmaps(view, 0);
        const int bottom = flight::theAircraft.GetViewportBottom();
        cockpit::theAttitudeIndicator.dirty = 1;
        theCalls.clear();
        cockpit::BeginPanelFrame();
        cockpit::DrawAttitudeIndicator(cockpit::theAttitudeIndicator, cockpit::theAttitudeCardFont,
                                       cockpit::theAttitudeRingFont, cockpit::theAttitudeLayout);
        const cockpit::AttitudeLayout& l = cockpit::theAttitudeLayout;
        bool sky = false;
        for (const Call& c : theCalls)
            if (c.kind == Call::Fill && c.colour == static_cast<std::uint32_t>(l.h)) {
                sky = true;
                EXPECT_EQ((c.source.top + c.source.bottom) / 2, (l.d + l.f) / 2 + bottom) << view;
            }
        EXPECT_TRUE(sky) << view;
    }
}

TEST_F(Instruments, HsiFlagsFollowTheBatteryAndTheSignal) {
    Select(1);
    cockpit::HsiGauge& h = cockpit::theHsiGauge;
    auto paint = [&] {
        h.dirty = 1;
        theCalls.clear();
        cockpit::BeginPanelFrame();
        cockpit::DrawHsiTwin(h, cockpit::theHeadingCardFont, 187, 381, 1);
    };
    Power(false);
    paint();
    EXPECT_EQ(FramePoint(cockpit::theHeadingCardFont, 171).x, 187 - 38);
    IntRect nav, heading;
    ASSERT_TRUE(cockpit::FrameArea(cockpit::theHeadingCardFont, 171, {187 - 38, 381 - 27}, &nav));
    ASSERT_TRUE(
        cockpit::FrameArea(cockpit::theHeadingCardFont, 172, {187 - 38, 381 + 7}, &heading));
    EXPECT_EQ(nav.left, 187 - 38);
    EXPECT_EQ(nav.top, 381 - 27);
    EXPECT_EQ(h.navWarning, 1);
    EXPECT_EQ(h.headingWarning, 1);
    int flags = 0;
    for (const Call& c : theCalls)
        if (c.kind == Call::Text && c.art == cockpit::theHeadingCardFont && c.text.size() == 1 &&
            (static_cast<unsigned char>(c.text[0]) == 171 ||
             static_cast<unsigned char>(c.text[0]) == 172))
            ++flags;
    EXPECT_EQ(flags, 2);
    Power(true);
    h.signalFlag = 1;
    paint();
    EXPECT_EQ(h.navWarning, 0);
    EXPECT_EQ(h.headingWarning, 0);
    // A deviation of 35 is drawn at 20; a card of 144 as 0.
    h.courseDeviation = 35;
    h.cardRotation = 144;
    paint();
    EXPECT_EQ(h.courseDeviation, 20);
    EXPECT_EQ(h.cardRotation, 0);
    // What it drew is erased whole next time: one area covers everything.
    theCalls.clear();
    h.headingBug = 90;
    cockpit::BeginPanelFrame();
    cockpit::DrawHsiTwin(h, cockpit::theHeadingCardFont, 187, 381, 1);
    ASSERT_FALSE(theCalls.empty());
    EXPECT_EQ(theCalls.front().kind, Call::Part);
}

TEST_F(Instruments, RadioWindowsPadBlankAndFail) {
    Select(0);
    Power(true);
    auto draw = [&](cockpit::PanelGauge& g, int kind, int threeDigits) {
        g.dirty = 1;
        theCalls.clear();
        cockpit::BeginPanelFrame();
        const int second = threeDigits != 0 ? cockpit::kFrequencySecondField : 12;
        cockpit::DrawRadioActiveFrequency(g, cockpit::thePanelFont, {568, 249}, second, threeDigits,
                                          kind);
        cockpit::DrawRadioStandbyWindow(g, cockpit::thePanelFont, {602, 249}, second, threeDigits);
        return Texts();
    };
    cockpit::theNav1Radio.activeMHz = 8;
    cockpit::theNav1Radio.activeKHz = 0;
    cockpit::theNav1Radio.standbyMHz = 13;
    cockpit::theNav1Radio.standbyKHz = 5;
    // A NAV or COM window's kilohertz stand apart from the megahertz, a decimal point between.
    EXPECT_EQ(draw(cockpit::theNav1Radio, 1, 1),
              (std::vector<std::string>{"108", ".", "00", "113", ".", "05"}));
    cockpit::theCom2Radio.activeMHz = 22;
    cockpit::theCom2Radio.activeKHz = 95;
    EXPECT_EQ(draw(cockpit::theCom2Radio, 2, 1)[0], "122");
    cockpit::theAdfRadio.activeMHz = 3;
    cockpit::theAdfRadio.activeKHz = 50;
    EXPECT_EQ(draw(cockpit::theAdfRadio, -1, 0)[0], "03");
    // NAV2 failed: its active window and COM2's are blank, the standby windows still show.
    flight::SystemReliability::SetNav2MayFail(1);
    flight::theElectricalSystem.Instrument(3).failed = 1;
    ASSERT_FALSE(flight::SystemReliability::IsNav2Working());
    const std::vector<std::string> com2 = draw(cockpit::theCom2Radio, 2, 1);
    EXPECT_EQ(com2[0], "   ");
    EXPECT_EQ(com2[2], "  ");
    EXPECT_NE(com2[3], "   ");
    EXPECT_EQ(draw(cockpit::theNav1Radio, 1, 1)[0], "108");
    // A radio failing, or working again, after its window was drawn (which marks nothing dirty)
    // changes the window on the next paint.
    auto redraw = [&](cockpit::PanelGauge& g, int kind) {
        g.dirty = 0;
        theCalls.clear();
        cockpit::BeginPanelFrame();
        cockpit::DrawRadioActiveFrequency(g, cockpit::thePanelFont, {568, 249},
                                          cockpit::kFrequencySecondField, 1, kind);
        return Texts();
    };
    flight::theElectricalSystem.Instrument(3).failed = 0;
    EXPECT_EQ(draw(cockpit::theNav2Radio, 2, 1)[0], "108");
    EXPECT_TRUE(redraw(cockpit::theNav2Radio, 2).empty());
    flight::theElectricalSystem.Instrument(3).failed = 1;
    // Dark, a blank cell takes the point's place.
    EXPECT_EQ(redraw(cockpit::theNav2Radio, 2), (std::vector<std::string>{"   ", " ", "  "}));
    flight::theElectricalSystem.Instrument(3).failed = 0;
    EXPECT_EQ(redraw(cockpit::theNav2Radio, 2), (std::vector<std::string>{"108", ".", "00"}));
    flight::theElectricalSystem.Instrument(3).failed = 1;
    // Bearing display: no station, then 5 degrees.
    cockpit::theNav1Radio.bearingMode = 1;
    cockpit::theNav1Radio.bearing = -1;
    // The bearing's five cells, after a blank cell that clears the window's end.
    EXPECT_EQ(draw(cockpit::theNav1Radio, 1, 1)[4], "  ---");
    cockpit::theNav1Radio.bearing = 5;
    EXPECT_EQ(draw(cockpit::theNav1Radio, 1, 1)[4], "  005");
    // The avionics master off blanks every window at its own width.
    cockpit::theAvionicsSwitch.switchState = 0;
    cockpit::theNav1Radio.bearingMode = 0;
    EXPECT_EQ(draw(cockpit::theNav1Radio, 1, 1),
              (std::vector<std::string>{"   ", " ", "  ", "   ", " ", "  "}));
    EXPECT_EQ(draw(cockpit::theAdfRadio, -1, 0)[0], "  ");
}

TEST_F(Instruments, TransferLampLastsTheClickThenGoesOut) {
    Select(0);
    Power(true);
    cockpit::PanelGauge& g = cockpit::theCom1Radio;
    g.dirty = 0;
    auto lamp = [&] {
        theCalls.clear();
        cockpit::BeginPanelFrame();
        cockpit::DrawTransferLamp(g, {520, 253}, 14, 59, 33, cockpit::thePanelFont, 18, {525, 249},
                                  1);
        for (const Call& c : theCalls)
            if (c.kind == Call::Line) return static_cast<int>(c.colour);
        return -1;
    };
    cockpit::StartTransferLamp(g);
    EXPECT_EQ(lamp(), 33);
    EXPECT_EQ(g.transferLamp, 1);
    cockpit::StepTransferLamps();
    EXPECT_EQ(lamp(), 33);
    EXPECT_EQ(g.transferLamp, 0);
    EXPECT_EQ(lamp(), 59);
    EXPECT_EQ(lamp(), -1);  // nothing more to draw
}

TEST_F(Instruments, DmeFieldsAndTheSelector) {
    char d[8], s[8], t[8];
    bool point = false;
    cockpit::FormatDmeFields(true, true, 45, 120, 7, d, s, t, &point);
    EXPECT_STREQ(d, "045");
    EXPECT_TRUE(point);
    EXPECT_STREQ(t, "07");
    cockpit::FormatDmeFields(true, true, 1234, 1500, 250, d, s, t, &point);
    EXPECT_STREQ(d, "123");
    EXPECT_FALSE(point);
    EXPECT_STREQ(s, "999");
    EXPECT_STREQ(t, "99");
    cockpit::FormatDmeFields(true, true, 50000, 0, 0, d, s, t, &point);
    EXPECT_STREQ(d, "999");
    cockpit::FormatDmeFields(true, false, 45, 120, 7, d, s, t, &point);
    EXPECT_STREQ(d, "---");
    EXPECT_STREQ(t, "--");
    cockpit::FormatDmeFields(false, true, 45, 120, 7, d, s, t, &point);
    EXPECT_STREQ(d, "   ");
    EXPECT_STREQ(t, "  ");

    // The selector keys choose the record the window reads: NAV1 and NAV2 hear DME stations,
    // the hold has captured none yet.
    std::int32_t* b = cockpit::theDmeRadio.buttons;
    Select(0);
    Power(true);
    b[0] = 1, b[1] = b[2] = 0;
    cockpit::theNavReceiverOutputs[0].flags = cockpit::kStatusDme;
    cockpit::theNavReceiverOutputs[0].station = 7;
    cockpit::theNavReceiverOutputs[1].flags = cockpit::kStatusDme;
    cockpit::theNavReceiverOutputs[1].station = 9;
    cockpit::theDmeRadio.dmeDigits[0] = 123;
    cockpit::theDmeRadio.dmeDigits[1] = 140;
    cockpit::theDmeRadio.dmeDigits[2] = 5;
    cockpit::DME();
    // 12.3 NM: the miles, the point, the tenth set off past it.
    const std::vector<std::string> shown{"12", ".", "3", "140", "05"},
        dashes{" ", "---", "---", "--"};
    const struct {
        void (*key)();
        std::vector<std::string> texts;
        std::int32_t n1, hold, n2;
    } keys[] = {{&cockpit::NavMHzUp, dashes, 0, 1, 0},   // N1 -> HLD, nothing held
                {&cockpit::NavMHzUp, shown, 0, 0, 1},    // HLD -> N2
                {&cockpit::NavMHzUp, shown, 1, 0, 0},    // N2 -> N1
                {&cockpit::NavMHzDown, shown, 0, 0, 1},  // N1 -> N2
                {&cockpit::NavMHzDown, dashes, 0, 1, 0}};
    for (const auto& k : keys) {
        cockpit::theDmeSelector.dirty = 0;
        k.key();
        EXPECT_EQ(cockpit::theDmeSelector.dirty, 1);  // its lamps follow
        EXPECT_EQ(b[0], k.n1);
        EXPECT_EQ(b[1], k.hold);
        EXPECT_EQ(b[2], k.n2);
        theCalls.clear();
        cockpit::BeginPanelFrame();
        cockpit::DrawDmeReadout(cockpit::theDmeRadio, cockpit::thePanelFont, 14, 0);
        EXPECT_EQ(Texts(), k.texts);
    }
    cockpit::ResetDmeSource();

    // A station without DME on NAV1 shows dashes in every field.
    Select(0);
    Power(true);
    b[0] = 1, b[1] = b[2] = 0;
    cockpit::theNavReceiverOutputs[0].station = 7;
    cockpit::theDmeRadio.dirty = 1;
    theCalls.clear();
    cockpit::BeginPanelFrame();
    cockpit::DrawDmeReadout(cockpit::theDmeRadio, cockpit::thePanelFont, 14, 0);
    EXPECT_EQ(Texts(), dashes);

    // The window is drawn when its power or its digits change, never again for the same picture:
    // dark once when the power goes, the same digits again when it comes back.
    cockpit::theNavReceiverOutputs[0].flags = cockpit::kStatusDme;
    const std::vector<std::string> none, dark{" ", "   ", "   ", "  "};
    const struct {
        bool powered;
        std::int16_t tenths;
        std::vector<std::string> texts;
    } passes[] = {{true, 123, shown}, {true, 123, none},
                  {false, 123, dark}, {false, 123, none},
                  {false, 150, none}, {true, 123, shown},
                  {true, 123, none},  {true, 124, {"12", ".", "4", "140", "05"}}};
    for (const auto& p : passes) {
        Power(p.powered);
        cockpit::theDmeRadio.dmeDigits[0] = p.tenths;
        theCalls.clear();
        cockpit::BeginPanelFrame();
        cockpit::DrawDmeReadout(cockpit::theDmeRadio, cockpit::thePanelFont, 14, 0);
        cockpit::theDmeRadio.dirty = 0;  // as the radio's last row of the panel does
        EXPECT_EQ(Texts(), p.texts) << "powered " << p.powered << ", tenths " << p.tenths;
    }
}

// A course the positioning dialogs set turns the drawn cards: the C172's NAV1 and the Bonanza's
// NAV2 course cards, and the ADF card (the HSI keeps its own course).
TEST_F(Instruments, CoursesFromTheDialogsTurnTheDrawnCards) {
    struct Case {
        int type;
        cockpit::NavCourseWords* words;
        cockpit::PanelGauge* gauge;
        IntPoint at;
        std::int32_t variant;
        int course;
        int frame;  // truncate((360 - course) x 0.4 + 0.5) + 1 (144 is drawn as 0)
    } cases[] = {{0, &cockpit::theNav1Course, &cockpit::theNav1Indicator, {417, 239}, 0, 270, 37},
                 {0, &cockpit::theNav1Course, &cockpit::theNav1Indicator, {417, 239}, 0, 360, 1},
                 {1, &cockpit::theNav2Course, &cockpit::theNav2Indicator, {425, 343}, 1, 45, 127}};
    for (const Case& c : cases) {
        Select(c.type);
        Power(true);
        cockpit::ResetNavCourses();
        c.words->selectedCourse = static_cast<std::uint16_t>(c.course);
        c.words->courseRedraw = 1;
        cockpit::UpdateObsCourses();
        theCalls.clear();
        cockpit::BeginPanelFrame();
        cockpit::DrawCourseIndicator(*c.gauge, cockpit::theNavCardFont, c.at, c.variant);
        EXPECT_NE(FramePoint(cockpit::theNavCardFont, c.frame).x, -1) << c.course;
    }
    Select(1);
    cockpit::ResetNavCourses();
    cockpit::theAdfCard = {315, 126};
    cockpit::UpdateObsCourses();
    theCalls.clear();
    cockpit::BeginPanelFrame();
    cockpit::DrawAdfIndicator(cockpit::theAdfIndicator, cockpit::theNavCardFont, {425, 231}, 1);
    EXPECT_NE(FramePoint(cockpit::theNavCardFont, 127).x, -1);
    cockpit::ResetNavCourses();
}

// The number windows' texts, written by hand, against the library's formatter: zero-padded
// fields held to their width, the radios' frequency fields, the HSI's aligned fields and the
// clock's eight cells.
TEST_F(Instruments, NumberWindowTextsMatchTheLibraryFormatter) {
    for (int width = 1; width <= 9; ++width) {
        for (const std::int32_t value : {-5, 0, 7, 42, 999, 1000, 123456789, 2147483647}) {
            for (const std::size_t size : {std::size_t{1}, std::size_t{3}, std::size_t{16}}) {
                std::int32_t largest = 9;
                for (int i = 1; i < width; ++i)
                    largest = largest * 10 + 9;
                char want[16], got[16];
                std::snprintf(want, size, "%0*d", width, std::clamp(value, 0, largest));
                cockpit::FormatZeroPadded(got, size, value, width);
                EXPECT_STREQ(got, want) << value << " width " << width << " size " << size;
            }
        }
    }
    const struct {
        std::int32_t whole, fraction, threeDigits;
        bool shown;
        const char *first, *second;
    } radios[] = {
        {8, 95, 1, true, "108", "95"},     {22, 5, 1, true, "122", "05"},
        {17, 0, 1, true, "117", "00"},     {117, 30, 1, true, "117", "30"},
        {1200, 100, 1, true, "999", "99"}, {-3, -1, 1, true, "100", "00"},
        {12, 5, 0, true, "12", "05"},      {8, 95, 1, false, "   ", "  "},
        {8, 95, 0, false, "  ", "  "},
    };
    for (const auto& r : radios) {
        char first[8], second[8];
        cockpit::FormatFrequencyFields(r.whole, r.fraction, r.threeDigits, r.shown, first, second);
        EXPECT_STREQ(first, r.first) << r.whole;
        EXPECT_STREQ(second, r.second) << r.fraction;
    }
    const struct {
        const char* field;
        int cells;
    } fields[] = {{"012.5", 6}, {"000", 4}, {"0.5", 3}, {"00", 1}, {"7", 9}, {"", 2}, {"123", 2}};
    for (const auto& f : fields) {
        for (const std::size_t size : {std::size_t{2}, std::size_t{5}, std::size_t{16}}) {
            std::size_t from = 0;
            const std::size_t n = std::strlen(f.field);
            while (from + 1 < n && f.field[from] == '0' && f.field[from + 1] != '.')
                ++from;
            char want[16], got[16];
            std::snprintf(want, size, "%*s%s", std::max(f.cells - static_cast<int>(n - from), 0),
                          "", f.field + from);
            cockpit::AlignHsiField(f.field, f.cells, got, size);
            EXPECT_STREQ(got, want) << f.field << " in " << f.cells << " size " << size;
        }
    }
    static const char* theClockText = "";
    struct Host {
        static void Text(char* out, int size) { std::snprintf(out, size, "%s", theClockText); }
    };
    cockpit::thePanelHost.clockText = &Host::Text;
    Power(true);
    cockpit::theClock.buttons[0] = 0;
    for (const char* text : {"12:34:56", "9:05", "1234567890", ""}) {
        theClockText = text;
        char want[16], got[16];
        std::snprintf(want, sizeof want, "%-8.8s", text);
        cockpit::FormatClockText(got);
        EXPECT_STREQ(got, want) << text;
    }
    cockpit::thePanelHost = cockpit::DefaultPanelHostServices();
}

TEST_F(Instruments, ClockHourMeterTachometersAndTemperature) {
    struct Host {
        static std::uint32_t Stopwatch() { return 3725; }
    };
    cockpit::thePanelHost.stopwatchSeconds = &Host::Stopwatch;
    Power(true);
    cockpit::theClock.buttons[0] = 1;
    char text[16];
    cockpit::FormatClockText(text);
    EXPECT_STREQ(text, "01:02:05");
    Power(false);
    cockpit::FormatClockText(text);
    EXPECT_STREQ(text, "        ");
    cockpit::thePanelHost = cockpit::DefaultPanelHostServices();

    const struct {
        std::int64_t seconds;
        const char* shown;
    } hobbs[] = {{4500000, "12500"}, {-360, "00000"}, {360LL * 100000, "00000"}, {359, "00000"}};
    for (const auto& h : hobbs) {
        char meter[8];
        cockpit::FormatHourMeter(h.seconds, meter);
        EXPECT_STREQ(meter, h.shown) << h.seconds;
    }
    EXPECT_EQ(cockpit::SingleTachometerFrame(65), 1);
    EXPECT_EQ(cockpit::TwinTachometerFrame(65), 180);
    EXPECT_EQ(cockpit::SingleTachometerFrame(0), 115);
    EXPECT_EQ(cockpit::FahrenheitFromTemperatureWord(15 * 256), 59);

    Select(4);
    Power(true);
    cockpit::PanelGauge& oat = cockpit::theTemperatureGauge;
    // The readout shows the air where the aircraft is: 15 C here, -20 C below.
    flight::FlightModelState& air = flight::theFlightModelState;
    air.fmOAT = 15 * 256;
    for (int celsius : {0, 1}) {
        oat.buttons[0] = celsius;
        oat.dirty = 1;
        theCalls.clear();
        cockpit::BeginPanelFrame();
        cockpit::DrawOutsideAirTemperature(oat, cockpit::thePanelFont, {448, 456}, {467, 456});
        EXPECT_EQ(Texts(cockpit::thePanelFont)[0], celsius != 0 ? "015" : "059");
    }
    air.fmOAT = -20 * 256;  // below zero Fahrenheit: the sign takes a place
    oat.buttons[0] = 0;
    oat.dirty = 1;
    theCalls.clear();
    cockpit::BeginPanelFrame();
    cockpit::DrawOutsideAirTemperature(oat, cockpit::thePanelFont, {448, 456}, {467, 456});
    EXPECT_EQ(Texts(cockpit::thePanelFont)[0], "-04");  // -4 F, rounded, not towards zero
    air.fmOAT = 15 * 256;
}

TEST_F(Instruments, NeedlesSlewAndLeversTravel) {
    Select(3);
    cockpit::PanelGauge& g = cockpit::theEnginePowerGauge;
    g.value = 10;
    g.value2 = 10;
    g.force = 1;
    cockpit::BeginPanelFrame();
    cockpit::DrawTwinNeedleGauge(g, cockpit::theSmallNeedleFont, 529, 210);
    for (int expected : {11, 12, 13}) {
        g.value = 20;  // as each instrument update writes it
        cockpit::BeginPanelFrame();
        cockpit::DrawTwinNeedleGauge(g, cockpit::theSmallNeedleFont, 529, 210);
        EXPECT_EQ(g.value, expected);
    }
    // The slew-first version shows the steps but keeps its word.
    cockpit::PanelGauge& oil = cockpit::theOilTempGauge;
    oil.value = 100;
    oil.value2 = 10;
    oil.force = 1;
    cockpit::BeginPanelFrame();
    cockpit::DrawTwinNeedleGaugeSlewFirst(oil, cockpit::theSmallNeedleFont, 529, 288);
    oil.value = 110;
    cockpit::BeginPanelFrame();
    cockpit::DrawTwinNeedleGaugeSlewFirst(oil, cockpit::theSmallNeedleFont, 529, 288);
    EXPECT_EQ(oil.value, 110);
    EXPECT_EQ(oil.drawnValue1[oil.slot], 101);
    // Setting `dirty` alone does not repaint a two-needle dial.
    theCalls.clear();
    g.dirty = 1;
    g.value = g.drawnValue1[g.slot];
    cockpit::BeginPanelFrame();
    cockpit::DrawTwinNeedleGauge(g, cockpit::theSmallNeedleFont, 529, 210);
    EXPECT_TRUE(theCalls.empty());

    const struct {
        int k, x, y;
    } travel[] = {{0, 13, 30}, {14, 13, 30}, {15, 15, 30}, {16, 15, 29}, {17, 14, 28},
                  {44, 1, 1},  {45, 0, 0},   {90, 0, 0},   {-3, 13, 30}};
    for (const auto& t : travel) {
        const IntPoint p = cockpit::QuadrantTravel(t.k);
        EXPECT_EQ(p.x, t.x) << t.k;
        EXPECT_EQ(p.y, t.y) << t.k;
    }
}

TEST_F(Instruments, DirectorCoversItsFaceWithoutPower) {
    Select(3);
    Power(true);
    auto paint = [&] {
        cockpit::theAttitudeIndicator.dirty = 1;
        theCalls.clear();
        cockpit::BeginPanelFrame();
        cockpit::DrawAttitudeDirector(cockpit::theAttitudeIndicator, cockpit::theAttitudeCardFont,
                                      64, cockpit::theAttitudeLayout);
        int polygons = 0;
        for (const Call& c : theCalls)
            polygons += c.kind == Call::Polygon ? 1 : 0;
        return polygons;
    };
    const int powered = paint();
    cockpit::theAvionicsSwitch.switchState = 0;
    EXPECT_EQ(paint(), powered + 2);
    // Only a change of the glide-slope needle repaints it.
    cockpit::BeginPanelFrame();
    theCalls.clear();
    cockpit::DrawAttitudeDirector(cockpit::theAttitudeIndicator, cockpit::theAttitudeCardFont, 64,
                                  cockpit::theAttitudeLayout);
    EXPECT_TRUE(theCalls.empty());
    cockpit::theAttitudeIndicator.glideSlopeNeedle = 40;
    cockpit::BeginPanelFrame();
    cockpit::DrawAttitudeDirector(cockpit::theAttitudeIndicator, cockpit::theAttitudeCardFont, 64,
                                  cockpit::theAttitudeLayout);
    EXPECT_FALSE(theCalls.empty());
    EXPECT_EQ(cockpit::theAttitudeIndicator.glideSlopeNeedle, 25);
}

// After a full paint, a thousand frames with nothing changed draw the edge line and the compass
// and nothing else, on every panel.
TEST_F(Instruments, SteadyFramesDrawOnlyTheEdgeLineAndTheCompass) {
    for (int type = 0; type < 5; ++type) {
        Select(type);
        Power(true);
        cockpit::thePanelPrimed = 0;
        for (int i = 0; i < 3; ++i)
            cockpit::PaintCockpit(0, 0);
        theCalls.clear();
        for (int i = 0; i < 1000; ++i)
            cockpit::PaintCockpit(0, 0);
        int lines = 0, parts = 0, other = 0;
        for (const Call& c : theCalls) {
            if (c.kind == Call::Line)
                ++lines;
            else if (c.kind == Call::Part &&
                     (c.art == cockpit::theCompassCardArt || c.art == cockpit::theCompassArt))
                ++parts;
            else
                ++other;
        }
        EXPECT_EQ(lines, 1000) << type;
        EXPECT_EQ(parts, 2000) << type;
        EXPECT_EQ(other, 0) << type;
    }
}

// ---- the instrument values --------------------------------------------------------------------

TEST(InstrumentValues, FormulasOfTheExamples) {
    EXPECT_EQ(cockpit::VerticalSpeedFrame(0, 1500), 19);
    EXPECT_EQ(cockpit::VerticalSpeedFrame(0, -1500), 71);
    EXPECT_EQ(cockpit::VerticalSpeedFrame(0, 0), 135);
    EXPECT_EQ(cockpit::VerticalSpeedFrame(3, 6000), cockpit::VerticalSpeedFrame(3, 9000));
    // The turn coordinator: level below 45.5 of scaled turn rate, 14 from there.
    EXPECT_EQ(cockpit::TurnFrame(45.0 / 18), 1);
    EXPECT_EQ(cockpit::TurnFrame(45.5 / 18), 14);
    EXPECT_EQ(cockpit::TurnFrame(-1000.0), 13);
    EXPECT_EQ(cockpit::TurnBall(60 * 32), 53);
    // Airspeed: at rest frame 1 (the C172's formula gives 0); pinned at 180 above the dial.
    for (int type = 0; type < 5; ++type) {
        EXPECT_EQ(cockpit::AirspeedFrame(type, 0), 1) << type;
        EXPECT_EQ(cockpit::AirspeedFrame(type, 400 * 32768), 180) << type;
    }
    EXPECT_EQ(cockpit::AirspeedFrame(0, 100 * 32768), 94);
    EXPECT_EQ(cockpit::AirspeedFrame(1, 100 * 32768), 69);  // 50 "integer knots" x 2 - 32 + 1
    // The King Air's torque stops rising at 2230 ft-lb.
    EXPECT_EQ(cockpit::KingAirTorqueTarget(300), cockpit::KingAirTorqueTarget(2230 / 11.1496));
    // A negative altitude gives the ten-thousand pointer its first frame.
    EXPECT_EQ(cockpit::ThreePointerFramesFor(-300).tenThousand, 1);
    EXPECT_EQ(cockpit::ThreePointerFramesFor(0).thousand, 2);
    EXPECT_EQ(cockpit::ThreePointerFramesFor(1000).thousand, 20);
    EXPECT_EQ(cockpit::ThreePointerFramesFor(11000).thousand, 20);
    EXPECT_EQ(cockpit::CardFrameForHeading(0), 0);
    EXPECT_EQ(cockpit::CardFrameForHeading(0x4000), 108);  // east: the card turned 270 degrees
    EXPECT_EQ(cockpit::SmoothToward(0, 12), 2);
    EXPECT_EQ(cockpit::SmoothToward(10, 12), 11);
    EXPECT_EQ(cockpit::SmoothToward(12, 0), 10);
    // A setting equal to the weather's pressure reads the altitude itself; a higher setting
    // reads higher, about 1,000 ft per inch of mercury, and a lower one lower.
    EXPECT_EQ(cockpit::IndicatedAltitude(1000 / 1.2890625, 2992, 15729), 1000);
    EXPECT_EQ(cockpit::IndicatedAltitude(1000 / 1.2890625, 3042, 15729), 1000 + 492);
    EXPECT_EQ(cockpit::IndicatedAltitude(1000 / 1.2890625, 2892, 15729), 1000 - 984);
    // 30.42 in the air with the setting at 30.42 reads the altitude too.
    EXPECT_EQ(cockpit::IndicatedAltitude(1000 / 1.2890625, 3042, 19825), 1000);
}

class InstrumentUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        flight::theAircraftServices.aircraftType = &TypeOf;
        flight::theFlightModelState = flight::FlightModelState{};
        cockpit::ResetCockpitServices();
        flight::SystemReliability::ResetAll();
        theType = 0;
    }
    void TearDown() override {
        flight::theAircraftServices = flight::DefaultAircraftServices();
        flight::SystemReliability::ResetAll();
        cockpit::ResetCockpitServices();
        flight::theFlightModelState = flight::FlightModelState{};
        flight::theAeroLookup = flight::AeroLookupResult{};
    }
    static int TypeOf() { return theType; }
    static inline int theType = 0;
};

TEST_F(InstrumentUpdate, AFailedAirspeedIndicatorFreezesWhileTheOthersMove) {
    flight::FlightModelState& s = flight::theFlightModelState;
    s.fmIAS = 80 * 32768;
    s.fmPosY = 256 * 300;
    cockpit::UpdateGauges();
    const int airspeed = cockpit::theAirspeedIndicator.value;
    const int altimeter = cockpit::theAltimeter.value3;
    flight::SystemReliability::SetAirspeedMayFail(1);
    flight::thePitotStaticSystem.Instrument(0).failed = 1;
    ASSERT_FALSE(flight::SystemReliability::IsAirspeedWorking());
    s.fmIAS = 120 * 32768;
    s.fmPosY = 256 * 600;
    cockpit::UpdateGauges();
    EXPECT_EQ(cockpit::theAirspeedIndicator.value, airspeed);
    EXPECT_NE(cockpit::theAltimeter.value3, altimeter);
}

// The transponder reports the pressure altitude to the nearest hundred feet, as a Mode C encoder
// does, whatever the altimeter is set to: on a standard day the jet's altimeter set to 29.92 and
// reading 11,988 ft gives 120; 11,949 gives 119 and 11,950 120; near the ground 49 gives 0 and 50
// gives 1. Set to 30.42 on that day it reads about 500 ft high, and the reply stays (4,500 shown
// is 040); on a day of 30.42 set to the day it reads true and the reply is 500 ft lower.
TEST_F(InstrumentUpdate, TheTransponderReportsThePressureAltitude) {
    theType = 4;
    const std::int16_t weather = cockpit::theBarometricPressureWord;
    const struct {
        int day, setting;  // hundredths of an inch of mercury
        int feet;          // the altimeter's reading
        int reported;
    } cases[] = {{2992, 2992, 11988, 120}, {2992, 2992, 11949, 119}, {2992, 2992, 11950, 120},
                 {2992, 2992, 12049, 120}, {2992, 2992, 49, 0},      {2992, 2992, 50, 1},
                 {2992, 2992, 150, 2},     {2992, 3042, 4500, 40},   {3042, 3042, 4000, 35}};
    for (const auto& c : cases) {
        // The weather's pressure word counts hundredths above 28.00 in 800ths of 65536.
        cockpit::theBarometricPressureWord =
            static_cast<std::int16_t>(((c.day - 2800) * 65536 + 799) / 800);
        cockpit::theAltimeter.baroSetting = static_cast<std::uint16_t>(c.setting);
        // The height at which the altimeter reads the case's feet (about 78 height units a foot).
        bool found = false;
        for (int y = (c.feet - 700) * 78; y <= (c.feet + 700) * 78 && !found; y += 8) {
            flight::theFlightModelState.fmPosY = y;
            cockpit::UpdateGauges();
            found = cockpit::theAltimeter.value == c.feet;
        }
        ASSERT_TRUE(found) << c.feet;
        EXPECT_EQ(cockpit::theTransponder.value, c.reported)
            << c.day << " " << c.setting << " " << c.feet;
    }
    cockpit::theBarometricPressureWord = weather;
}

TEST_F(InstrumentUpdate, ExhaustTemperatureWithoutFuelFlowIsZero) {
    theType = 1;
    cockpit::theMasterSwitch.switchState = 1;
    cockpit::UpdateGauges();  // the engine stands: no flow, no division
    EXPECT_EQ(cockpit::theExhaustTempGauge.needle, 0);
    flight::theFlightModelState.fmEngines = 1;
    flight::theFlightModelState.fmEnginePower[0] = 900;
    flight::theFlightModelState.fmThrot = 30000;
    cockpit::theMixtureLever.lever = 31;
    cockpit::UpdateGauges();
    EXPECT_GT(cockpit::theExhaustTempGauge.needle, 0);
    EXPECT_LE(cockpit::theExhaustTempGauge.needle, 32);
}

// The CitationJet's air-data readouts: the outside air temperature falls at the standard lapse
// (about 3.57 F a thousand feet from 59 F on a standard day), and the angle-of-attack readout is
// low in cruise, near 0.6 at 1.3 times the stall speed and near 1.0 at the stall.
TEST_F(InstrumentUpdate, TheJetsAirDataReadoutsFollowHeightAndTheWing) {
    auto fly = [](double feet, double knots, double seconds) {
        flight::ProbeSelectAircraft(4);
        flight::ProbePlaceInFlight(feet, knots);
        flight::ProbeRunSeconds(seconds);
        flight::theAircraftServices.aircraftType = &TypeOf;
        theType = 4;
        cockpit::theMasterSwitch.switchState = 1;
        cockpit::UpdateGauges();
    };
    for (double feet : {0.0, 17000.0, 35000.0}) {
        fly(feet, 250, 4);  // the air data are renewed every 48 steps
        EXPECT_NEAR(cockpit::theTemperatureGauge.value, 59 - 3.566 * feet / 1000, 1.5) << feet;
    }
    // Placed level (the wing carrying the weight) well clear of the ground's effect, at true
    // airspeeds for the calibrated stall speed (1.0778 times it at 5,000 ft).
    const double stall =
        1.0778 * flight::ProbeStallSpeed(4, 0, flight::PublishedPerformanceForType(4).testWeightKg);
    fly(5000, 250, 0.2);
    EXPECT_LT(cockpit::theAngleOfAttackIndicator.value, 35) << "cruise";
    fly(5000, 1.3 * stall, 0.2);
    EXPECT_NEAR(cockpit::theAngleOfAttackIndicator.value, 60, 8) << "1.3 x stall";
    fly(5000, 1.03 * stall, 0.2);
    EXPECT_GT(cockpit::theAngleOfAttackIndicator.value, 85) << "near the stall";
}

TEST_F(InstrumentUpdate, EnginesAndTanksMoveTheirGauges) {
    const struct {
        int type;
        int tach0;
    } cases[] = {{0, 0}, {1, 0}, {2, 31}, {3, 98}};
    for (const auto& c : cases) {
        theType = c.type;
        cockpit::ResetCockpitServices();
        cockpit::theMasterSwitch.switchState = 1;
        flight::theFlightModelState = flight::FlightModelState{};
        flight::theFlightModelState.fmFuel1 = 20000;
        for (int i = 0; i < 60; ++i)
            cockpit::UpdateGauges();
        EXPECT_EQ(cockpit::theTachometer1.value, c.tach0) << c.type;
        EXPECT_GT(cockpit::theLeftFuelGauge.needle, 0) << c.type;
        EXPECT_EQ(cockpit::theRightFuelGauge.needle, 0) << c.type;
    }
    // The battery off empties the fuel gauges.
    cockpit::theMasterSwitch.switchState = 0;
    cockpit::UpdateGauges();
    EXPECT_EQ(cockpit::theLeftFuelGauge.needle, 0);
}

}  // namespace
