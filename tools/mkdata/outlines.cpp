// The map's geography: "states.bin", "rcoast.bin", "water.bin" and "dcoast.bin" in
// "Data\Data.Vol", from the shorelines and borders in data/outlines-us (polylines of east-
// positive "lon lat" lines, each opened by a line starting with '>'). Every point keeps its
// place; longitudes turn positive west, and a pen-up marker ends every polyline.
//   states.bin  the state borders and the national borders
//   rcoast.bin  the low-resolution coast and every lake shore (the wide zooms)
//   water.bin   the lakes whose shore closes on itself, as rings without the repeated point
//   dcoast.bin  the intermediate coast, the major rivers and the lake shores that do not close
//               (cut by the data's edges), and rings too long for the map to draw in one piece
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "nav/map_outline.h"
#include "tools/mkdata/city_airports.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

constexpr char kDataVolume[] = "Data\\Data.Vol";

using Polyline = std::vector<nav::MapOutlinePoint>;

}  // namespace

int ReadPolylines(const std::string& path, std::vector<Polyline>* out, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return 0;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line[0] == '>') {
            out->emplace_back();
            continue;
        }
        std::istringstream fields(line);
        std::string lonText, latText;
        double lon = 0.0, lat = 0.0;
        if (!(fields >> lonText >> latText) || !ParseNumber(lonText, &lon) ||
            !ParseNumber(latText, &lat) || out->empty() || std::abs(lat) > 90.0 ||
            std::abs(lon) > 360.0) {
            *error = path + ":" + std::to_string(number) + ": not a polyline point";
            return 0;
        }
        out->back().push_back(
            nav::MapOutlinePoint{static_cast<float>(lat), static_cast<float>(-lon)});
    }
    return 1;
}

namespace {

bool Closed(const Polyline& p) {
    return p.size() >= 4 && p.front().lat == p.back().lat && p.front().lon == p.back().lon;
}

void Append(const Polyline& p, Polyline* file) {
    if (p.empty()) return;
    file->insert(file->end(), p.begin(), p.end());
    file->push_back(nav::PenUp());
}

}  // namespace

int MakeOutlines(Installation& installation, std::string* error) {
    const std::string dir = installation.DataDir() + "/outlines-us/";
    struct Source {
        const char* file;
        std::vector<Polyline> lines;
    };
    Source sources[] = {{"state_borders.txt", {}},      {"national_borders.txt", {}},
                        {"coast_low.txt", {}},          {"lakes.txt", {}},
                        {"coast_intermediate.txt", {}}, {"major_rivers.txt", {}}};
    for (Source& s : sources)
        if (!ReadPolylines(dir + s.file, &s.lines, error)) return 0;
    const auto& [states, borders, coastLow, lakes, coastDetail, rivers] = sources;

    Polyline statesFile, coastFile, waterFile, detailFile;
    for (const Polyline& p : states.lines)
        Append(p, &statesFile);
    for (const Polyline& p : borders.lines)
        Append(p, &statesFile);
    for (const Polyline& p : coastLow.lines)
        Append(p, &coastFile);
    for (const Polyline& p : lakes.lines)
        Append(p, &coastFile);
    for (const Polyline& p : coastDetail.lines)
        Append(p, &detailFile);
    for (const Polyline& p : rivers.lines)
        Append(p, &detailFile);
    for (const Polyline& p : lakes.lines) {
        const bool ring = Closed(p) && p.size() - 1 <= nav::kMaxWaterRingPoints;
        if (ring)
            Append(Polyline(p.begin(), p.end() - 1), &waterFile);
        else
            Append(p, &detailFile);
    }
    installation.AddMember(kDataVolume, "states.bin", nav::EncodeMapOutline(statesFile));
    installation.AddMember(kDataVolume, "rcoast.bin", nav::EncodeMapOutline(coastFile));
    installation.AddMember(kDataVolume, "water.bin", nav::EncodeMapOutline(waterFile));
    installation.AddMember(kDataVolume, "dcoast.bin", nav::EncodeMapOutline(detailFile));
    return 1;
}

}  // namespace mkdata
