// The starter installation's art as the cockpit tests read it: where it is, and a volume
// member's raw bytes.
#pragma once

#include <cstdint>
#include <string>

#include "core/resource_volume.h"

namespace cockpittest {

inline std::string Install() {
    return std::string(ZEPHLON_BINARY_DIR) + "/install";
}

// The member's stored bytes; empty when it is missing.
inline std::string MemberBytes(core::ResourceVolume& volume, const std::string& name) {
    const std::int64_t size = volume.GetStream()->GetEntrySize(name);
    if (size <= 0 || !volume.OpenFile(name)) return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const int read = volume.ReadRecords(bytes.data(), 1, static_cast<int>(size));
    volume.CloseFile();
    bytes.resize(static_cast<std::size_t>(read > 0 ? read : 0));
    return bytes;
}

}  // namespace cockpittest
