#include "devices/device_host.h"

namespace devices {

namespace {

void NoBindings(const char*, const char*) {}
void NoKey(std::uint32_t) {}
int No() {
    return 0;
}
void Nothing() {}
void NoRate(SlewRate, std::int32_t) {}
void NoElevator(std::int16_t) {}
std::int16_t NoTrim() {
    return 0;
}

}  // namespace

DeviceHostServices DefaultDeviceHostServices() {
    return DeviceHostServices{&NoBindings, &NoBindings, &NoKey,  &No,         &No,
                              &No,         &Nothing,    &NoRate, &NoElevator, &NoTrim};
}
DeviceHostServices theDeviceHost = DefaultDeviceHostServices();

}  // namespace devices
