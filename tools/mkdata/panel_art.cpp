// The panel art of the five aircraft, drawn by code: each type's panel backgrounds (dials
// graduated where its instrument formulas point the needles for its published markings), every
// member of its art slots, its crash picture, and its forward frame and side views in the cockpit
// volume. Instruments sit at the positions of the cockpit's own panel tables, and needle and card
// frames follow the cockpit's frame rules.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cockpit/panel_art.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/panel_faces.h"
#include "tools/mkdata/panel_kit.h"
#include "tools/mkdata/panel_sprites.h"
#include "tools/mkdata/panel_strips.h"

namespace mkdata {

namespace {

constexpr const char* kPanelVolume = "Art\\Panel.Vol";
constexpr const char* kCockpitVolume = "Art\\Cockpit.Vol";

// The maker of each art slot's member for a type (by the slot's name).
Bytes SlotMember(const std::string& slot, int type) {
    const bool turbine = type >= 3;
    if (slot == "theAltimeterStripArt") return BaroStripBytes(type);
    if (slot == "theAltimeterLowFlagArt") return LowFlagStripBytes(type);
    if (slot == "theAltimeterCounterArt") return DrumStripBytes(type);
    if (slot == "theCompassArt") return CompassFrameBytes(type);
    if (slot == "theCompassCardArt") return CompassTapeBytes(type);
    if (slot == "theGearKnobArt") return GearKnobBytes(type);
    if (slot == "theLeverKnobArt") return BonanzaQuadrantBytes(type);
    if (slot == "theFlapsArt") return FlapsArtBytes(type);
    if (slot == "theSwitchArt") return SwitchArtBytes(type);
    if (slot == "theIgnitionKeyArt") return KeyArtBytes(type);
    if (slot == "theHourMeterArt") return HourMeterBytes(type);
    if (slot == "theAutopilotArt") return AutopilotArtBytes(type);
    if (slot == "theAudioPanelArt") return AudioArtBytes(type);
    if (slot == "thePanelFont") return PanelDigitBytes(type);
    if (slot == "theJetReadoutFont") return SmallDigitBytes(type, true, false);
    if (slot == "theBaroFont") return SmallDigitBytes(type, true, false);
    if (slot == "theLongNeedleFont")
        return NeedleSetBytes(type, NeedleShape::Pointer, turbine ? 36 : 40, 2.6);
    if (slot == "theSmallNeedleFont") return NeedleSetBytes(type, NeedleShape::Pointer, 26, 2.0);
    if (slot == "theTenThousandNeedleFont")
        return NeedleSetBytes(type, NeedleShape::TenThousand, 44, 1.0);
    if (slot == "theFatNeedleFont")
        return turbine ? NeedleSetBytes(type, NeedleShape::Pointer, 36, 2.2)
                       : NeedleSetBytes(type, NeedleShape::Hand, 27, 3.5, 2);
    if (slot == "theHeadingCardFont") return HeadingCardBytes(type, turbine ? 42 : 44);
    if (slot == "theHsiTextFont") return SmallDigitBytes(type, true, true);
    if (slot == "theNavCardFont") return NavCardBytes(type, turbine ? 40 : 44);
    if (slot == "theTurnFont") return TurnSetBytes(type, !turbine);
    if (slot == "theAttitudeRingFont") return AttitudeRingBytes(type, 44);
    if (slot == "theAttitudeCardFont")
        return turbine ? DirectorCardBytes(type, 87) : AttitudePitchBytes(type);
    if (slot == "theMiscSpriteFont") return MiscSetBytes(type, turbine ? 42 : 44);
    if (slot == "theSynchroscopeFont") return SynchroscopeBytes(type);
    return {};
}

Bytes CrashPicture(int type) {
    const Inks k{type};
    auto b = NewPanelBitmap(320, 200, k(Ink::SkyArt));
    Canvas c(*b);
    for (int y = 80; y < 200; ++y) c.Fill(0, y, 319, y, k(Ink::GroundArt));
    // A wing and a broken fuselage; the twins and the jet show a second engine.
    c.Line(40, 150, 280, 110, 14, k(Ink::White));
    c.Line(150, 90, 190, 170, 10, k(Ink::GreyLight));
    c.Line(40, 150, 70, 185, 6, k(Ink::Red));
    if (type >= 2) c.Disc(110, 138, 9, k(Ink::GreyDark));
    c.TextCentred(160, 30, "CRASH", k(Ink::Red), 4);
    return PanelBmpBytes(*b, type);
}

Bytes Cracks() {
    const Inks k{0};
    auto b = NewPanelBitmap(640, 480, 0);
    Canvas c(*b);
    const double cx = 250, cy = 170;
    for (int i = 0; i < 11; ++i) {
        double x, y;
        Polar(cx, cy, 120 + 37 * (i % 4), i * 33.0 + 7, &x, &y);
        c.Line(cx, cy, x, y, 1.2, k(Ink::White));
    }
    c.Ring(cx, cy, 30, 31.5, k(Ink::White));
    c.Ring(cx, cy, 70, 71, k(Ink::GreyLight));
    return PanelBmpBytes(*b, 0);
}

// The cockpit frames: posts, roof and glare shield round windows of index 0.
Bytes CockpitFrame(int type, int direction) {
    const Inks k{type};
    auto b = NewPanelBitmap(640, 480, 0);
    Canvas c(*b);
    const bool highWing = type == 0;
    c.Fill(0, 0, 639, highWing ? 40 : 24, k(Ink::PaintShadow));
    if (direction == 0) {
        c.Fill(0, 380, 639, 479, k(Ink::Paint));
        c.Line(120, 30, 40, 380, type >= 3 ? 34 : 26, k(Ink::PaintShadow));
        c.Line(520, 30, 600, 380, type >= 3 ? 34 : 26, k(Ink::PaintShadow));
        // The windscreen's centre post of the turbines; the framed view shows no compass
        // (the panel views do), so the windscreen is clear in the middle.
        if (type >= 3) c.Line(320, 24, 320, 380, 10, k(Ink::PaintShadow));
    } else {
        c.Fill(0, 330 + direction * 4, 639, 479, k(Ink::PaintShadow));
        const int post = direction <= 4 ? 80 + direction * 60 : 600 - (direction - 4) * 60;
        c.Line(post, 30, post + 10, 340, 30, k(Ink::PaintDark));
        if (highWing)
            c.Line(0, 300, 639, 280, 6, k(Ink::PaintDark));  // the wing strut
        else if (direction == 2 || direction == 6)
            c.Fill(0, 360, 639, 380, k(Ink::White));  // the low wing below the window
        if (type >= 2 && (direction == 2 || direction == 6))
            c.Disc(direction == 2 ? 420 : 220, 350, 30, k(Ink::GreyLight));  // the engine nacelle
    }
    return PanelBmpBytes(*b, type);
}

struct TypeFiles {
    const char* panel;
    const char* low;        // low-panel view (rows of the full panel)
    int lowRows;
    const char* second;     // the Baron's swapped gauges, the turbines' GPS stack
    const char* crash;
    const char* sidePrefix;
};
constexpr TypeFiles kFiles[5] = {
    {"172panel.bmp", "172lopan.bmp", 265, nullptr, "172_Crsh.bmp", "172_"},
    {"b_panel.bmp", "b_lwpnl.bmp", 245, nullptr, "Bon_Crsh.bmp", "bon_"},
    {"ba_pnl.bmp", nullptr, 0, "ba_swap.bmp", "Bar_Crsh.bmp", "bar_"},
    {"k_pnl.bmp", nullptr, 0, "kin_gps.bmp", "Kng_Crsh.bmp", "kin_"},
    {"j_pnl.bmp", nullptr, 0, "cit_gps.bmp", "Cit_Crsh.bmp", "cit_"},
};

}  // namespace

int MakePanelArt(Installation& installation, std::string* error) {
    std::map<std::string, bool> made;
    auto add = [&](const char* volume, const std::string& name, Bytes bytes) {
        if (bytes.empty()) {
            *error = "cannot make " + name;
            return false;
        }
        installation.AddMember(volume, name, std::move(bytes));
        made[name] = true;
        return true;
    };
    for (int type = 0; type < 5; ++type) {
        const TypeFiles& f = kFiles[type];
        std::string fault;
        auto panel = PanelBackground(type, PanelView::Full, &fault);
        if (!panel) {
            *error = "cannot make the panel of type " + std::to_string(type) + ": " + fault;
            return 0;
        }
        if (f.low != nullptr) {
            // The lower view shows the panel's top rows, without the controls it leaves out.
            auto lower = PanelBackground(type, PanelView::Lower, &fault);
            if (!lower) {
                *error = "cannot make the lower panel of type " + std::to_string(type) + ": " + fault;
                return 0;
            }
            auto low = TopRows(*lower, f.lowRows);
            if (!add(kPanelVolume, f.low, PanelBmpBytes(*low, type))) return 0;
        }
        if (!add(kPanelVolume, f.panel, PanelBmpBytes(*panel, type))) return 0;
        if (f.second != nullptr) {
            auto second = type == 2 ? BaronSwapPanel(&fault) : GpsStackPanel(type);
            if (!second) {
                *error = "cannot make the swapped gauges of type " + std::to_string(type) + ": " + fault;
                return 0;
            }
            if (!add(kPanelVolume, f.second, PanelBmpBytes(*second, type))) return 0;
        }
        if (!add(kPanelVolume, f.crash, CrashPicture(type))) return 0;
        // Every member of the type's slots; a member two types share is made by the first.
        for (const cockpit::PanelArtSlot& slot : cockpit::thePanelArtSlots) {
            const char* name = slot.members[type];
            if (name == nullptr || made.count(name) != 0) continue;
            if (!add(kPanelVolume, name, SlotMember(slot.slotName, type))) return 0;
        }
        static const char* const kSides[8] = {"f", "fl", "l", "bl", "b", "br", "r", "fr"};
        for (int d = 0; d < 8; ++d)
            if (!add(kCockpitVolume, std::string(f.sidePrefix) + kSides[d] + ".bmp",
                     CockpitFrame(type, d)))
                return 0;
    }
    return add(kPanelVolume, "cracked.bmp", Cracks()) ? 1 : 0;
}

std::unique_ptr<gfx::GFXBitmap> DrawC172PanelPicture(int height, std::vector<Rgb>* palette) {
    if (palette != nullptr) *palette = PanelRolePalette(0, 0);
    auto panel = PanelBackground(0, PanelView::Full, nullptr);
    if (!panel || height >= std::abs(panel->height)) return panel;
    return TopRows(*panel, std::max(height, 1));
}

}  // namespace mkdata
