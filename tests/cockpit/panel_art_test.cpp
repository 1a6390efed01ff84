// The panel art the starter installation ships: every member of the five types' slot columns, their
// panels and cockpit pictures load through the program's readers, keep to the panel's palette
// rules, needle frames point where their number says, and the jet's engine readouts are named.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_gauge.h"
#include "cockpit/panel_layouts.h"
#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "installed_art.h"
#include "support/panel_art.h"
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

// An outside check of the airspeed dials: each type's handbook speeds sit where the airspeed
// formula, written here from the handbook's own numbers, puts the needle. White-arc, green-arc,
// yellow-arc and red-line colours are found at those angles on the shipped panels.
namespace oracle {

// The needle's angle (degrees clockwise from up) for an indicated airspeed in the readout's knots.
double AirspeedAngle(int type, double knots) {
    double frame = 1;
    if (type == 0) {
        const double k = std::floor(knots);
        if (k <= 30) frame = std::trunc(k * 0.4666667 + 0.5);
        else if (k <= 40) frame = std::trunc((k - 30) * 0.7000007 + 14.5);
        else if (k <= 60) frame = std::trunc((k - 40) * 1.1500003 + 21.5);
        else if (k <= 90) frame = std::trunc((k - 60) * 1.3333333 + 44.5);
        else frame = std::trunc(k - 90 + 84.5);
    } else {
        const double n = std::floor(knots / 2);
        if (type == 1) frame = (n <= 20 ? std::floor(n * 2 / 5) : n * 2 - 32) + 1;
        else if (type == 2) frame = (n <= 20 ? std::trunc(n * 0.5) : std::trunc((n - 20) * 1.41 + 10)) + 1;
        else frame = n < 20 ? std::trunc(n * 0.55005501) : std::trunc((n - 20) * 1.1976048 + 11.5);
    }
    frame = std::clamp(frame, 1.0, 180.0);
    return (frame - 1) * 2.0;
}

struct Mark {
    double knots;
    char colour;  // w white, g green, y yellow, r red
};
struct Dial {
    const char* panel;
    const char* palette;
    int x, y;  // the pivot in panel rows
    std::vector<Mark> marks;
};

}  // namespace oracle

