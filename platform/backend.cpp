#include "platform/backend.h"

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

void SetCurrentBackend(Backend* backend) {
    theBackend = backend;
}

}  // namespace platform
