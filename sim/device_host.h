// The spine's answers to the stick and its forces (devices/device_host.h).
#pragma once

namespace sim {

void InstallDeviceHost();

}  // namespace sim
