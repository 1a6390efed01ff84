#include "sim/flight_world_services.h"

namespace sim {

namespace {
int Never() {
    return 0;
}
void Nothing() {}
int NormalSpeed() {
    return 0;
}
}  // namespace

FlightWorldServices DefaultFlightWorldServices() {
    return FlightWorldServices{&Never, &Nothing, &Nothing, &NormalSpeed};
}

FlightWorldServices theFlightWorldServices = DefaultFlightWorldServices();

}  // namespace sim
