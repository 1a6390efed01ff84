#include "core/resource_pack.h"

namespace core {

int VolumeResourceSource::Open(std::string_view path) {
    return volume.OpenVolume(path);
}

std::optional<std::vector<std::uint8_t>> VolumeResourceSource::Read(std::string_view memberName) {
    const std::int64_t size = volume.GetEntrySize(memberName);
    if (size < 0 || !volume.OpenEntry(memberName)) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    // A short read is a damaged member, never a shorter resource.
    const bool ok = size == 0 || (volume.Read(static_cast<std::uint32_t>(size), bytes.data()) &&
                                  volume.GetLastCount() == static_cast<std::uint32_t>(size));
    volume.Close();
    if (!ok) return std::nullopt;
    return bytes;
}

win::HINSTANCE OpenResourcePack(std::string_view path, std::string* error) {
    auto source = std::make_unique<VolumeResourceSource>();
    const std::string name(path);
    if (!source->Open(path)) {
        if (error) *error = "the resource pack \"" + name + "\" is missing or is not a volume";
        return win::HINSTANCE{};
    }
    std::string why;
    const win::HINSTANCE library = win::LoadResourceLibrary(std::move(source), &why);
    if (!library && error) *error = "the resource pack \"" + name + "\" cannot be used: " + why;
    return library;
}

}  // namespace core
