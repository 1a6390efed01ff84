// The COM channels of an airport as the radios dial them, from the public data: what the tests of
// the controllers tune.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/navdata_csv.h"

namespace apptest {

// The first channel of each kind an airport lists in the public data, as the COM radios dial it
// (MHz x 100): a 25 kHz channel whose third decimal the data dropped goes to its lower 50 kHz
// neighbour, or to the upper when the airport already uses the lower. Of the broadcasts the one
// named ATIS comes before an automatic weather station's listed before it.
inline std::map<std::string, std::string> Channels(const std::string& airport) {
    std::vector<int> taken;
    std::vector<std::pair<std::string, int>> rows;
    for (const auto& r : testsupport::ReadNavdataCsv("frequency.csv"))
        if (r.size() >= 3 && r[0] == airport) {
            const bool station =
                r[1] == "atis" && (r.size() < 4 || r[3].find("ATIS") == std::string::npos);
            rows.emplace_back(station ? "station" : r[1], std::stoi(r[2]));
            if (rows.back().second % 5 == 0) taken.push_back(rows.back().second);
        }
    std::stable_partition(rows.begin(), rows.end(), [](const auto& r) { return r.first != "station"; });
    for (auto& row : rows)
        if (row.first == "station") row.first = "atis";
    std::map<std::string, std::string> out;
    for (const auto& [kind, listed] : rows) {
        if (out.count(kind) != 0) continue;
        int f = listed;
        if (f % 5 != 0) {
            // The 25 kHz channel (kHz) the two decimals stand for.
            const int khz = static_cast<int>(std::lround(listed * 10 / 25.0)) * 25;
            if (khz % 50 == 0) {
                f = khz / 10;
            } else {
                const int lower = (khz - 25) / 10, upper = (khz + 25) / 10;
                const auto used = [&](int c) {
                    return std::count(taken.begin(), taken.end(), c) != 0;
                };
                f = used(lower) && !used(upper) ? upper : lower;
            }
            taken.push_back(f);
        }
        char text[16];
        std::snprintf(text, sizeof text, "%d.%02d", f / 100, f % 100);
        out[kind] = text;
    }
    return out;
}

// The channel of a kind that works one side of a field split between several ("SOUTH" for
// "OAKLAND TWR SOUTH"), as the data lists it (one on the radio's grid); the airport's first of
// the kind when `side` is empty; empty when the data has none.
inline std::string SideChannel(const std::string& airport, const std::string& kind,
                               const std::string& side) {
    if (side.empty()) {
        const std::map<std::string, std::string> ch = Channels(airport);
        return ch.count(kind) != 0 ? ch.at(kind) : std::string();
    }
    for (const auto& r : testsupport::ReadNavdataCsv("frequency.csv"))
        if (r.size() >= 4 && r[0] == airport && r[1] == kind &&
            r[3].find(side) != std::string::npos) {
            const int f = std::stoi(r[2]);
            if (f % 5 != 0) return {};
            char text[16];
            std::snprintf(text, sizeof text, "%d.%02d", f / 100, f % 100);
            return text;
        }
    return {};
}

}  // namespace apptest
