#include "ts/shape_resource.h"

#include <memory>

#include "core/file_stream.h"
#include "core/volume_stream.h"
#include "win/file_api.h"

namespace ts {

namespace {

core::VolumeStream* theShapeResourceStream = nullptr;

std::string& SearchPath() {
    static std::string path;
    return path;
}

// The longest full path the search hands back, as its buffer of 256 characters allows.
constexpr std::size_t kMaxFoundPath = 255;

}  // namespace

void SetShapeResourceStream(core::VolumeStream* stream) {
    theShapeResourceStream = stream;
}

core::VolumeStream* GetShapeResourceStream() {
    return theShapeResourceStream;
}

void SetShapeSearchPath(std::string_view directory) {
    SearchPath().assign(directory.substr(0, kMaxShapeSearchPath));
}

const std::string& GetShapeSearchPath() {
    return SearchPath();
}

ShapeSearchPath::ShapeSearchPath(std::string_view path) {
    // The folder part runs to the last separator (either slash) or a drive's colon.
    const std::size_t cut = path.find_last_of("\\/:");
    const std::string_view folder = cut == std::string_view::npos ? std::string_view{} : path.substr(0, cut + 1);
    fileName.assign(cut == std::string_view::npos ? path : path.substr(cut + 1));
    if (!folder.empty()) {
        saved = SearchPath();
        SetShapeSearchPath(folder);
        changed = true;
    }
}

ShapeSearchPath::~ShapeSearchPath() {
    if (changed) SearchPath() = saved;
}

core::StreamIO* OpenShapeResource(std::string_view fileName) {
    if (fileName.empty()) return nullptr;
    if (theShapeResourceStream != nullptr)
        return theShapeResourceStream->OpenEntry(fileName) != 0 ? theShapeResourceStream : nullptr;
    // The search looks in exactly the search path's folder, never in system folders.
    std::string path = SearchPath();
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    path.append(fileName);
    if (path.size() > kMaxFoundPath) return nullptr;
    const std::uint32_t attributes = win::GetFileAttributes(path);
    if (attributes == win::INVALID_FILE_ATTRIBUTES ||
        (attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0)
        return nullptr;
    auto stream = std::make_unique<core::FileRStream>();
    stream->Open(path);
    if (stream->GetStatus() != core::kStreamOk) return nullptr;
    return stream.release();
}

void CloseShapeResource(core::StreamIO* stream) {
    if (stream == nullptr) return;
    stream->Close();
    if (stream != theShapeResourceStream) delete stream;
}

}  // namespace ts
