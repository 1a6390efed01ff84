#include "flight/flight_world_services.h"

namespace flight {

namespace {
int Never() {
    return 0;
}
void FlightWorldServicesNothing() {}
int NormalSpeed() {
    return 0;
}
int CockpitView() {
    return 0;
}
int LookForward() {
    return 0;
}
void NoOrigin(float out[2]) {
    out[0] = 0.0f;
    out[1] = 0.0f;
}
int NoFlight(const char*, int) {
    return 0;
}
ts::TSShape* NoShape(const char*) {
    return nullptr;
}
void NoRelease(ts::TSShape*) {}
int RunwayEverywhere() {
    return 1;
}
}  // namespace

FlightWorldServices DefaultFlightWorldServices() {
    return FlightWorldServices{&Never,
                               &FlightWorldServicesNothing,
                               &FlightWorldServicesNothing,
                               &NormalSpeed,
                               &CockpitView,
                               &LookForward,
                               &NoOrigin,
                               &FlightWorldServicesNothing,
                               &NoFlight,
                               &NoShape,
                               &NoRelease,
                               &RunwayEverywhere};
}

FlightWorldServices theFlightWorldServices = DefaultFlightWorldServices();

}  // namespace flight
