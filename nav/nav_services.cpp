#include "nav/nav_services.h"

namespace nav {

AutopilotNavInput theAutopilotNavInput;

}  // namespace nav
