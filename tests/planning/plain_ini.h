// A plan file read by a plain reader of the tests' own (not the program's settings reader):
// section -> key -> value, keys as written.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace plantest {

using Ini = std::map<std::string, std::map<std::string, std::string>>;

inline Ini ReadIni(const std::filesystem::path& path) {
    Ini out;
    std::ifstream in(path);
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 2 && line.front() == '[' && line.back() == ']')
            section = line.substr(1, line.size() - 2);
        else if (const auto eq = line.find('='); eq != std::string::npos)
            out[section][line.substr(0, eq)] = line.substr(eq + 1);
    }
    return out;
}

}  // namespace plantest
