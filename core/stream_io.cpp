#include "core/stream_io.h"

namespace core {

std::int32_t StreamIO::GetStatus() {
    return status;
}

StreamIO::~StreamIO() = default;

std::uint32_t StreamIO::GetPosition() {
    return 0;
}

int StreamIO::SetPosition(std::int32_t) {
    if (status == kStreamEnd) status = kStreamOk;
    return status == kStreamOk ? 1 : 0;
}

std::uint32_t StreamIO::GetCapability(std::uint32_t) {
    return 0;
}

int StreamIO::Flush() {
    return 1;
}

int StreamIO::Write(std::uint32_t, const void*) {
    return status == kStreamOk ? 1 : 0;
}

int StreamIO::Read(std::uint32_t, void*) {
    return status == kStreamOk ? 1 : 0;
}

void StreamIO::Close() {}

}  // namespace core
