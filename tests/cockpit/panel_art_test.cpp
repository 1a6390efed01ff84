// The panel art the starter installation ships: every member of the C172's slot column and its
// cockpit pictures load through the program's readers, keep to the panel's palette rules, and
// needle frames point where their number says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cockpit/panel_art.h"
#include "cockpit/panel_gauge.h"
#include "cockpit/panel_layouts.h"
#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "installed_art.h"
#include "support/run_command.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

using cockpittest::Install;

class ShippedArt : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(Install() + "/Art/Panel.Vol")) GTEST_SKIP() << "no starter installation";
        panel = std::make_unique<core::ResourceVolume>(
            (Install() + "/Art/Panel.Vol").c_str(), (Install() + "/Art/Panel").c_str(), 0);
        cockpitArt = std::make_unique<core::ResourceVolume>(
            (Install() + "/Art/Cockpit.Vol").c_str(), (Install() + "/Art/Cockpit").c_str(), 0);
    }
    std::unique_ptr<core::ResourceVolume> panel;
    std::unique_ptr<core::ResourceVolume> cockpitArt;
};

// 0 is transparent, 10..73 the panel's own colours; nothing else may appear.
int ForeignPixels(const gfx::GFXBitmap& b) {
    int bad = 0;
    for (int y = 0; y < std::abs(b.height); ++y)
        for (int x = 0; x < b.width; ++x) {
            const int v = b.Row(y)[x];
            bad += (v != 0 && (v < 10 || v > 73)) ? 1 : 0;
        }
    return bad;
}

TEST_F(ShippedArt, EveryC172MemberLoadsAndKeepsToThePanelColours) {
    int members = 0;
    for (const cockpit::PanelArtSlot& slot : cockpit::thePanelArtSlots) {
        const char* name = slot.members[0];
        if (name == nullptr) continue;
        ++members;
        if (slot.isFont) {
            std::unique_ptr<gfx::GFXFont> f = panel->LoadFont(name);
            ASSERT_TRUE(f) << name;
            ASSERT_GT(f->count, 1) << name;
            for (int i = 0; i < f->count; ++i)
                EXPECT_EQ(ForeignPixels(*f->bitmaps[static_cast<std::size_t>(i)]), 0) << name << i;
        } else {
            std::unique_ptr<gfx::GFXBitmap> b = panel->LoadBitmap(name, 0);
            ASSERT_TRUE(b) << name;
            EXPECT_EQ(b->bitsPerPixel, 8) << name;
            EXPECT_EQ(ForeignPixels(*b), 0) << name;
        }
    }
    EXPECT_EQ(members, 21);
    const struct {
        core::ResourceVolume* volume;
        const char* name;
        int w, h;
    } pictures[] = {{panel.get(), "172panel.bmp", 640, 309}, {panel.get(), "172lopan.bmp", 640, 265},
                    {panel.get(), "172_Crsh.bmp", 0, 0},      {panel.get(), "cracked.bmp", 640, 480},
                    {cockpitArt.get(), "172_f.bmp", 640, 480}, {cockpitArt.get(), "172_fl.bmp", 0, 0},
                    {cockpitArt.get(), "172_l.bmp", 0, 0},     {cockpitArt.get(), "172_bl.bmp", 0, 0},
                    {cockpitArt.get(), "172_b.bmp", 0, 0},     {cockpitArt.get(), "172_br.bmp", 0, 0},
                    {cockpitArt.get(), "172_r.bmp", 0, 0},     {cockpitArt.get(), "172_fr.bmp", 0, 0}};
    for (const auto& p : pictures) {
        std::unique_ptr<gfx::GFXBitmap> b = p.volume->LoadBitmap(p.name, 0);
        ASSERT_TRUE(b) << p.name;
        EXPECT_EQ(ForeignPixels(*b), 0) << p.name;
        if (p.w != 0) {
            EXPECT_EQ(b->width, p.w) << p.name;
            EXPECT_EQ(std::abs(b->height), p.h) << p.name;
        }
    }
}

