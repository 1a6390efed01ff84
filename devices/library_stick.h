// The library stick: a force-feedback stick served by a vendor library bound at run time by the
// names of its entry points (all arguments 32-bit integers, the caller removing them). Only the
// calls below are made; of the results only the stick's start and its status are read. The
// library is the shared library "libiforce.so" wherever the dynamic linker finds it (a module
// registered in the program answers first); without it the program simply has no such stick.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "devices/force_stick.h"
#include "win/module.h"

namespace devices {

inline constexpr const char* kStickLibraryName = "iforce.dll";

// The entry points in the order they are bound; every one is required.
enum StickEntry : int {
    kInitStick,
    kGetStickStatus,
    kEcho,
    kGetStickError,
    kEnableForces,
    kDisableForces,
    kClearForces,
    kCloseStick,
    kSetJoystickPort,
    kJolt,
    kButtonReflexJolt,
    kButtonReflexClear,
    kXVibration,
    kXVibrationClear,
    kYVibration,
    kYVibrationClear,
    kBuffeting,
    kBuffetingClear,
    kVectorForce,
    kVectorForceClear,
    kXYVectorForce,
    kEnablePositionReporting,
    kDisablePositionReporting,
    kGetStickPosition,
    kXSpring,
    kXSpringClear,
    kYSpring,
    kYSpringClear,
    kStickEntries,
};
extern const std::array<const char*, kStickEntries> kStickEntryNames;

// The bound module and entry points; the ones found stay when binding fails part way.
struct StickLibrary {
    win::HMODULE module;
    std::array<win::FARPROC, kStickEntries> entries{};
};
extern StickLibrary theStickLibrary;
// 1 while the entry points are bound.
extern std::int32_t theStickLibraryLoaded;
// Library sticks alive.
extern std::int32_t theLibraryStickCount;

class FFLibraryStick final : public FFJoystick {
public:
    // Selects the port (1 or 2) and starts the stick there when the library is bound.
    explicit FFLibraryStick(int port);
    ~FFLibraryStick() override;

    void StartEffect(int index, int magnitude, int direction, int frequency) override;
    void StopEffect(int index) override;
    void SetStickForce(int magnitude, int direction) override;
    void ActuatorsOn() override;
    void ActuatorsOff() override;
    void StopAll() override;
    bool IsForceActive() override;
    bool QueryDeviceFlag() override;
    // Offsets -100..100 and stiffness 0..100 percent; the library takes half the stiffness.
    void SetCenterOffset(int axis, int percent) override;
    void SetCenterStiffness(int axis, int percent) override;
    void RestoreCentering(int axis) override;
    int GetCenterOffset(int axis) override;
    int GetCenterStiffness(int axis) override;

    // The triggers' calls; nothing while the stick is not ready.
    void Jolt(int magnitude, int direction, int durationMs);
    void XVibration(int first, int second, int frequency);
    void XVibrationClear();
    void YVibration(int first, int second, int frequency);
    void YVibrationClear();
    void Buffeting(int strength);
    void BuffetingClear();
    void VectorForceClear();
    void XYVectorForce(int x, int y);

    // Ready: the library started the stick.
    [[nodiscard]] bool Ready() const { return stickInfo != nullptr; }

    std::int32_t xOffset = 0, yOffset = 0;
    std::int32_t xCoefficient = 0, yCoefficient = 0;
    // The library's own record of the stick; the program never reads it.
    std::unique_ptr<std::array<std::uint8_t, 60>> stickInfo;

private:
    void SendXSpring();
    void SendYSpring();
};

// Loads the library and binds every entry point in order; 0 at the first one missing.
int BindStickLibrary();
int LoadStickLibrary();
// Unbinds when no library stick is alive (the module itself stays loaded); false otherwise.
bool ReleaseStickLibrary();
// A ready stick on port 1, else on port 2, else null.
std::unique_ptr<FFLibraryStick> CreateLibraryStick();
// Byte `index` (0..3) of the stick's 32-bit status.
int GetLibraryStickStatusByte(int index);

}  // namespace devices
