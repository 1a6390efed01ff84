// The rows of one of data/navdata-us's comma-separated tables, split at commas, the header line
// left out (ZEPHLON_SOURCE_DIR names the source tree). Empty when the table is not there.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

// The same of any folder of data/ ("places-us").
inline std::vector<std::vector<std::string>> ReadDataCsv(const std::string& folder,
                                                         const std::string& name) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/data/" + folder + "/" + name);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> f;
        std::stringstream ss(line);
        for (std::string cell; std::getline(ss, cell, ',');)
            f.push_back(cell);
        rows.push_back(std::move(f));
    }
    return rows;
}

inline std::vector<std::vector<std::string>> ReadNavdataCsv(const std::string& name) {
    return ReadDataCsv("navdata-us", name);
}

}  // namespace testsupport
