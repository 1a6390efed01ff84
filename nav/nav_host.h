// What the navigation dialogs and databases ask of the spine; the world installs its own at
// start-up. The defaults describe no aircraft, no flight plan and nothing to redraw.
#pragma once

#include <cstdint>
#include <string>

#include "win/handles.h"

namespace flight {
class Aircraft;
}

namespace nav {

struct NavHostServices {
    flight::Aircraft* (*aircraft)();  // the aircraft flown, or null
    // The name of the flight the program started with (an airborne start keeps it).
    std::string* (*startFlightName)();
    void (*setCursor)(std::uint32_t id);  // a standard cursor while a long task runs
    void (*refreshTerrain)();             // the terrain round a moved aircraft, loaded anew
    // A line of text over the view (the developers' runway stepping shows where it is).
    void (*drawReadoutText)(int x, int y, const std::string& text, std::uint32_t colour);
    // Asks whether an open flight plan may be closed (offering to save it): 0 when the user
    // cancels.
    int (*confirmCloseFlightPlan)(win::HWND window);
};
extern NavHostServices theNavHost;
[[nodiscard]] NavHostServices DefaultNavHostServices();

}  // namespace nav
