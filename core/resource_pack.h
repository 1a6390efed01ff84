// The resource pack: the volume tools/rescomp writes from resources/, opened at start-up and
// installed as the window system's resource library (win/resource.h), which reads it through
// a ResourceSource and never sees the volume itself.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/volume_stream.h"
#include "win/resource.h"

namespace core {

// Members of a resource pack, read whole through the volume reader.
class VolumeResourceSource final : public win::ResourceSource {
public:
    // 1 when the volume's index loaded.
    int Open(std::string_view path);
    std::optional<std::vector<std::uint8_t>> Read(std::string_view memberName) override;

private:
    VolumeRStream volume;
};

// Opens the pack and installs it as a resource library. A missing, unreadable or foreign file
// gives the null handle and a message for the user in `error` ("the resource pack X ...").
win::HINSTANCE OpenResourcePack(std::string_view path, std::string* error);

}  // namespace core
