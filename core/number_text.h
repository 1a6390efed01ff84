// Numbers written for people.
#pragma once

#include <string>

namespace core {

// A whole number with a comma between each group of three digits: "850", "5,500", "12,500".
[[nodiscard]] inline std::string WithThousands(long value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return value < 0 ? "-" + digits : digits;
}

}  // namespace core
