#include "devices/library_stick.h"

#include <algorithm>

namespace devices {

const std::array<const char*, kStickEntries> kStickEntryNames = {
    "_InitStick",       "_GetStickStatus",   "_Echo",
    "_GetStickError",   "_EnableForces",     "_DisableForces",
    "_ClearForces",     "_CloseStick",       "_SetJoystickPort",
    "_Jolt",            "_ButtonReflexJolt", "_ButtonReflexClear",
    "_XVibration",      "_XVibrationClear",  "_YVibration",
    "_YVibrationClear", "_Buffeting",        "_BuffetingClear",
    "_VectorForce",     "_VectorForceClear", "_XYVectorForce",
    "_EnablePositionReporting", "_DisablePositionReporting", "_GetStickPosition",
    "_XSpring",         "_XSpringClear",     "_YSpring",
    "_YSpringClear"};

StickLibrary theStickLibrary;
std::int32_t theStickLibraryLoaded = 0;
std::int32_t theLibraryStickCount = 0;

namespace {

// Calls an entry point with its real type; an entry never bound is not called and answers 0.
template <class... Args>
std::int32_t Call(StickEntry entry, Args... args) {
    const win::FARPROC p = theStickLibrary.entries[static_cast<std::size_t>(entry)];
    if (p == nullptr) return 0;
    using Function = std::int32_t (*)(Args...);
    return reinterpret_cast<Function>(p)(args...);
}

std::int32_t I(int v) {
    return static_cast<std::int32_t>(v);
}

}  // namespace

int BindStickLibrary() {
    theStickLibrary.module = win::LoadLibrary(kStickLibraryName);
    if (!theStickLibrary.module) return 0;
    for (std::size_t i = 0; i < kStickEntryNames.size(); ++i) {
        const win::FARPROC p = win::GetProcAddress(theStickLibrary.module, kStickEntryNames[i]);
        if (p == nullptr) return 0;
        theStickLibrary.entries[i] = p;
    }
    return 1;
}

int LoadStickLibrary() {
    theStickLibraryLoaded = BindStickLibrary();
    return theStickLibraryLoaded;
}

bool ReleaseStickLibrary() {
    if (theStickLibraryLoaded == 0 || theLibraryStickCount != 0) return false;
    theStickLibraryLoaded = 0;
    return true;
}

std::unique_ptr<FFLibraryStick> CreateLibraryStick() {
    auto first = std::make_unique<FFLibraryStick>(1);
    if (first->Ready()) return first;
    auto second = std::make_unique<FFLibraryStick>(2);
    first.reset();
    if (second->Ready()) return second;
    return nullptr;
}

int GetLibraryStickStatusByte(int index) {
    if (index < 0 || index > 3) return 0;
    std::uint32_t status = 0;
    Call(kGetStickStatus, &status);
    return static_cast<int>((status >> (8 * index)) & 0xFF);
}

FFLibraryStick::FFLibraryStick(int port) {
    strength = 0;
    ++theLibraryStickCount;
    if (theStickLibraryLoaded == 0) return;
    Call(kSetJoystickPort, I(port));
    stickInfo = std::make_unique<std::array<std::uint8_t, 60>>();
    if (Call(kInitStick, static_cast<void*>(stickInfo->data())) != 0) {
        SendXSpring();
        SendYSpring();
    } else {
        Call(kCloseStick);
        stickInfo.reset();
    }
}

FFLibraryStick::~FFLibraryStick() {
    --theLibraryStickCount;
}

void FFLibraryStick::SendXSpring() {
    Call(kXSpring, I(xOffset), I(xCoefficient), I(xCoefficient));
}

void FFLibraryStick::SendYSpring() {
    Call(kYSpring, I(yOffset), I(yCoefficient), I(yCoefficient));
}

void FFLibraryStick::StartEffect(int index, int magnitude, int direction, int frequency) {
    if (!Ready()) return;
    const int period = frequency > 0 ? 1000 / frequency : 0;
    Call(kButtonReflexJolt, I(index), I(magnitude), I(direction), I(period / 2), I(period));
}

void FFLibraryStick::StopEffect(int index) {
    if (Ready()) Call(kButtonReflexClear, I(index));
}

void FFLibraryStick::SetStickForce(int magnitude, int direction) {
    if (Ready()) Call(kVectorForce, I(magnitude), I(direction));
}

void FFLibraryStick::ActuatorsOn() {
    Call(kEnableForces);
}

void FFLibraryStick::ActuatorsOff() {
    Call(kDisableForces);
}

void FFLibraryStick::StopAll() {
    Call(kClearForces);
}

bool FFLibraryStick::IsForceActive() {
    return Ready() && (GetLibraryStickStatusByte(0) & 0x03) == 0x03;
}

bool FFLibraryStick::QueryDeviceFlag() {
    return Ready() && (GetLibraryStickStatusByte(0) & 0x04) != 0;
}

void FFLibraryStick::SetCenterOffset(int axis, int percent) {
    const std::int32_t v = std::clamp(percent, -100, 100);
    if (axis == 0) {
        xOffset = v;
        SendXSpring();
    } else if (axis == 1) {
        yOffset = v;
        SendYSpring();
    }
}

void FFLibraryStick::SetCenterStiffness(int axis, int percent) {
    // The library takes half the stiffness; a negative one would halve into nonsense.
    const std::int32_t c = std::clamp(percent, 0, 100) >> 1;
    if (axis != 1) {
        xCoefficient = c;
        SendXSpring();
    }
    if (axis != 0) {
        yCoefficient = c;
        SendYSpring();
    }
}

void FFLibraryStick::RestoreCentering(int axis) {
    if (axis != 1) {
        xOffset = 0;
        xCoefficient = strength;
        SendXSpring();
    }
    if (axis != 0) {
        yOffset = 0;
        yCoefficient = strength;
        SendYSpring();
    }
}

int FFLibraryStick::GetCenterOffset(int axis) {
    return axis == 0 ? xOffset : (axis == 1 ? yOffset : 0);
}

int FFLibraryStick::GetCenterStiffness(int axis) {
    return axis == 0 ? xCoefficient * 2 : (axis == 1 ? yCoefficient * 2 : 0);
}

void FFLibraryStick::Jolt(int magnitude, int direction, int durationMs) {
    if (Ready()) Call(kJolt, I(magnitude), I(direction), I(durationMs));
}

void FFLibraryStick::XVibration(int first, int second, int frequency) {
    if (Ready()) Call(kXVibration, I(first), I(second), I(frequency));
}

void FFLibraryStick::XVibrationClear() {
    if (Ready()) Call(kXVibrationClear);
}

void FFLibraryStick::YVibration(int first, int second, int frequency) {
    if (Ready()) Call(kYVibration, I(first), I(second), I(frequency));
}

void FFLibraryStick::YVibrationClear() {
    if (Ready()) Call(kYVibrationClear);
}

void FFLibraryStick::Buffeting(int strength) {
    if (Ready()) Call(kBuffeting, I(strength));
}

void FFLibraryStick::BuffetingClear() {
    if (Ready()) Call(kBuffetingClear);
}

void FFLibraryStick::VectorForceClear() {
    if (Ready()) Call(kVectorForceClear);
}

void FFLibraryStick::XYVectorForce(int x, int y) {
    if (Ready()) Call(kXYVectorForce, I(std::clamp(x, -100, 100)), I(std::clamp(y, -100, 100)));
}

}  // namespace devices
