// Reading a text line by line.
#pragma once

#include <string_view>

namespace core {

// Takes the next line off the front of `rest` into `line`, without its line end ("\n" or
// "\r\n"); false once `rest` is empty, so a text that ends with a line end has no empty last
// line.
inline bool NextLine(std::string_view& rest, std::string_view* line) {
    if (rest.empty()) return false;
    const std::size_t end = rest.find('\n');
    *line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
    return true;
}

}  // namespace core
