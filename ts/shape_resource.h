// Where shape, material-list and texture files come from: the volume a loader made current
// (the shape resource stream), or loose files in the shape search path. Every loader of shapes
// (the aircraft, terrain tiles, scenery objects, runways, shadows) makes its volume current first.
#pragma once

#include <string>
#include <string_view>

#include "core/stream_io.h"

namespace core {
class VolumeStream;
}

namespace ts {

inline constexpr std::size_t kMaxShapeSearchPath = 259;

// The volume entries are opened from (null: loose files on the search path). Not owned.
void SetShapeResourceStream(core::VolumeStream* stream);
[[nodiscard]] core::VolumeStream* GetShapeResourceStream();

// The folder searched for loose files, cut to 259 characters.
void SetShapeSearchPath(std::string_view directory);
[[nodiscard]] const std::string& GetShapeSearchPath();

// While it lives, the folder part of the path is the search path (when it has one); it also
// gives the path's file name (name and extension).
class ShapeSearchPath {
public:
    explicit ShapeSearchPath(std::string_view path);
    ~ShapeSearchPath();
    ShapeSearchPath(const ShapeSearchPath&) = delete;
    ShapeSearchPath& operator=(const ShapeSearchPath&) = delete;
    [[nodiscard]] const std::string& FileName() const { return fileName; }

private:
    std::string fileName;
    std::string saved;
    bool changed = false;
};

// A stream open on the named resource, or null. With a resource stream current the entry is
// opened in it (and the volume stream itself returned); otherwise the file is looked for in the
// search path folder only, through the platform's path resolver, and opened as a new file stream.
[[nodiscard]] core::StreamIO* OpenShapeResource(std::string_view fileName);
// Closes what OpenShapeResource gave: the volume's entry is only closed (the volume stays
// usable); a file stream is closed and deleted.
void CloseShapeResource(core::StreamIO* stream);

}  // namespace ts
