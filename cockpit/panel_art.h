// The panel art: 28 global slots (13 bitmaps, 15 sprite sets) shared by the five aircraft, each
// empty or owning one object loaded from the panel volume. An aircraft's loader fills the slots
// its panel uses; ReleasePanelArt empties them all. A member that cannot be read leaves its slot
// empty, and the drawing of an empty slot draws nothing.
#pragma once

#include <cstdint>

namespace gfx {
class GFXBitmap;
class GFXFont;
}  // namespace gfx

namespace cockpit {

extern gfx::GFXBitmap* theAltimeterStripArt;
extern gfx::GFXBitmap* theAltimeterLowFlagArt;
extern gfx::GFXBitmap* theAltimeterCounterArt;
extern gfx::GFXBitmap* theCompassArt;
extern gfx::GFXBitmap* theCompassCardArt;
extern gfx::GFXBitmap* theGearKnobArt;
extern gfx::GFXBitmap* theLeverKnobArt;
extern gfx::GFXBitmap* theFlapsArt;
extern gfx::GFXBitmap* theSwitchArt;
extern gfx::GFXBitmap* theIgnitionKeyArt;
extern gfx::GFXBitmap* theHourMeterArt;
extern gfx::GFXBitmap* theAutopilotArt;
extern gfx::GFXBitmap* theAudioPanelArt;

extern gfx::GFXFont* thePanelFont;
extern gfx::GFXFont* theJetReadoutFont;
extern gfx::GFXFont* theBaroFont;
extern gfx::GFXFont* theLongNeedleFont;
extern gfx::GFXFont* theSmallNeedleFont;
extern gfx::GFXFont* theTenThousandNeedleFont;
extern gfx::GFXFont* theFatNeedleFont;
extern gfx::GFXFont* theHeadingCardFont;
extern gfx::GFXFont* theHsiTextFont;
extern gfx::GFXFont* theNavCardFont;
extern gfx::GFXFont* theTurnFont;
extern gfx::GFXFont* theAttitudeRingFont;
extern gfx::GFXFont* theAttitudeCardFont;
extern gfx::GFXFont* theMiscSpriteFont;
extern gfx::GFXFont* theSynchroscopeFont;

inline constexpr int kBitmapSlots = 13;
inline constexpr int kFontSlots = 15;

// One slot of the table: its name, kind and the member each type's loader puts there (null: the
// loader leaves the slot alone), and whether the loader sets bit 0 of the bitmap's flags.
struct PanelArtSlot {
    const char* slotName;
    bool isFont;
    const char* members[5];
    bool transparent[5];
};
extern const PanelArtSlot thePanelArtSlots[kBitmapSlots + kFontSlots];

// Loads the slots of aircraft type 0..4 (another type loads the 172's).
void LoadPanelArtForType(int type);
// Empties all 28 slots.
void ReleasePanelArt();

}  // namespace cockpit
