// The aircraft table and the current aircraft: selecting a type loads its flight-model record
// and carries the switch and fuel-selector state over from the previous type; the aircraft
// also keeps the Hobbs meters, the animated exterior parts, the cockpit shake and the brakes,
// and answers the position and view questions of the rest of the program.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/surface_types.h"

namespace core {
class IniFile;
}
namespace gfx {
class GFXBitmap;
class GFXSurface;
}  // namespace gfx
namespace ts {
class TSShape;
class TSShapeInstance;
}  // namespace ts

namespace flight {

struct AircraftInfo {
    std::uint32_t type;
    const char* fullName;
    const char* paletteFile;
    const char* gpsBitmap;
};

extern const AircraftInfo theAircraftTable[6];

// One animated exterior part.
struct AircraftPartAnim {
    std::uint16_t mode;   // 0 run once, 1 loop
    std::uint16_t state;  // 0 idle, 1 forward, 2 backward
    std::int16_t delay;   // countdown
    std::int32_t frame;
    int slot;  // frame slot in the shape instance
    std::int16_t delayReload;
    std::int16_t frameCount;
    std::vector<std::uint32_t> frames;
};

constexpr int kPartEntries = 16;

struct ViewWindow {
    float left;
    float top;
    float right;
    float bottom;
};

// The in-air starts' legs (below).
enum class AirborneLeg;

class Aircraft {
public:
    Aircraft();
    ~Aircraft();
    Aircraft(const Aircraft&) = delete;
    Aircraft& operator=(const Aircraft&) = delete;

    void Select(int row);
    void SelectByType(int type);
    int LoadType(core::IniFile& file);
    int SaveType(core::IniFile& file) const;

    void SaveHobbsMeter();
    void LoadHobbsMeter();
    void AddHobbsTime(int counter, std::uint32_t amount);
    void TickHobbsMeters();
    [[nodiscard]] std::uint32_t GetHobbs(int counter) const { return hobbs[counter & 1]; }

    [[nodiscard]] bool IsCessna172() const { return type == 0; }
    [[nodiscard]] bool HasLowPanel() const { return type == 0 || type == 1; }
    [[nodiscard]] int GetElevatorStep() const;
    [[nodiscard]] int GetType() const { return type; }
    [[nodiscard]] const char* GetFullName() const { return fullName; }
    [[nodiscard]] const char* GetPaletteFile() const { return paletteFile; }
    [[nodiscard]] const char* GetGpsBitmap() const { return gpsBitmap; }
    [[nodiscard]] float GetModelHeightOffset() const { return modelHeightOffset; }

    // The last screen row of the 3D view above the panel, for the view controller's mode and
    // look direction, or for the ones given.
    [[nodiscard]] int GetViewportBottom() const;
    [[nodiscard]] int GetViewportBottom(int viewMode, int lookDirection) const;
    void GetViewWindow(int mode, ViewWindow& out) const;
    // Position in terrain-grid coordinates (x, y horizontal, z up).
    void GetScenePosition(float out[3]) const;

    // The palette file for the time-of-day index in the view mode and look direction; empty
    // when the view draws no cockpit art (outside views looking forward).
    [[nodiscard]] std::string GetPaletteName(int timeOfDay, int viewMode, int lookDirection) const;
    // The type's in-flight start flight: level cruise ("C172Air.Flt" and the others).
    [[nodiscard]] const char* GetAirborneFlightName() const;
    // Loads it (flag 0) and centres the navigation indicators; the flight's result.
    // Loads the type's in-air flight of a leg (level cruise unless asked for another).
    int LoadAirborneFlight(AirborneLeg leg);
    int LoadAirborneFlight();

    // Exterior parts.
    void AnimateParts();
    void ApplyPartStates();
    void StartPropeller(int engine);
    void SetPropellerRunning(int engine);
    void StopPropeller(int engine);
    void AnimateGearUp();
    void AnimateGearDown();
    void ShowNavLights(int on);
    void ShowStrobeLights(int on);
    void ShowBeaconLight(int on);
    void ShowLandingLights(int on);
    void ShowTaxiLight(int on);
    [[nodiscard]] const AircraftPartAnim* GetPart(int entry) const;
    [[nodiscard]] std::uint32_t GetSlotValue(int slot) const;

    void ToggleBrakes();
    [[nodiscard]] float GetGroundBump();
    [[nodiscard]] float GetEngineVibration();
    [[nodiscard]] float GetCockpitShake();
    // True while the cockpit view shakes (a bump on the ground, a running engine on the ground)
    // or an exterior part moves (a propeller, the gear): either changes the picture at every
    // frame.
    [[nodiscard]] bool IsCockpitShaking() const;
    [[nodiscard]] bool ArePartsMoving() const;

    // One frame: the flight update unless a selection runs or none has finished, then the parts.
    void Step();

