// The panel art the starter installation ships: every member of the five types' slot columns, their
// panels and cockpit pictures load through the program's readers, keep to the panel's palette
// rules, and needle frames point where their number says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cockpit/cockpit_systems.h"
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

// Each type's backgrounds and pictures besides its slot members.
struct TypeArt {
    const char* panel;
    int panelRows;
    const char* low;
    int lowRows;
    const char* second;
    const char* crash;
    const char* prefix;
};
constexpr TypeArt kTypeArt[5] = {
    {"172panel.bmp", 309, "172lopan.bmp", 265, nullptr, "172_Crsh.bmp", "172_"},
    {"b_panel.bmp", 287, "b_lwpnl.bmp", 245, nullptr, "Bon_Crsh.bmp", "bon_"},
    {"ba_pnl.bmp", 330, nullptr, 0, "ba_swap.bmp", "Bar_Crsh.bmp", "bar_"},
    {"k_pnl.bmp", 330, nullptr, 0, "kin_gps.bmp", "Kng_Crsh.bmp", "kin_"},
    {"j_pnl.bmp", 337, nullptr, 0, "cit_gps.bmp", "Cit_Crsh.bmp", "cit_"},
};

TEST_F(ShippedArt, EveryTypesMembersLoadAndKeepToThePanelColours) {
    for (int type = 0; type < 5; ++type) {
        int members = 0;
        for (const cockpit::PanelArtSlot& slot : cockpit::thePanelArtSlots) {
            const char* name = slot.members[type];
            if (name == nullptr) continue;
            ++members;
            if (slot.isFont) {
                std::unique_ptr<gfx::GFXFont> f = panel->LoadFont(name);
                ASSERT_TRUE(f) << name;
                ASSERT_GT(f->count, 1) << name;
                for (int i = 0; i < f->count; ++i)
                    EXPECT_EQ(ForeignPixels(*f->bitmaps[static_cast<std::size_t>(i)]), 0)
                        << name << i;
            } else {
                std::unique_ptr<gfx::GFXBitmap> b = panel->LoadBitmap(name, 0);
                ASSERT_TRUE(b) << name;
                EXPECT_EQ(b->bitsPerPixel, 8) << name;
                EXPECT_EQ(ForeignPixels(*b), 0) << name;
            }
        }
        EXPECT_GE(members, 18) << type;
        const TypeArt& a = kTypeArt[type];
        std::vector<std::tuple<core::ResourceVolume*, std::string, int, int>> pictures = {
            {panel.get(), a.panel, 640, a.panelRows}, {panel.get(), a.crash, 0, 0},
            {panel.get(), "cracked.bmp", 640, 480}};
        if (a.low != nullptr) pictures.emplace_back(panel.get(), a.low, 640, a.lowRows);
        if (a.second != nullptr) pictures.emplace_back(panel.get(), a.second, type == 2 ? 157 : 0, 151);
        for (const char* side : {"f", "fl", "l", "bl", "b", "br", "r", "fr"})
            pictures.emplace_back(cockpitArt.get(), std::string(a.prefix) + side + ".bmp", 640, 480);
        for (const auto& [volume, name, w, h] : pictures) {
            std::unique_ptr<gfx::GFXBitmap> b = volume->LoadBitmap(name, 0);
            ASSERT_TRUE(b) << name;
            EXPECT_EQ(ForeignPixels(*b), 0) << name;
            if (w != 0) {
                EXPECT_EQ(b->width, w) << name;
                EXPECT_EQ(std::abs(b->height), h) << name;
            }
        }
    }
}

TEST_F(ShippedArt, PanelsHoldTransparencyOnlyInsideTheAttitudeWindow) {
    for (int type = 0; type < 5; ++type) {
        const cockpit::AttitudeLayout l = cockpit::AttitudeLayoutForType(type);
        // The piston types' window counts from the panel top, the turbines' from the screen top.
        const int top = type <= 2 ? 0 : (type == 3 ? 150 : 143);
        for (const char* name : {kTypeArt[type].panel, kTypeArt[type].low}) {
            if (name == nullptr) continue;
            std::unique_ptr<gfx::GFXBitmap> b = panel->LoadBitmap(name, 0);
            ASSERT_TRUE(b) << name;
            int inside = 0, outside = 0;
            for (int y = 0; y < std::abs(b->height); ++y)
                for (int x = 0; x < b->width; ++x) {
                    if (b->Row(y)[x] != 0) continue;
                    const bool in = x >= l.c && x <= l.e && y >= l.d - top && y <= l.f - top;
                    (in ? inside : outside) += 1;
                }
            EXPECT_GT(inside, 5000) << name;
            EXPECT_EQ(outside, 0) << name;
        }
    }
}

// An outside reader agrees: ImageMagick's identify reads every shipped picture as an 8-bit
// palette BMP.
TEST_F(ShippedArt, IdentifyReadsEveryPictureAsEightBit) {
    if (testsupport::RunCommand("command -v identify >/dev/null 2>&1").status != 0)
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    testsupport::TempFolder dir("zephlon-identify");
    std::vector<std::pair<core::ResourceVolume*, std::string>> pictures;
    for (int type = 0; type < 5; ++type) {
        for (const cockpit::PanelArtSlot& slot : cockpit::thePanelArtSlots)
            if (!slot.isFont && slot.members[type] != nullptr)
                pictures.emplace_back(panel.get(), slot.members[type]);
        const TypeArt& a = kTypeArt[type];
        for (const char* name : {a.panel, a.low, a.second, a.crash})
            if (name != nullptr) pictures.emplace_back(panel.get(), name);
        pictures.emplace_back(cockpitArt.get(), std::string(a.prefix) + "f.bmp");
    }
    pictures.emplace_back(panel.get(), "cracked.bmp");
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

// The farthest opaque pixel of needle frame n lies at (n - 1) x 2 degrees from the anchor (the
// piston altimeters' thousand hands at (n - 2) x 2).
TEST_F(ShippedArt, NeedleFramesPointWhereTheirNumberSays) {
    const struct {
        const char* name;
        int first;
    } sets[] = {{"172needs.pft", 1}, {"172small.pft", 1}, {"17210ndl.pft", 1}, {"172fat.pft", 2},
                {"b_lngndl.pft", 1}, {"b_fatndl.pft", 2}, {"ba_smlnd.pft", 1}, {"ba_fatnd.pft", 2},
                {"k_lngnd.pft", 1},  {"k_altndl.pft", 1}, {"j_lngndl.pft", 1}, {"j_altndl.pft", 1}};
    for (const auto& set : sets) {
        const char* name = set.name;
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
            double diff = std::fmod(angle - (n - set.first) * 2.0 + 720.0, 360.0);
            if (diff > 180) diff -= 360;
            EXPECT_LE(std::abs(diff), 1.5) << name << " frame " << n;
        }
    }
}

}  // namespace
