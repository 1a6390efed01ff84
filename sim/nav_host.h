// The spine's answers to the navigation dialogs, databases and controllers (nav/nav_host.h and
// the controllers' host in nav/atc_services.h).
#pragma once

namespace sim {

void InstallNavHost();

}  // namespace sim
