// The starter installation's GPS bezels: each measures to the borders its maker drew, its ten
// buttons lie where their ids are found, and the C172's window frame with its button bar is a
// golden picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "cockpit/gps_display.h"
#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "installed_art.h"
#include "support/golden_image.h"

namespace {

using cockpit::GpsDisplay;
using cockpittest::Install;

TEST(GpsBezelInstalled, EachBezelMeasuresToItsDrawing) {
    if (!std::filesystem::exists(Install() + "/Art/Panel.Vol"))
        GTEST_SKIP() << "no starter installation";
    core::ResourceVolume panel((Install() + "/Art/Panel.Vol").c_str(),
                               (Install() + "/Art/Panel").c_str(), 0);
    const struct {
        int left, right, top, bottom;
        int buttonWidth, buttonHeight;
    } drawn[5] = {{10, 10, 16, 26, 20, 14},
                  {9, 9, 14, 26, 20, 14},
                  {11, 11, 18, 28, 20, 16},
                  {12, 12, 16, 26, 20, 14},
                  {10, 10, 20, 28, 22, 16}};
    for (int type = 0; type < 5; ++type) {
        const char* name = cockpit::kGpsBezelFiles[type];
        std::unique_ptr<gfx::GFXBitmap> b = panel.LoadBitmap(name, 0);
        ASSERT_TRUE(b && b->bitsPerPixel == 8) << name;
        const cockpit::GpsBezel bezel =
            cockpit::CutGpsBezel(b->pixels, b->width, std::abs(b->height), b->stride);
        EXPECT_EQ(bezel.left, drawn[type].left) << name;
        EXPECT_EQ(bezel.right, drawn[type].right) << name;
        EXPECT_EQ(bezel.top, drawn[type].top) << name;
        EXPECT_EQ(bezel.bottom, drawn[type].bottom) << name;
        for (int id = 6; id <= 24; id += 2) {
            EXPECT_EQ(bezel.images[id].w, drawn[type].buttonWidth) << name << " " << id;
            EXPECT_EQ(bezel.images[id + 1].w, drawn[type].buttonWidth) << name << " " << id;
            EXPECT_EQ(bezel.images[id].h, drawn[type].buttonHeight) << name << " " << id;
        }
        GpsDisplay g;
        g.SetBezel(bezel);
        g.SetWindowRect(0, 0, 256, 256);
        for (int id = 6; id <= 24; id += 2) {
            const cockpit::GpsRect& r = g.ButtonRect(id);
            EXPECT_EQ(g.ButtonAt((r.left + r.right) / 2, (r.top + r.bottom) / 2), id) << name;
            // Inside the bottom border.
            EXPECT_GE(r.top, 256 - bezel.bottom) << name;
            EXPECT_LE(r.bottom, 256) << name;
        }
    }
}

// Type 5 has no bezel of its own and shows the C172's; a panel folder without bezels gives
// borders 0.
TEST(GpsBezelInstalled, TypeFiveAndMissingBezels) {
    if (!std::filesystem::exists(Install() + "/Art/Panel.Vol"))
        GTEST_SKIP() << "no starter installation";
    core::thePanelVolume.SetNames((Install() + "/Art/Panel.Vol").c_str(),
                                  (Install() + "/Art/Panel").c_str(), 0);
    GpsDisplay g;
    g.LoadBezel(5);
    EXPECT_EQ(g.Bezel().left, 10);
    EXPECT_EQ(g.Bezel().bottom, 26);
    g.LoadBezel(2);
    EXPECT_EQ(g.Bezel().top, 18);
    core::thePanelVolume.SetNames(nullptr, (Install() + "/NoSuchFolder").c_str(), 0);
    g.LoadBezel(4);
    EXPECT_EQ(g.Bezel().left, 0);
    EXPECT_EQ(g.Bezel().images[6].w, 0);
    core::thePanelVolume.SetNames("Art\\Panel.Vol", "Art\\Panel", 0);
}

TEST(GpsBezelInstalled, C172FrameAndButtonsGolden) {
    if (!std::filesystem::exists(Install() + "/Art/Panel.Vol"))
        GTEST_SKIP() << "no starter installation";
    core::ResourceVolume panel((Install() + "/Art/Panel.Vol").c_str(),
                               (Install() + "/Art/Panel").c_str(), 0);
    std::unique_ptr<gfx::GFXBitmap> b = panel.LoadBitmap("172gps.bmp", gfx::kBitmapKeepPalette);
    ASSERT_TRUE(b && b->palette);
    GpsDisplay g;
    g.SetBezel(cockpit::CutGpsBezel(b->pixels, b->width, std::abs(b->height), b->stride));
    g.SetWindowRect(0, 0, 300, 200);  // wider and shorter than the bitmap: strips tile
    g.PressButton(cockpit::kGpsZoomIn);
    g.DrawFrame(true);
    g.DrawButtonBar();  // NRST down for the mode, IN for the press
    testsupport::IndexedImage image;
    image.width = g.Width();
    image.height = g.Height();
    image.pixels = g.Page();
    for (int i = 0; i < 256; ++i) {
        const gfx::GFXPaletteEntry& e = b->palette->entries[i];
        image.colours[static_cast<std::size_t>(i)] =
            static_cast<std::uint32_t>(e.red) << 16 | e.green << 8 | e.blue;
    }
    EXPECT_EQ(testsupport::CompareGolden("gps_bezel_c172.bmp", image), "");
}

}  // namespace
