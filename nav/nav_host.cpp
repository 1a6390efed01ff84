#include "nav/nav_host.h"

namespace nav {

namespace {

flight::Aircraft* NoAircraft() {
    return nullptr;
}
std::string* OwnStartFlightName() {
    static std::string name;
    return &name;
}
void NoCursor(std::uint32_t) {}
void NoTerrain() {}
void NoText(int, int, const std::string&, std::uint32_t) {}
int NothingToClose(win::HWND) {
    return 1;
}

}  // namespace

NavHostServices DefaultNavHostServices() {
    return NavHostServices{&NoAircraft, &OwnStartFlightName, &NoCursor, &NoTerrain,
                           &NoText,     &NothingToClose};
}
NavHostServices theNavHost = DefaultNavHostServices();

}  // namespace nav
