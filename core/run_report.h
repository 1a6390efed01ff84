// The program's state as named fields, for the headless runner's `report` command: every
// subsystem registers its own fields (the view, the eye, the aircraft, the shape drawn ...) with
// a function that formats the current value, and the runner prints them without knowing them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

using ReportFormatter = std::function<std::string()>;

// Adds a field, or replaces the formatter of one with the same key. Keys are single words
// without '='.
void RegisterReportField(std::string_view key, ReportFormatter formatter);
void UnregisterReportField(std::string_view key);
[[nodiscard]] bool HasReportField(std::string_view key);
// "key=value key=value ...", sorted by key, so that a report reads the same whoever registered
// first. With keys given, only those, in the order given; a key nobody registered goes into
// *unknown (when given) and is left out. A value holding a space or nothing at all is quoted.
[[nodiscard]] std::string FormatReport(const std::vector<std::string>& keys = {},
                                       std::vector<std::string>* unknown = nullptr);

// A number in decimal with the given digits after the point (no exponent; NaN reads "nan").
[[nodiscard]] std::string ReportNumber(double value, int decimals = 2);

}  // namespace core
