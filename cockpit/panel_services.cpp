#include "cockpit/panel_services.h"

#include "cockpit/gps_display.h"
#include "core/ini_file.h"

namespace cockpit {

PanelMouse thePanelMouse;
std::uint32_t thePanelClicks[8] = {};
std::uint32_t theCockpitFullRedraw = 0;

void LoadGpsDisplay(int type) {
    theGpsDisplay.Load(type);
}

}  // namespace cockpit
