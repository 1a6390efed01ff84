#include "cockpit/panel_art.h"

#include <memory>

#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"

namespace cockpit {

gfx::GFXBitmap* theAltimeterStripArt = nullptr;
gfx::GFXBitmap* theAltimeterLowFlagArt = nullptr;
gfx::GFXBitmap* theAltimeterCounterArt = nullptr;
gfx::GFXBitmap* theCompassArt = nullptr;
gfx::GFXBitmap* theCompassCardArt = nullptr;
gfx::GFXBitmap* theGearKnobArt = nullptr;
gfx::GFXBitmap* theLeverKnobArt = nullptr;
gfx::GFXBitmap* theFlapsArt = nullptr;
gfx::GFXBitmap* theSwitchArt = nullptr;
gfx::GFXBitmap* theIgnitionKeyArt = nullptr;
gfx::GFXBitmap* theHourMeterArt = nullptr;
gfx::GFXBitmap* theAutopilotArt = nullptr;
gfx::GFXBitmap* theAudioPanelArt = nullptr;
gfx::GFXFont* thePanelFont = nullptr;
gfx::GFXFont* theJetReadoutFont = nullptr;
gfx::GFXFont* theBaroFont = nullptr;
gfx::GFXFont* theLongNeedleFont = nullptr;
gfx::GFXFont* theSmallNeedleFont = nullptr;
gfx::GFXFont* theTenThousandNeedleFont = nullptr;
gfx::GFXFont* theFatNeedleFont = nullptr;
gfx::GFXFont* theHeadingCardFont = nullptr;
gfx::GFXFont* theHsiTextFont = nullptr;
gfx::GFXFont* theNavCardFont = nullptr;
gfx::GFXFont* theTurnFont = nullptr;
gfx::GFXFont* theAttitudeRingFont = nullptr;
gfx::GFXFont* theAttitudeCardFont = nullptr;
gfx::GFXFont* theMiscSpriteFont = nullptr;
gfx::GFXFont* theSynchroscopeFont = nullptr;

const PanelArtSlot thePanelArtSlots[kBitmapSlots + kFontSlots] = {
    {"theAltimeterStripArt", false, {"172altba.bmp", "b_altbar.bmp", "ba_altbr.bmp", nullptr, nullptr}, {false, false, false, false, false}},
    {"theAltimeterLowFlagArt", false, {"172les10.bmp", "b_less10.bmp", "ba_les10.bmp", nullptr, nullptr}, {false, false, false, false, false}},
    {"theAltimeterCounterArt", false, {nullptr, nullptr, nullptr, "k_alcntr.bmp", "j_alcntr.bmp"}, {false, false, false, false, false}},
    {"theCompassArt", false, {"172mini.bmp", "bcompass.bmp", "ba_magcp.bmp", "k_magcp.bmp", "j_magcmp.bmp"}, {true, true, true, true, true}},
    {"theCompassCardArt", false, {"172num.bmp", "b_cwlcom.bmp", "ba_magst.bmp", "k_magst.bmp", "j_magst.bmp"}, {false, false, false, false, false}},
    {"theGearKnobArt", false, {nullptr, "b_gearkb.bmp", "ba_gear.bmp", "k_gearkb.bmp", "j_gearkb.bmp"}, {false, true, true, true, true}},
    {"theLeverKnobArt", false, {nullptr, "b_allknb.bmp", "b_allknb.bmp", nullptr, nullptr}, {false, true, true, false, false}},
    {"theFlapsArt", false, {"172flaps.bmp", "b_flaps.bmp", "ba_flaps.bmp", "k_flaps.bmp", "j_flaps.bmp"}, {true, true, true, true, true}},
    {"theSwitchArt", false, {"172swtch.bmp", "b_switch.bmp", "ba_swtch.bmp", nullptr, nullptr}, {false, true, true, false, false}},
    {"theIgnitionKeyArt", false, {"172key.bmp", "b_key.bmp", "ba_key.bmp", nullptr, nullptr}, {false, false, false, false, false}},
    {"theHourMeterArt", false, {"172rpmnm.bmp", "b_rpmnum.bmp", "b_rpmnum.bmp", nullptr, nullptr}, {false, false, false, false, false}},
    {"theAutopilotArt", false, {"172autop.bmp", "b_autopi.bmp", "ba_autop.bmp", "k_autop.bmp", "j_autop.bmp"}, {false, false, false, false, false}},
    {"theAudioPanelArt", false, {"172mixer.bmp", "b_mixer.bmp", "ba_mixer.bmp", "k_mixer.bmp", "j_mixer.bmp"}, {false, false, false, false, false}},
    {"thePanelFont", true, {"panel172.pft", "panelbon.pft", "panel172.pft", "panel_k.pft", "panel_j.pft"}, {false, false, false, false, false}},
    {"theJetReadoutFont", true, {nullptr, nullptr, nullptr, nullptr, "j_panel.pft"}, {false, false, false, false, false}},
    {"theBaroFont", true, {nullptr, nullptr, nullptr, "k_baro.pft", "j_baro.pft"}, {false, false, false, false, false}},
    {"theLongNeedleFont", true, {"172needs.pft", "b_lngndl.pft", "ba_lngnd.pft", "k_lngnd.pft", "j_lngndl.pft"}, {false, false, false, false, false}},
    {"theSmallNeedleFont", true, {"172small.pft", "b_smlndl.pft", "ba_smlnd.pft", "k_smlnd.pft", nullptr}, {false, false, false, false, false}},
    {"theTenThousandNeedleFont", true, {"17210ndl.pft", "b_10ndl.pft", "ba_10nd.pft", nullptr, nullptr}, {false, false, false, false, false}},
    {"theFatNeedleFont", true, {"172fat.pft", "b_fatndl.pft", "ba_fatnd.pft", "k_altndl.pft", "j_altndl.pft"}, {false, false, false, false, false}},
    {"theHeadingCardFont", true, {"1_hsicmp.pft", "b_hsicmp.pft", "ba_hsicp.pft", "k_hsicmp.pft", "j_hsicmp.pft"}, {false, false, false, false, false}},
    {"theHsiTextFont", true, {nullptr, nullptr, nullptr, "k_hsitxt.pft", "j_hsitxt.pft"}, {false, false, false, false, false}},
    {"theNavCardFont", true, {"1_navcmp.pft", "b_navcmp.pft", "ba_nvcmp.pft", "k_navcmp.pft", "j_navcmp.pft"}, {false, false, false, false, false}},
    {"theTurnFont", true, {"172turn.pft", "b_turn.pft", "ba_turn.pft", "k_turn.pft", "j_turn.pft"}, {false, false, false, false, false}},
    {"theAttitudeRingFont", true, {"172ring.pft", "b_ring.pft", "ba_adidn.pft", nullptr, nullptr}, {false, false, false, false, false}},
    {"theAttitudeCardFont", true, {"172text.pft", "b_text.pft", "ba_text.pft", "k_text.pft", "j_text.pft"}, {false, false, false, false, false}},
    {"theMiscSpriteFont", true, {"172_misc.pft", "b_misc.pft", "ba_misc.pft", "k_misc.pft", "j_misc.pft"}, {false, false, false, false, false}},
    {"theSynchroscopeFont", true, {nullptr, nullptr, "ba_sync.pft", "k_sync.pft", nullptr}, {false, false, false, false, false}},
};

namespace {

gfx::GFXBitmap** const kBitmapSlotPointers[kBitmapSlots] = {
    &theAltimeterStripArt,
    &theAltimeterLowFlagArt,
    &theAltimeterCounterArt,
    &theCompassArt,
    &theCompassCardArt,
    &theGearKnobArt,
    &theLeverKnobArt,
    &theFlapsArt,
    &theSwitchArt,
    &theIgnitionKeyArt,
    &theHourMeterArt,
    &theAutopilotArt,
    &theAudioPanelArt,
};
gfx::GFXFont** const kFontSlotPointers[kFontSlots] = {
    &thePanelFont,
    &theJetReadoutFont,
    &theBaroFont,
    &theLongNeedleFont,
    &theSmallNeedleFont,
    &theTenThousandNeedleFont,
    &theFatNeedleFont,
    &theHeadingCardFont,
    &theHsiTextFont,
    &theNavCardFont,
    &theTurnFont,
    &theAttitudeRingFont,
    &theAttitudeCardFont,
    &theMiscSpriteFont,
    &theSynchroscopeFont,
};

void FreeBitmap(gfx::GFXBitmap*& slot) {
    delete slot;
    slot = nullptr;
}
void FreeFont(gfx::GFXFont*& slot) {
    delete slot;
    slot = nullptr;
}

}  // namespace

void LoadPanelArtForType(int type) {
    if (type < 0 || type > 4) type = 0;
    for (int i = 0; i < kBitmapSlots; ++i) {
        const PanelArtSlot& s = thePanelArtSlots[i];
        const char* member = s.members[type];
        if (member == nullptr) continue;
        gfx::GFXBitmap*& slot = *kBitmapSlotPointers[i];
        FreeBitmap(slot);
        std::unique_ptr<gfx::GFXBitmap> b = core::thePanelVolume.LoadBitmap(member, 0);
        // Art is 8-bit; a picture of another depth is as good as missing.
        if (b && (b->bitsPerPixel != 8 || b->pixels == nullptr)) b.reset();
        if (b && s.transparent[type]) b->flags |= 1;
        slot = b.release();
    }
    for (int i = 0; i < kFontSlots; ++i) {
        const PanelArtSlot& s = thePanelArtSlots[kBitmapSlots + i];
        const char* member = s.members[type];
        if (member == nullptr) continue;
        gfx::GFXFont*& slot = *kFontSlotPointers[i];
        FreeFont(slot);
        slot = core::thePanelVolume.LoadFont(member).release();
    }
}

void ReleasePanelArt() {
    for (gfx::GFXBitmap** slot : kBitmapSlotPointers)
        FreeBitmap(*slot);
    for (gfx::GFXFont** slot : kFontSlotPointers)
        FreeFont(*slot);
}

}  // namespace cockpit
