// The runner's questions about the running program's state:
//   report [KEY ...]         one trace line "report key=value ..." of the fields the subsystems
//                            registered (all of them, sorted by key, or the keys given);
//   project LAT LON ALT_FT   where a place (degrees north and east, feet above sea level) falls
//                            on the screen through the camera the last frame drew with:
//                            "project x=... y=... depth=..." in pixels and scene units, or
//                            "project behind" when it lies nearer than the near plane.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/run_report.h"
#include "nav/lat_lon.h"
#include "script.h"
#include "flight/aircraft.h"
#include "ts/perspective_camera.h"
#include "win/program_entry.h"

namespace simrun {

namespace {

// A scene unit is 1.2890625 ft.
constexpr double kFeetPerSceneUnit = 1.2890625;

bool ParseDouble(const std::string& s, double* out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end == nullptr || *end != '\0' || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

bool CheckReport(const std::vector<std::string>&, std::string*) {
    return true;
}

bool RunReport(const std::vector<std::string>& keys, std::string* error) {
    std::vector<std::string> unknown;
    const std::string fields = core::FormatReport(keys, &unknown);
    if (!unknown.empty()) {
        *error = "report: no field '" + unknown.front() + "'";
        return false;
    }
    win::TraceLine(fields.empty() ? std::string("report") : "report " + fields);
    return true;
}

bool ParsePlace(const std::vector<std::string>& words, double place[3], std::string* error) {
    if (words.size() != 3 || !ParseDouble(words[0], &place[0]) ||
        !ParseDouble(words[1], &place[1]) || !ParseDouble(words[2], &place[2])) {
        *error = "expected LAT LON ALT_FT";
        return false;
    }
    if (std::fabs(place[0]) > 90.0 || std::fabs(place[1]) > 180.0 || std::fabs(place[2]) > 1e7) {
        *error = "the place lies outside the globe's ranges";
        return false;
    }
    return true;
}

bool CheckProject(const std::vector<std::string>& words, std::string* error) {
    double place[3];
    return ParsePlace(words, place, error);
}

bool RunProject(const std::vector<std::string>& words, std::string* error) {
    double place[3];
    if (!ParsePlace(words, place, error)) return false;
    const ts::TSCamera* camera = ts::theCurrentCamera;
    if (camera == nullptr) {
        win::TraceLine("project nocamera");
        return true;
    }
    // As the aircraft's own position is: onto the world plane (longitudes count west there),
    // then into the scene frame.
    std::int32_t x = 0, z = 0;
    nav::LatLonToWorld(&x, &z, place[0], -place[1]);
    double p[3];
    flight::FlightPositionToScene(x, z, place[2] / kFeetPerSceneUnit, p);
    // Through the eye transform and the scales of the last activation, in double.
    const ts::Transform3F& eye = camera->GetEyeTransform();
    double e[3];
    for (int r = 0; r < 3; ++r)
        e[r] = eye.matrix.At(r, 0) * p[0] + eye.matrix.At(r, 1) * p[1] +
               eye.matrix.At(r, 2) * p[2] + (r == 0 ? eye.t.x : (r == 1 ? eye.t.y : eye.t.z));
    if (!(e[1] >= camera->GetNear())) {
        win::TraceLine("project behind");
        return true;
    }
    const double s = camera->GetSubPixelScale();
    const double sx = camera->GetScaleX(), sy = camera->GetScaleY();
    const double px = (camera->GetCentreX() + sx * e[0] / e[1]) / s;
    const double py = (camera->GetCentreY() - sy * e[2] / e[1]) / s;
    win::TraceLine("project x=" + core::ReportNumber(px) + " y=" + core::ReportNumber(py) +
                   " depth=" + core::ReportNumber(e[1]));
    return true;
}

const bool theStateCommands = [] {
    RegisterScriptCommand(ScriptCommand{"report", &CheckReport, &RunReport});
    RegisterScriptCommand(ScriptCommand{"project", &CheckProject, &RunProject});
    return true;
}();

}  // namespace

}  // namespace simrun