    // Art. The cockpit art (panel, low panel, forward frame, side views, crash pictures) comes
    // from the panel and cockpit volumes; a member that is missing or unreadable leaves its
    // bitmap empty and the drawing of it does nothing. The exterior is the type's shape from the
    // world's shape cache ("172", "bonanza", "baron", "kingair", "citation") and an instance of
    // it whose sequence values are the part slots.
    void LoadArt();
    void ReleaseArt();
    [[nodiscard]] ts::TSShape* GetShape() const { return shape; }
    [[nodiscard]] ts::TSShapeInstance* GetShapeInstance() const { return instance.get(); }
    // The short name the shape was asked for (empty before the first load).
    [[nodiscard]] const std::string& GetShapeName() const { return shapeName; }
    void UpdatePanelBitmaps(int viewMode);
    void ReleasePanelBitmaps();
    void UpdateSideViewBitmap(int lookDirection);
    void ReleaseSideViewBitmap();
    void UpdateViewBitmaps(int viewMode, int lookDirection);
    [[nodiscard]] int GetLoadedPanelMode() const { return panelMode; }
    [[nodiscard]] int GetLoadedSideView() const { return sideView; }
    // The whole background of the loaded view (panel, forward frame) on `surface`.
    void DrawPanelBackground(gfx::GFXSurface* surface) const;
    // A rectangle (inclusive; rows counted from the first panel row) of the main, second or
    // side-view bitmap to `at` on `surface`, held inside the bitmap.
    void DrawPanelBitmap(gfx::GFXSurface* surface, const gfx::GFXRect& source,
                         gfx::GFXPoint at) const;
    void DrawAltPanelBitmap(gfx::GFXSurface* surface, const gfx::GFXRect& source,
                            gfx::GFXPoint at) const;
    void DrawSideViewBitmap(gfx::GFXSurface* surface, const gfx::GFXRect& source,
                            gfx::GFXPoint at) const;
    // The side-view bitmap whole (looking sideways), or the view bitmaps otherwise.
    void DrawViewBitmaps(gfx::GFXSurface* surface) const;
    // In the cockpit views looking forward: the crash picture after a crash, else the type's
    // panel routine with its offset.
    void DrawPanel(gfx::GFXSurface* surface) const;
    [[nodiscard]] const gfx::GFXBitmap* GetPanelBitmap() const { return panelBitmap.get(); }
    [[nodiscard]] const gfx::GFXBitmap* GetAltPanelBitmap() const { return altPanelBitmap.get(); }
    [[nodiscard]] const gfx::GFXBitmap* GetSideViewBitmap() const { return sideBitmap.get(); }
    [[nodiscard]] const gfx::GFXBitmap* GetCrashBitmap() const { return crashBitmap.get(); }

    [[nodiscard]] bool IsSelecting() const { return selecting != 0; }
    [[nodiscard]] bool IsSelected() const { return selected != 0; }

private:
    void CarryFuelSelection(int previousType);
    void CarryEngineState();
    void StartPart(int entry, std::uint16_t state, bool fromEnd);
    void WriteSlot(const AircraftPartAnim& part);
    void WriteSlotValue(int slot, std::uint32_t value);
    void HidePropellerDisc(int entry);

    const char* fullName = "";
    const char* paletteFile = "";
    const char* gpsBitmap = "";
    std::uint32_t selecting = 0;
    std::uint32_t selected = 0;
    int type = -1;
    int panelMode = -1;
    int sideView = -1;
    std::uint32_t hobbs[2] = {0, 0};
    int bumpIndex = 0;
    std::uint32_t bumpFinished = 1;
    std::uint32_t vibrationPhase = 0;
    int vibrationIndex = 0;
    float modelHeightOffset = 0.0f;
    bool artLoaded = false;
    std::unique_ptr<gfx::GFXBitmap> panelBitmap;     // main panel or forward-view frame
    std::unique_ptr<gfx::GFXBitmap> altPanelBitmap;  // Baron swap panel, turbine GPS panel
    std::unique_ptr<gfx::GFXBitmap> sideBitmap;
    std::unique_ptr<gfx::GFXBitmap> crackedBitmap;
    std::unique_ptr<gfx::GFXBitmap> crashBitmap;
    AircraftPartAnim parts[kPartEntries];
    bool partPresent[kPartEntries] = {};
    std::vector<std::uint32_t> slots;  // frame slots, mirrored into the instance's sequences
    ts::TSShape* shape = nullptr;      // the cache's
    std::unique_ptr<ts::TSShapeInstance> instance;
    std::string shapeName;
};

// The exterior shape's short name of an aircraft type (type 5 and any other: the 172's).
[[nodiscard]] const char* ShapeNameForType(int type);

// The in-air start flights of each type, flying straight and level and trimmed, engines running:
// in cruise, gear and flaps up ("C172Air.Flt"); at pattern speed with the first flaps and the
// gear down ("C172Pattern.Flt"); at approach speed with landing flaps and the gear down
// ("C172Final.Flt"). Type 5 and any other: the 172's.
enum class AirborneLeg { Cruise, Pattern, Final };
[[nodiscard]] const char* AirborneFlightName(int type, AirborneLeg leg);

// The current aircraft (the world owns it when it exists).
extern Aircraft theAircraft;

// The keyboard's elevator step of an aircraft type.
[[nodiscard]] int ElevatorStepForType(int type);

// What the key commands and the panel controls ask of the current aircraft. The defaults act on
// theAircraft; tests put their own in.
struct AircraftServices {
    int (*aircraftType)();          // 0..5 of the current aircraft
    void (*toggleBrakes)();         // both wheel brakes on or off
    void (*animateGear)(int down);  // the exterior gear animation
};
extern AircraftServices theAircraftServices;
[[nodiscard]] AircraftServices DefaultAircraftServices();

// Position conversions: world units are flight-model units / 100.584.
double GetAircraftAltitude();
double GetAircraftHeightAboveTerrain();
double GetAircraftHeadingRadians();
void GetAircraftAttitude(float out[3]);
void GetAircraftWorldPosition(double out[3]);
// A flight-model position (x east, z north, 1/256 m) and an altitude in scene units to the
// scene frame the aircraft's own position is given in (Aircraft::GetScenePosition), in double.
void FlightPositionToScene(std::int32_t x, std::int32_t z, double altitude, double out[3]);

}  // namespace flight
