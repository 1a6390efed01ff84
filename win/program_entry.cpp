#include "win/program_entry.h"

namespace win {
namespace {
std::function<void(std::string_view)> theSink;
}

void SetTraceSink(std::function<void(std::string_view)> sink) {
    theSink = std::move(sink);
}

void TraceLine(std::string_view line) {
    if (theSink) theSink(line);
}

}  // namespace win
