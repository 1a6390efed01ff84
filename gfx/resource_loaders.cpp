// The resource volumes' loaders of drawing-layer objects: each opens the member, reads one
// object from it, closes the member and answers the object, or null when any step fails (a
// member that opened and could not be read is reported as damaged).
#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "gfx/palette.h"

namespace core {

std::unique_ptr<gfx::GFXBitmap> ResourceVolume::LoadBitmap(std::string_view name,
                                                           std::uint32_t flags) {
    if (!OpenFile(name) || GetStream() == nullptr) return nullptr;
    std::unique_ptr<gfx::GFXBitmap> b = gfx::GFXBitmap::ReadNew(*GetStream(), flags);
    CloseFile();
    if (!b) ReportDamagedMember(name);
    return b;
}

std::unique_ptr<gfx::GFXFont> ResourceVolume::LoadFont(std::string_view name) {
    if (!OpenFile(name) || GetStream() == nullptr) return nullptr;
    std::unique_ptr<gfx::GFXFont> f = gfx::GFXFont::ReadNew(*GetStream());
    CloseFile();
    if (!f) ReportDamagedMember(name);
    return f;
}

std::unique_ptr<gfx::GFXPalette> ResourceVolume::LoadPalette(std::string_view name,
                                                             std::uint32_t flags) {
    if (!OpenFile(name) || GetStream() == nullptr) return nullptr;
    std::unique_ptr<gfx::GFXPalette> p = gfx::GFXPalette::ReadNew(*GetStream(), flags);
    CloseFile();
    if (!p) ReportDamagedMember(name);
    return p;
}

}  // namespace core
