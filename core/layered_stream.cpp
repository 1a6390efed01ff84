#include "core/layered_stream.h"

namespace core {

namespace {

constexpr std::uint32_t kSkipPiece = 500;

}  // namespace

LayeredStream::LayeredStream(StreamType type, Direction direction)
    : type(type), direction(direction) {}

void LayeredStream::Attach(StreamIO* in) {
    inner = in;
    position = 0;
    status = in ? in->GetStatus() : kStreamNoSource;
}

std::uint32_t LayeredStream::GetPosition() {
    return status == kStreamNoSource ? 0 : position;
}

std::uint32_t LayeredStream::GetCapability(std::uint32_t kind) {
    switch (kind) {
        case kCapType:
            return type;
        case kCapWritable:
            return direction == Direction::kWrite ? 1 : 0;
        case kCapReadable:
        case kCapPositionable:
            return direction == Direction::kRead ? 1 : 0;
        case kCapLayered:
            return 1;
        default:
            return 0;
    }
}

LayeredReader::~LayeredReader() {
    LayeredReader::Close();
}

int LayeredReader::Flush() {
    return status == kStreamNoSource ? 0 : 1;
}

void LayeredReader::Close() {
    if (!inner) return;
    inner = nullptr;
    status = kStreamNoSource;
}

int LayeredReader::SkipTo(std::uint32_t target) {
    std::uint8_t scrap[kSkipPiece];
    int result = 1;
    while (position < target) {
        const std::uint32_t gap = target - position;
        result = Read(gap < kSkipPiece ? gap : kSkipPiece, scrap);
        if (!result) break;
    }
    return result;
}

}  // namespace core