TEST_F(ShippedArt, AirspeedDialsAreGraduatedForTheHandbookSpeeds) {
    core::ResourceVolume palettes((Install() + "/Art/Palettes.Vol").c_str(),
                                  (Install() + "/Art/Palettes").c_str(), 0);
    const oracle::Dial dials[5] = {
        {"172panel.bmp", "s_pnl0.pal", 60, 239 - 157, {{60, 'g'}, {100, 'g'}, {145, 'y'}, {160, 'r'}, {60, 'w'}}},
        {"b_panel.bmp", "b_pnl0.pal", 65, 230 - 157, {{80, 'g'}, {150, 'g'}, {185, 'y'}, {205, 'r'}, {80, 'w'}}},
        {"ba_pnl.bmp", "ba_pnl0.pal", 61, 231 - 150, {{120, 'g'}, {180, 'g'}, {210, 'y'}, {223, 'r'}, {84, 'r'}}},
        {"k_pnl.bmp", "k_pnl0.pal", 51, 228 - 150, {{100, 'w'}, {140, 'w'}, {86, 'r'}}},
        {"j_pnl.bmp", "j_pnl0.pal", 51, 186 - 109, {{100, 'w'}, {150, 'w'}}},
    };
    for (int type = 0; type < 5; ++type) {
        const oracle::Dial& d = dials[type];
        std::unique_ptr<gfx::GFXBitmap> b = panel->LoadBitmap(d.panel, 0);
        ASSERT_TRUE(b) << d.panel;
        ASSERT_TRUE(palettes.OpenFile(d.palette)) << d.palette;
        std::vector<std::uint32_t> pal;
        char line[257];
        for (int i = 0; i < 3; ++i)
            palettes.ReadLine(line, sizeof line);
        while (pal.size() < 256 && palettes.ReadLine(line, sizeof line) != nullptr) {
            unsigned r = 0, g = 0, bl = 0;
            std::sscanf(line, "%u %u %u", &r, &g, &bl);
            pal.push_back((r << 16) | (g << 8) | bl);
        }
        palettes.CloseFile();
        ASSERT_EQ(pal.size(), 256u);
        auto colourAt = [&](double angle, double radius) {
            const double a = angle * 3.14159265358979 / 180.0;
            const int x = static_cast<int>(std::lround(d.x + 0.5 + radius * std::sin(a) - 0.5));
            const int y = static_cast<int>(std::lround(d.y + 0.5 - radius * std::cos(a) - 0.5));
            const std::uint32_t c = pal[b->Row(y)[x]];
            const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, bl = c & 0xFF;
            if (r > 200 && g > 200 && bl > 200) return 'w';
            if (g > r + 60 && g > bl + 60) return 'g';
            if (r > 200 && g > 150 && bl < 100) return 'y';
            if (r > g + 100 && r > bl + 100) return 'r';
            return '?';
        };
        const int radius = type >= 3 ? 42 : 46;
        for (const oracle::Mark& m : d.marks) {
            const double angle = oracle::AirspeedAngle(type, m.knots);
            // Arcs lie within a few pixels inside the rim; lines reach the rim.
            bool found = false;
            for (double r = radius - 7; r <= radius - 1 && !found; r += 0.5)
                for (double da = -2.5; da <= 2.5 && !found; da += 0.5)
                    found = colourAt(angle + da, r) == m.colour;
            EXPECT_TRUE(found) << d.panel << " " << m.knots << " kt '" << m.colour << "' at "
                               << angle << " degrees";
        }
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

// The jet's engine readouts stand in pairs, each pair over its own quantity's tapes and named just
// above it: N1 over the fan speeds' tapes, ITT over the turbine temperatures', FF (fuel flow) over
// the fuel's. None stands over another quantity's tapes unnamed.
TEST(JetReadouts, EachPairIsNamedOverItsOwnTapes) {
    int status = -1;
    const std::vector<testsupport::PanelLayout> layouts = testsupport::ReadPanelLayouts(&status);
    if (status != 0 || layouts.size() < 5) GTEST_SKIP() << "the data maker is not built";
    using namespace cockpit;
    struct Pair {
        const PanelGauge* readouts[2];
        const PanelGauge* tapes[2];
        const char* name;
    };
    const Pair kPairs[] = {
        {{&theTachometer1, &theTachometer2}, {&theTachometer1, &theTachometer2}, "N1"},
        {{&thePropPitchLever, &thePropPitchLever2},
         {&theExhaustTempGauge, &theExhaustTempGauge2},
         "ITT"},
        {{&theEnginePowerGauge, &theEnginePowerGauge2},
         {&theLeftFuelGauge, &theRightFuelGauge},
         "FF"}};
    int count = 0;
    const PanelRow* rows = PanelRowsOf(4, &count);
    auto rowOf = [&](const PanelGauge* g, PanelOp op) {
        for (int i = 0; i < count; ++i)
            if (rows[i].gauge == g && rows[i].op == op) return &rows[i];
        return static_cast<const PanelRow*>(nullptr);
    };
    const int offset = PanelOffsetFor(4, 0);
    for (const Pair& p : kPairs) {
        const PanelRow* left = rowOf(p.readouts[0], PanelOp::EngineReadout);
        const PanelRow* right = rowOf(p.readouts[1], PanelOp::EngineReadout);
        const PanelRow* tapeLeft = rowOf(p.tapes[0], PanelOp::TapeGauge);
        const PanelRow* tapeRight = rowOf(p.tapes[1], PanelOp::TapeGauge);
        ASSERT_TRUE(left && right && tapeLeft && tapeRight) << p.name;
        // Three digits of 5 pixels each, filling the 6 rows above the text point.
        const int windowLeft = left->x, windowRight = right->x + 14,
                  windowTop = left->y + offset - 6;
        const double middle = (windowLeft + windowRight) / 2.0;
        EXPECT_GT(middle, tapeLeft->x) << p.name << " readouts stand beside their tapes";
        EXPECT_LT(middle, tapeRight->x + 1) << p.name << " readouts stand beside their tapes";
        bool named = false;
        for (const testsupport::LayoutBox& t : layouts[4].texts)
            named =
                named || (t.what == p.name && t.bottom < windowTop && t.bottom >= windowTop - 6 &&
                          t.left >= windowLeft && t.right <= windowRight);
        EXPECT_TRUE(named) << "no " << p.name << " above the readouts at " << windowLeft << ".."
                           << windowRight;
    }
}

}  // namespace
