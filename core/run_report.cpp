#include "core/run_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace core {

namespace {

std::map<std::string, ReportFormatter, std::less<>>& Fields() {
    static std::map<std::string, ReportFormatter, std::less<>> fields;
    return fields;
}

std::string Quoted(std::string value) {
    if (!value.empty() && value.find_first_of(" \t") == std::string::npos) return value;
    return "\"" + value + "\"";
}

}  // namespace

void RegisterReportField(std::string_view key, ReportFormatter formatter) {
    if (key.empty() || key.find_first_of("= \t") != std::string_view::npos || !formatter) return;
    Fields()[std::string(key)] = std::move(formatter);
}

void UnregisterReportField(std::string_view key) {
    auto& fields = Fields();
    if (auto it = fields.find(key); it != fields.end()) fields.erase(it);
}

bool HasReportField(std::string_view key) {
    return Fields().find(key) != Fields().end();
}

std::string FormatReport(const std::vector<std::string>& keys, std::vector<std::string>* unknown) {
    std::string out;
    auto add = [&out](const std::string& key, const ReportFormatter& f) {
        if (!out.empty()) out += ' ';
        out += key;
        out += '=';
        out += Quoted(f());
    };
    const auto& fields = Fields();
    if (keys.empty()) {
        for (const auto& [key, formatter] : fields)
            add(key, formatter);
        return out;
    }
    for (const std::string& key : keys) {
        auto it = fields.find(key);
        if (it == fields.end()) {
            if (unknown != nullptr) unknown->push_back(key);
            continue;
        }
        add(key, it->second);
    }
    return out;
}

std::string ReportNumber(double value, int decimals) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    decimals = std::clamp(decimals, 0, 9);
    char text[400];
    // Values too large for a fixed-point field of this size still print in full.
    std::snprintf(text, sizeof text, "%.*f", std::fabs(value) < 1e15 ? decimals : 0, value);
    std::string s = text;
    if (s == "-0" || (s.rfind("-0.", 0) == 0 && s.find_first_not_of("-0.") == std::string::npos))
        s.erase(0, 1);  // no negative zero
    return s;
}

}  // namespace core
