#include "nav/map_outline.h"

#include <algorithm>

#include "core/endian.h"
#include "core/resource_volume.h"
#include "nav/nav_database.h"
#include "win/program_entry.h"

namespace nav {

namespace {

// More points than any outline holds (the detailed coast has about 30,000); a larger count
// is damage, and reading stops there.
constexpr std::uint32_t kMaxPoints = 1u << 24;

float ReadF32(const std::uint8_t* p) {
    const std::uint32_t bits = core::ReadU32(p);
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

void PutF32(float v, std::vector<std::uint8_t>* out) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

}  // namespace

std::vector<MapOutlinePoint> DecodeMapOutline(const std::uint8_t* bytes, std::size_t size) {
    std::vector<MapOutlinePoint> points;
    if (bytes == nullptr || size < 4) return points;
    const std::uint32_t count = core::ReadU32(bytes);
    const std::size_t whole = (size - 4) / kOutlinePointBytes;
    const std::size_t n = std::min<std::size_t>(count, whole);
    points.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* p = bytes + 4 + i * kOutlinePointBytes;
        points[i] = MapOutlinePoint{ReadF32(p), ReadF32(p + 4)};
    }
    return points;
}

std::vector<std::uint8_t> EncodeMapOutline(const std::vector<MapOutlinePoint>& points) {
    std::vector<std::uint8_t> out;
    out.reserve(4 + points.size() * kOutlinePointBytes);
    const auto count = static_cast<std::uint32_t>(points.size());
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(count >> (8 * i)));
    for (const MapOutlinePoint& p : points) {
        PutF32(p.lat, &out);
        PutF32(p.lon, &out);
    }
    return out;
}

int ReadMapOutline(const char* memberName, std::vector<MapOutlinePoint>* points) {
    points->clear();
    if (!theNavVolume.OpenFile(memberName)) {
        theNavVolume.CloseFile();
        return 0;
    }
    // The count is checked against the member's size before anything is allocated, so a
    // damaged count cannot ask for gigabytes; the points read are the whole ones there.
    std::uint8_t head[4];
    if (theNavVolume.ReadRecords(head, 4, 1) != 1) {
        theNavVolume.CloseFile();
        return 1;
    }
    const std::uint32_t count = core::ReadU32(head);
    core::VolumeRStream* stream = theNavVolume.GetStream();
    const std::int64_t size = stream != nullptr ? stream->GetEntrySize(memberName) : -1;
    int read = 0;
    std::vector<std::uint8_t> bytes;
    if (size >= 4) {
        // The size is known: the whole points the member holds come in one read.
        const auto wanted = static_cast<std::uint32_t>(
            std::min<std::int64_t>({count, (size - 4) / kOutlinePointBytes, kMaxPoints}));
        bytes.resize(4 + std::size_t{wanted} * kOutlinePointBytes);
        if (wanted > 0 &&
            theNavVolume.ReadRecords(bytes.data() + 4,
                                     static_cast<int>(wanted) * kOutlinePointBytes, 1) == 1)
            read = static_cast<int>(wanted);
    } else {
        // Point by point, so the whole points before a short member's end count.
        const std::uint32_t wanted = std::min<std::uint32_t>(count, kMaxPoints);
        bytes.resize(4 + std::size_t{wanted} * kOutlinePointBytes);
        read = wanted > 0 ? theNavVolume.ReadRecords(bytes.data() + 4, kOutlinePointBytes,
                                                     static_cast<int>(wanted))
                          : 0;
    }
    std::copy(head, head + 4, bytes.begin());
    theNavVolume.CloseFile();
    *points = DecodeMapOutline(bytes.data(), 4 + static_cast<std::size_t>(std::max(read, 0)) *
                                                     kOutlinePointBytes);
    if (static_cast<std::uint32_t>(points->size()) != count)
        win::TraceLine(std::string("nav: load ") + memberName + ": " +
                       std::to_string(points->size()) + " of " + std::to_string(count) +
                       " points");
    return 1;
}

}  // namespace nav
