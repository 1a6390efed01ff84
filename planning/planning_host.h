// What the planning dialogs and the flight plan ask of the spine: the world's plan, weather,
// clock and flight mode, the aircraft type flown, the file dialogs and the cursor. The world
// installs its own when it is made; the defaults describe no world (no plan, no weather,
// midnight) and change nothing.
#pragma once

#include <cstdint>
#include <string>

namespace core {
class IniFile;
}
namespace ui {
struct FileDialogRequest;
}
namespace world {
class WeatherState;
}

namespace planning {

class FlightPlan;

struct PlanningHost {
    FlightPlan* (*worldPlan)();           // the world's plan object, or null
    bool (*hasWorldPlan)();               // the world flies an active plan
    void (*setWorldPlan)(const FlightPlan* plan);  // copies a plan into the world's
    int (*loadWorldPlan)(core::IniFile& file);     // a plan file into the world's plan
    int (*saveWorldPlan)(core::IniFile& file);     // the world's plan into a plan file
    world::WeatherState* (*weather)();    // the world's live weather, or null
    void (*updateCloudLayers)();          // rebuilds the sky from the weather's layers
    std::int32_t (*minutesOfDay)();       // simulated time of day in the clock's zone
    int (*flightMode)();
    void (*setFlightMode)(int mode);
    std::uint32_t (*aircraftType)();      // the type flown, 0..5
    void (*selectAircraftType)(int type);  // loads another type (panel, model, view reset)
    void (*applyView)();                  // the view's settings changed: redraw with them
    void (*setCursor)(std::uint32_t id);  // a standard cursor while a long task runs
    bool (*isReadableFile)(const std::string& path);
    int (*showFileDialog)(ui::FileDialogRequest& request);  // open or save by request.save
};
extern PlanningHost thePlanningHost;

}  // namespace planning
