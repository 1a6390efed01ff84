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

#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_layouts.h"
#include "cockpit/panel_redraw.h"
#include "core/resource_volume.h"
#include "flight/aircraft.h"
#include "flight/flight_world_services.h"
#include "gfx/bitmap.h"
#include "gfx/dd_surface_modes.h"
#include "gfx/display_test_support.h"
#include "gfx/font.h"
#include "installed_art.h"
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

// The C172 panel in views 0 and 1 from the compass down, as 8-bit pictures in the panel's
// daylight palette. ZEPHLON_UPDATE_GOLDEN=1 rewrites tests/golden/cockpit_c172_view*.bmp after a
// deliberate change of the art or of the drawing.
TEST_F(PanelPaint, C172PanelMatchesItsGoldenPictures) {
    flight::theAircraft.SelectByType(0);
    cockpit::theHsiGauge.compassFrame = 36;  // east
    core::ResourceVolume palettes((Install() + "/Art/Palettes.Vol").c_str(),
                                  (Install() + "/Art/Palettes").c_str(), 0);
    ASSERT_TRUE(palettes.OpenFile("s_pnl0.pal"));
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

    testsupport::TempFolder dir("zephlon-golden");
    for (int view : {0, 1}) {
        PaintFresh(view);
        cockpit::PanelRegion region;
        ASSERT_TRUE(cockpit::PanelRegionFor(0, view, &region));
        const int top = region.compass.top;
        const std::vector<std::uint8_t> rows = Rows(gfx::GetDrawSurface(), top);
        std::unique_ptr<gfx::GFXBitmap> picture = gfx::GFXBitmap::Create(640, 480 - top, 8);
        ASSERT_TRUE(picture);
        for (int y = 0; y < 480 - top; ++y)
            std::memcpy(picture->Row(y), rows.data() + static_cast<std::size_t>(y) * 640, 640);
        picture->palette = std::make_unique<gfx::GFXPalette>();
        std::copy(palette->entries, palette->entries + 256, picture->palette->entries);
        const std::string made = dir.Path("view.bmp");
        ASSERT_EQ(picture->Save(made, gfx::kBitmapWriteBmp), 1);
        const std::string bytes = dir.Read("view.bmp");

        const std::string golden = std::string(ZEPHLON_SOURCE_DIR) +
                                   "/tests/golden/cockpit_c172_view" + std::to_string(view) +
                                   ".bmp";
        if (std::getenv("ZEPHLON_UPDATE_GOLDEN") != nullptr) {
            std::ofstream(golden, std::ios::binary) << bytes;
            continue;
        }
        std::ifstream in(golden, std::ios::binary);
        ASSERT_TRUE(in) << "missing " << golden << " (run with ZEPHLON_UPDATE_GOLDEN=1)";
        std::stringstream expected;
        expected << in.rdbuf();
        EXPECT_TRUE(expected.str() == bytes) << "view " << view << " differs from " << golden;
    }
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