TEST_F(ShippedArt, PanelsHoldTransparencyOnlyInsideTheAttitudeWindow) {
    for (const char* name : {"172panel.bmp", "172lopan.bmp"}) {
        std::unique_ptr<gfx::GFXBitmap> b = panel->LoadBitmap(name, 0);
        ASSERT_TRUE(b) << name;
        int inside = 0, outside = 0;
        for (int y = 0; y < std::abs(b->height); ++y)
            for (int x = 0; x < b->width; ++x) {
                if (b->Row(y)[x] != 0) continue;
                // The window of the attitude layout (rows from the panel top).
                const bool in = x >= 123 && x <= 235 && y >= 10 && y <= 116;
                (in ? inside : outside) += 1;
            }
        EXPECT_GT(inside, 5000) << name;
        EXPECT_EQ(outside, 0) << name;
    }
}

// An outside reader agrees: ImageMagick's identify reads every shipped C172 picture as an 8-bit
// palette BMP.
TEST_F(ShippedArt, IdentifyReadsEveryPictureAsEightBit) {
    if (testsupport::RunCommand("command -v identify >/dev/null 2>&1").status != 0)
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    testsupport::TempFolder dir("zephlon-identify");
    std::vector<std::pair<core::ResourceVolume*, std::string>> pictures;
    for (const cockpit::PanelArtSlot& slot : cockpit::thePanelArtSlots)
        if (!slot.isFont && slot.members[0] != nullptr) pictures.emplace_back(panel.get(), slot.members[0]);
    for (const char* name : {"172panel.bmp", "172lopan.bmp", "172_Crsh.bmp", "cracked.bmp"})
        pictures.emplace_back(panel.get(), name);
    for (const char* name : {"172_f.bmp", "172_fl.bmp", "172_l.bmp", "172_bl.bmp", "172_b.bmp",
                             "172_br.bmp", "172_r.bmp", "172_fr.bmp"})
        pictures.emplace_back(cockpitArt.get(), name);
    for (const auto& [volume, name] : pictures) {
        const std::string bytes = cockpittest::MemberBytes(*volume, name);
        ASSERT_FALSE(bytes.empty()) << name;
        dir.Write(name, bytes);
        const testsupport::CommandResult r = testsupport::RunCommand(
            "identify -format '%m %z %r' '" + dir.Path(name) + "' 2>&1");
        EXPECT_EQ(r.status, 0) << name << ": " << r.out;
        EXPECT_EQ(r.out.rfind("BMP", 0), 0u) << name << ": " << r.out;
        EXPECT_NE(r.out.find(" 8 PseudoClass"), std::string::npos) << name << ": " << r.out;
    }
}

// The farthest opaque pixel of needle frame n lies at (n - 1) x 2 degrees from the anchor.
TEST_F(ShippedArt, NeedleFramesPointWhereTheirNumberSays) {
    for (const char* name : {"172needs.pft", "172small.pft", "17210ndl.pft", "172fat.pft"}) {
        std::unique_ptr<gfx::GFXFont> f = panel->LoadFont(name);
        ASSERT_TRUE(f) << name;
        ASSERT_EQ(f->count, cockpit::kNeedleFrames + 1) << name;
        for (int n = 1; n <= cockpit::kNeedleFrames; n += 7) {
            const gfx::GFXBitmap* b = cockpit::FrameBitmap(f.get(), n);
            ASSERT_NE(b, nullptr);
            cockpit::IntPoint anchor;
            ASSERT_TRUE(cockpit::FrameAnchor(f.get(), n, &anchor));
            double best = -1, angle = 0;
            for (int y = 0; y < b->height; ++y)
                for (int x = 0; x < b->width; ++x) {
                    if (b->Row(y)[x] == 0) continue;
                    const double dx = x + 0.5 - (anchor.x + 0.5), dy = y + 0.5 - (anchor.y + 0.5);
                    const double d = std::hypot(dx, dy);
                    if (d > best) best = d, angle = std::atan2(dx, -dy) * 180.0 / 3.14159265358979;
                }
            double diff = std::fmod(angle - cockpit::NeedleFrameDegrees(n) + 720.0, 360.0);
            if (diff > 180) diff -= 360;
            EXPECT_LE(std::abs(diff), 1.5) << name << " frame " << n;
        }
    }
}

}  // namespace
