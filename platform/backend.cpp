#include "platform/backend.h"

#include <ctime>

#include "platform/headless/headless_backend.h"

namespace platform {

namespace {
Backend* theBackend = nullptr;
}

Backend& CurrentBackend() {
    if (theBackend == nullptr) {
        static HeadlessBackend theBuiltInHeadless;
        theBackend = &theBuiltInHeadless;
    }
    return *theBackend;
}

std::int64_t Clock::CalendarSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

void SetCurrentBackend(Backend* backend) {
    theBackend = backend;
}

}  // namespace platform
