#include "win/resource.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <unordered_map>

namespace win {

namespace {

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// A bounded little-endian reader: every read checks what is left and a failed read sticks, so
// a decoder checks once at the end.
class ByteReader {
public:
    explicit ByteReader(const std::vector<std::uint8_t>& bytes) : data_(bytes) {}
    ByteReader(const std::vector<std::uint8_t>& bytes, std::size_t at) : data_(bytes), pos_(at) {
        if (at > bytes.size()) failed_ = true;
    }
    std::uint8_t U8() {
        if (!Need(1)) return 0;
        return data_[pos_++];
    }
    std::uint16_t U16() {
        if (!Need(2)) return 0;
        const auto v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::uint32_t U32() {
        if (!Need(4)) return 0;
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | data_[pos_ + static_cast<std::size_t>(i)];
        pos_ += 4;
        return v;
    }
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::string Text() {
        const std::uint16_t n = U16();
        if (!Need(n)) return {};
        std::string s(reinterpret_cast<const char*>(data_.data() + pos_), n);
        pos_ += n;
        return s;
    }
    bool Need(std::size_t n) {
        if (failed_ || data_.size() - pos_ < n) {
            failed_ = true;
            return false;
        }
        return true;
    }
    [[nodiscard]] bool Ok() const { return !failed_; }
    [[nodiscard]] bool AtEnd() const { return !failed_ && pos_ == data_.size(); }
    [[nodiscard]] std::size_t Position() const { return pos_; }

private:
    const std::vector<std::uint8_t>& data_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

class ByteWriter {
public:
    void U8(std::uint8_t v) { out.push_back(v); }
    void U16(std::uint16_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    // Texts longer than a u16 can count are cut at 65535 bytes; the script compiler refuses
    // them before they get here.
    void Text(std::string_view s) {
        const std::size_t n = std::min<std::size_t>(s.size(), 0xFFFF);
        U16(static_cast<std::uint16_t>(n));
        out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    }
    std::vector<std::uint8_t> out;
};

struct LoadedLibrary {
    std::unique_ptr<ResourceSource> source;
    // Cursors are shared: each is loaded once per library and lives as long as the library.
    std::unordered_map<std::uint32_t, HCURSOR> cursors;
};

struct Libraries {
    std::unordered_map<std::uint32_t, LoadedLibrary> libraries;
    std::uint32_t nextId = 1;
    std::unordered_map<std::uint32_t, IconImage> icons;
    std::uint32_t nextIcon = 1;
};

Libraries& TheLibraries() {
    static Libraries libraries;
    return libraries;
}

ResourceSource* SourceOf(HINSTANCE library) {
    auto& libs = TheLibraries().libraries;
    auto it = libs.find(library.id);
    return it != libs.end() ? it->second.source.get() : nullptr;
}

std::optional<std::vector<std::uint8_t>> ReadMember(HINSTANCE library, const std::string& name) {
    ResourceSource* source = SourceOf(library);
    if (!source) return std::nullopt;
    return source->Read(name);
}

}  // namespace

// ---- Sources and libraries ---------------------------------------------------------------------

void MemoryResourceSource::Add(std::string_view memberName, std::vector<std::uint8_t> bytes) {
    members_[Upper(memberName)] = std::move(bytes);
}

std::optional<std::vector<std::uint8_t>> MemoryResourceSource::Read(std::string_view memberName) {
    auto it = members_.find(Upper(memberName));
    if (it == members_.end()) return std::nullopt;
    return it->second;
}

std::string ResourceMemberName(std::string_view type, std::string_view name) {
    // A name that is all digits is a number, as "#123" is.
    std::string_view digits = name;
    if (!digits.empty() && digits.front() == '#') digits.remove_prefix(1);
    std::uint32_t id = 0;
    if (!digits.empty() &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
        if (ec == std::errc() && end == digits.data() + digits.size())
            return ResourceMemberName(type, id);
    }
    return Upper(type) + "\\" + Upper(name);
}

std::string ResourceMemberName(std::string_view type, std::uint32_t id) {
    return Upper(type) + "\\#" + std::to_string(id);
}

std::vector<std::uint8_t> EncodeManifest(std::uint32_t memberCount) {
    ByteWriter w;
    for (char c : std::string_view("ZRPK"))
        w.U8(static_cast<std::uint8_t>(c));
    w.U16(1);
    w.U16(0);
    w.U32(memberCount);
    return w.out;
}

HINSTANCE LoadResourceLibrary(std::unique_ptr<ResourceSource> source, std::string* error) {
    auto fail = [&](const char* why) {
        if (error) *error = why;
        return HINSTANCE{};
    };
    if (!source) return fail("the resource pack could not be opened");
    const auto manifest = source->Read(kManifestMember);
    if (!manifest) return fail("the resource pack has no manifest (not a resource pack)");
    ByteReader r(*manifest);
    const std::uint32_t magic = r.U32();
    const std::uint16_t version = r.U16();
    r.U16();
    r.U32();
    if (!r.AtEnd() || magic != 0x4B50525Au)  // "ZRPK"
        return fail("the resource pack's manifest is damaged");
    if (version != 1) return fail("the resource pack was made by another version of rescomp");
    Libraries& libs = TheLibraries();
    const std::uint32_t id = libs.nextId++;
    libs.libraries[id].source = std::move(source);
    InstallResourceCursorLoader();
    if (error) error->clear();
    return HINSTANCE{id};
}

bool FreeResourceLibrary(HINSTANCE library) {
    auto& libs = TheLibraries().libraries;
    const auto it = libs.find(library.id);
    if (it == libs.end()) return false;
    for (const auto& [id, cursor] : it->second.cursors)
        DestroyCursor(cursor);
    libs.erase(it);
    return true;
}

std::optional<std::vector<std::uint8_t>> LoadResourceBytes(HINSTANCE library, std::string_view type,
                                                           std::string_view name) {
    return ReadMember(library, ResourceMemberName(type, name));
}

std::optional<std::vector<std::uint8_t>> LoadResourceBytes(HINSTANCE library, std::string_view type,
                                                           std::uint32_t id) {
    return ReadMember(library, ResourceMemberName(type, id));
}

// ---- Strings and accelerators ------------------------------------------------------------------

int LoadString(HINSTANCE library, std::uint32_t id, std::string* out) {
    if (!out) return 0;
    out->clear();
    const auto bytes = LoadResourceBytes(library, RT_STRING, id);
    if (!bytes) return 0;
    out->assign(bytes->begin(), bytes->end());
    return static_cast<int>(out->size());
}

int LoadString(HINSTANCE library, std::uint32_t id, char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    std::string text;
    LoadString(library, id, &text);
    const int n = std::min(static_cast<int>(text.size()), size - 1);
    std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
    buffer[n] = '\0';
    return n;
}

std::vector<std::uint8_t> EncodeAccelerators(const std::vector<ACCEL>& entries) {
    ByteWriter w;
    w.U16(static_cast<std::uint16_t>(std::min<std::size_t>(entries.size(), 0xFFFF)));
    for (std::size_t i = 0; i < entries.size() && i < 0xFFFF; ++i) {
        w.U8(entries[i].flags);
        w.U8(0);
        w.U16(entries[i].key);
        w.U16(entries[i].cmd);
    }
    return w.out;
}

std::optional<std::vector<ACCEL>> DecodeAccelerators(const std::vector<std::uint8_t>& bytes) {
    ByteReader r(bytes);
    const std::uint16_t count = r.U16();
    if (!r.Ok() || bytes.size() != 2 + static_cast<std::size_t>(count) * 6) return std::nullopt;
    std::vector<ACCEL> entries(count);
    for (ACCEL& a : entries) {
        a.flags = r.U8();
        r.U8();
        a.key = r.U16();
        a.cmd = r.U16();
    }
    return entries;
}

HACCEL LoadAccelerators(HINSTANCE library, std::string_view name) {
    const auto bytes = LoadResourceBytes(library, RT_ACCELERATOR, name);
    if (!bytes) return HACCEL{};
    const auto entries = DecodeAccelerators(*bytes);
    return entries ? CreateAcceleratorTable(*entries) : HACCEL{};
}

HACCEL LoadAccelerators(HINSTANCE library, std::uint32_t id) {
    return LoadAccelerators(library, "#" + std::to_string(id));
}

// ---- Images ------------------------------------------------------------------------------------

namespace {

// A packed DIB: BITMAPINFOHEADER, colour table, then pixels at `pixelOffset` (from the start
// of `bytes`) or right after the table when it is 0. `heightDivisor` is 2 for icon images,
// whose header counts the colour and mask bitmaps together. `maskOut` receives the 1-bit mask
// rows of an icon image (1 = transparent).
std::optional<DibImage> DecodeDib(const std::vector<std::uint8_t>& bytes, std::size_t start,
                                  std::size_t pixelOffset, int heightDivisor,
                                  std::vector<std::uint8_t>* maskOut) {
    ByteReader r(bytes, start);
    const std::uint32_t headerSize = r.U32();
    const std::int32_t width = r.I32();
    std::int32_t height = r.I32();
    const std::uint16_t planes = r.U16();
    const std::uint16_t bpp = r.U16();
    const std::uint32_t compression = r.U32();
    r.U32();
    r.U32();
    r.U32();
    std::uint32_t colours = r.U32();
    r.U32();
    if (!r.Ok() || headerSize < 40 || headerSize > 124) return std::nullopt;
    if (planes != 1 || compression != BI_RGB) return std::nullopt;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return std::nullopt;
    const bool topDown = height < 0;
    if (height == INT32_MIN) return std::nullopt;
    height = std::abs(height) / heightDivisor;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return std::nullopt;
    if (bpp <= 8) {
        if (colours == 0) colours = 1u << bpp;
        if (colours > (1u << bpp)) return std::nullopt;
    } else {
        colours = 0;
    }
    const std::size_t tableAt = start + headerSize;
    if (tableAt + static_cast<std::size_t>(colours) * 4 > bytes.size()) return std::nullopt;
    DibImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = bpp <= 8 ? 8 : 32;
    for (std::uint32_t i = 0; i < colours; ++i) {
        const std::uint8_t* q = bytes.data() + tableAt + 4 * static_cast<std::size_t>(i);
        image.table[i] = (static_cast<std::uint32_t>(q[2]) << 16) |
                         (static_cast<std::uint32_t>(q[1]) << 8) | q[0];
    }
    const std::size_t pixelsAt = pixelOffset ? pixelOffset : tableAt + colours * 4;
    const std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
    const std::size_t maskStride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
    const std::size_t need = stride * height + (maskOut ? maskStride * height : 0);
    if (pixelsAt > bytes.size() || bytes.size() - pixelsAt < need) return std::nullopt;
    if (image.bitsPerPixel == 8)
        image.indices.resize(static_cast<std::size_t>(width) * height);
    else
        image.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int srcRow = topDown ? y : height - 1 - y;
        const std::uint8_t* row = bytes.data() + pixelsAt + stride * srcRow;
        for (int x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * width + x;
            switch (bpp) {
                case 1:
                    image.indices[at] = (row[x >> 3] >> (7 - (x & 7))) & 1;
                    break;
                case 4:
                    image.indices[at] = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
                    break;
                case 8:
                    image.indices[at] = row[x];
                    break;
                case 16: {
                    const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
                    const unsigned r5 = (v >> 10) & 31, g5 = (v >> 5) & 31, b5 = v & 31;
                    image.pixels[at] = (((r5 << 3) | (r5 >> 2)) << 16) |
                                       (((g5 << 3) | (g5 >> 2)) << 8) | ((b5 << 3) | (b5 >> 2));
                    break;
                }
                case 24:
                    image.pixels[at] = (static_cast<std::uint32_t>(row[3 * x + 2]) << 16) |
                                       (static_cast<std::uint32_t>(row[3 * x + 1]) << 8) |
                                       row[3 * x];
                    break;
                default: {
                    std::uint32_t v;
                    std::memcpy(&v, row + 4 * x, 4);
                    image.pixels[at] = v;  // alpha kept for icons; callers mask it
                    break;
                }
            }
        }
    }
    if (maskOut) {
        maskOut->assign(static_cast<std::size_t>(width) * height, 0);
        const std::uint8_t* mask = bytes.data() + pixelsAt + stride * height;
        for (int y = 0; y < height; ++y) {
            const int srcRow = topDown ? y : height - 1 - y;
            const std::uint8_t* row = mask + maskStride * srcRow;
            for (int x = 0; x < width; ++x)
                (*maskOut)[static_cast<std::size_t>(y) * width + x] =
                    (row[x >> 3] >> (7 - (x & 7))) & 1;
        }
    }
    return image;
}

}  // namespace

std::optional<DibImage> DecodeBmpFile(const std::vector<std::uint8_t>& file) {
    ByteReader r(file);
    const std::uint16_t magic = r.U16();
    r.U32();
    r.U32();
    const std::uint32_t pixelOffset = r.U32();
    if (!r.Ok() || magic != 0x4D42 || pixelOffset < 14 + 40 || pixelOffset > file.size())
        return std::nullopt;
    auto image = DecodeDib(file, 14, pixelOffset, 1, nullptr);
    if (image && image->bitsPerPixel == 32)
        for (auto& p : image->pixels)
            p &= 0x00FFFFFFu;
    return image;
}

std::optional<IconImage> DecodeIconFile(const std::vector<std::uint8_t>& file) {
    ByteReader r(file);
    const std::uint16_t reserved = r.U16();
    const std::uint16_t type = r.U16();
    const std::uint16_t count = r.U16();
    if (!r.Ok() || reserved != 0 || (type != 1 && type != 2) || count == 0) return std::nullopt;
    // The entry nearest 32×32 (the size the cursor and icon metrics give).
    int best = -1;
    int bestScore = 0;
    std::uint16_t hotX = 0, hotY = 0;
    std::uint32_t offset = 0;
    for (int i = 0; i < count; ++i) {
        const int w = r.U8();
        const int h = r.U8();
        r.U8();
        r.U8();
        const std::uint16_t a = r.U16();
        const std::uint16_t b = r.U16();
        r.U32();
        const std::uint32_t at = r.U32();
        if (!r.Ok()) return std::nullopt;
        const int score = std::abs((w ? w : 256) - 32) + std::abs((h ? h : 256) - 32);
        if (best < 0 || score < bestScore) {
            best = i;
            bestScore = score;
            hotX = a;
            hotY = b;
            offset = at;
        }
    }
    std::vector<std::uint8_t> mask;
    auto dib = DecodeDib(file, offset, 0, 2, &mask);
    if (!dib) return std::nullopt;
    IconImage icon;
    icon.width = dib->width;
    icon.height = dib->height;
    icon.hotX = type == 2 ? std::min<int>(hotX, icon.width - 1) : icon.width / 2;
    icon.hotY = type == 2 ? std::min<int>(hotY, icon.height - 1) : icon.height / 2;
    icon.argb.resize(static_cast<std::size_t>(icon.width) * icon.height);
    bool anyAlpha = false;
    if (dib->bitsPerPixel == 32)
        for (std::uint32_t p : dib->pixels)
            anyAlpha |= (p >> 24) != 0;
    for (std::size_t i = 0; i < icon.argb.size(); ++i) {
        const std::uint32_t rgb =
            dib->bitsPerPixel == 8 ? dib->table[dib->indices[i]] : dib->pixels[i] & 0x00FFFFFFu;
        std::uint32_t alpha = mask[i] ? 0 : 255;
        if (anyAlpha) alpha = dib->pixels[i] >> 24;
        icon.argb[i] = (alpha << 24) | rgb;
    }
    return icon;
}

HBITMAP LoadBitmap(HINSTANCE library, std::string_view name) {
    const auto bytes = LoadResourceBytes(library, RT_BITMAP, name);
    if (!bytes) return HBITMAP{};
    const auto image = DecodeBmpFile(*bytes);
    if (!image) return HBITMAP{};
    BITMAPINFO info;
    info.bmiHeader.biWidth = image->width;
    info.bmiHeader.biHeight = -image->height;
    info.bmiHeader.biBitCount = static_cast<std::uint16_t>(image->bitsPerPixel);
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t c = image->table[i];
        info.bmiColors[i] = RGBQUAD{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                                    static_cast<std::uint8_t>(c >> 16), 0};
    }
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(HDC{}, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return HBITMAP{};
    auto* dst = static_cast<std::uint8_t*>(bits);
    if (image->bitsPerPixel == 8) {
        const int stride = (image->width + 3) & ~3;
        for (int y = 0; y < image->height; ++y)
            std::memcpy(dst + static_cast<std::ptrdiff_t>(y) * stride,
                        image->indices.data() + static_cast<std::ptrdiff_t>(y) * image->width,
                        static_cast<std::size_t>(image->width));
    } else {
        std::memcpy(dst, image->pixels.data(), image->pixels.size() * 4);
    }
    return bitmap;
}

HBITMAP LoadBitmap(HINSTANCE library, std::uint32_t id) {
    return LoadBitmap(library, "#" + std::to_string(id));
}

namespace {

HICON AddIcon(IconImage image) {
    Libraries& libs = TheLibraries();
    const std::uint32_t id = libs.nextIcon++;
    libs.icons.emplace(id, std::move(image));
    return HICON{id};
}

// A plain built-in icon: a framed square with a mark, in the colours of the id's meaning.
IconImage BuiltInIcon(std::uint32_t id) {
    IconImage icon;
    icon.width = icon.height = 32;
    icon.hotX = icon.hotY = 16;
    std::uint32_t fill = 0xFFFFFFFFu;
    switch (id) {
        case IDI_HAND:
            fill = 0xFFFF0000u;
            break;
        case IDI_EXCLAMATION:
            fill = 0xFFFFFF00u;
            break;
        case IDI_QUESTION:
        case IDI_ASTERISK:
            fill = 0xFF0000FFu;
            break;
        default:
            break;
    }
    icon.argb.assign(32 * 32, 0);
    for (int y = 4; y < 28; ++y)
        for (int x = 4; x < 28; ++x)
            icon.argb[y * 32 + x] = (x == 4 || y == 4 || x == 27 || y == 27) ? 0xFF000000u : fill;
    return icon;
}

}  // namespace

HICON LoadIcon(HINSTANCE library, std::string_view name) {
    const auto bytes = LoadResourceBytes(library, RT_ICON, name);
    if (!bytes) return HICON{};
    auto image = DecodeIconFile(*bytes);
    return image ? AddIcon(std::move(*image)) : HICON{};
}

HICON LoadIcon(HINSTANCE library, std::uint32_t id) {
    if (!library) {
        if (id < IDI_APPLICATION || id > IDI_ASTERISK) return HICON{};
        return AddIcon(BuiltInIcon(id));
    }
    return LoadIcon(library, "#" + std::to_string(id));
}

bool DrawIcon(HDC hdc, int x, int y, HICON icon) {
    auto& icons = TheLibraries().icons;
    auto it = icons.find(icon.id);
    if (it == icons.end()) return false;
    const IconImage& image = it->second;
    for (int yy = 0; yy < image.height; ++yy) {
        for (int xx = 0; xx < image.width; ++xx) {
            const std::uint32_t p = image.argb[static_cast<std::size_t>(yy) * image.width + xx];
            if ((p >> 24) < 128) continue;
            SetPixel(hdc, x + xx, y + yy,
                     RGB(static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                         static_cast<std::uint8_t>(p)));
        }
    }
    return true;
}

bool DestroyIcon(HICON icon) {
    return TheLibraries().icons.erase(icon.id) > 0;
}

void InstallResourceCursorLoader() {
    SetResourceCursorLoader([](HINSTANCE library, std::uint32_t id) -> HCURSOR {
        auto& libs = TheLibraries().libraries;
        const auto lib = libs.find(library.id);
        if (lib == libs.end()) return HCURSOR{};
        if (const auto known = lib->second.cursors.find(id); known != lib->second.cursors.end())
            return known->second;
        const auto bytes = LoadResourceBytes(library, RT_CURSOR, id);
        if (!bytes) return HCURSOR{};
        const auto image = DecodeIconFile(*bytes);
        if (!image) return HCURSOR{};
        const HCURSOR cursor = CreateImageCursor(image->width, image->height, image->hotX,
                                                 image->hotY, image->argb);
        if (cursor) lib->second.cursors[id] = cursor;
        return cursor;
    });
}

// ---- Menu templates ----------------------------------------------------------------------------

namespace {

constexpr int kMaxMenuDepth = 8;

void EncodeMenuLevel(ByteWriter& w, const std::vector<MenuTemplateItem>& items, int depth) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuTemplateItem& item = items[i];
        const bool popup = (item.flags & MF_POPUP) != 0 && depth < kMaxMenuDepth;
        std::uint16_t flags = static_cast<std::uint16_t>(item.flags & ~MF_END);
        if (!popup) flags &= static_cast<std::uint16_t>(~MF_POPUP);
        if (i + 1 == items.size()) flags |= MF_END;
        w.U16(flags);
        if (!popup) w.U16(item.id);
        w.Text(item.text);
        if (popup) {
            if (item.items.empty()) {
                // An empty popup still needs a level: one separator stands in for it.
                w.U16(MF_SEPARATOR | MF_END);
                w.U16(0);
                w.Text("");
            } else {
                EncodeMenuLevel(w, item.items, depth + 1);
            }
        }
    }
}

bool DecodeMenuLevel(ByteReader& r, std::vector<MenuTemplateItem>& items, int depth) {
    if (depth > kMaxMenuDepth) return false;
    for (;;) {
        MenuTemplateItem item;
        const std::uint16_t flags = r.U16();
        item.flags = static_cast<std::uint16_t>(flags & ~MF_END);
        if (!(flags & MF_POPUP)) item.id = r.U16();
        item.text = r.Text();
        if (!r.Ok()) return false;
        if (flags & MF_POPUP) {
            if (!DecodeMenuLevel(r, item.items, depth + 1)) return false;
        }
        items.push_back(std::move(item));
        if (items.size() > 4096) return false;
        if (flags & MF_END) return true;
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeMenuTemplate(const std::vector<MenuTemplateItem>& items) {
    ByteWriter w;
    EncodeMenuLevel(w, items, 1);
    return w.out;
}

std::optional<std::vector<MenuTemplateItem>> DecodeMenuTemplate(
    const std::vector<std::uint8_t>& bytes) {
    std::vector<MenuTemplateItem> items;
    if (bytes.empty()) return items;  // a menu with no items
    ByteReader r(bytes);
    if (!DecodeMenuLevel(r, items, 1) || !r.AtEnd()) return std::nullopt;
    return items;
}

// ---- Dialog templates --------------------------------------------------------------------------

std::vector<std::uint8_t> EncodeDialogTemplate(const DialogTemplate& d) {
    ByteWriter w;
    for (char c : std::string_view("DLGX"))
        w.U8(static_cast<std::uint8_t>(c));
    w.U32(d.style);
    w.U32(d.exStyle);
    w.U32(d.helpId);
    w.U16(static_cast<std::uint16_t>(d.x));
    w.U16(static_cast<std::uint16_t>(d.y));
    w.U16(static_cast<std::uint16_t>(d.cx));
    w.U16(static_cast<std::uint16_t>(d.cy));
    w.Text(d.caption);
    w.Text(d.menu);
    w.Text(d.className);
    w.U16(d.fontSize);
    w.U16(d.fontWeight);
    w.U8(d.fontItalic);
    w.U8(d.fontCharSet);
    w.Text(d.fontFace);
    w.U16(static_cast<std::uint16_t>(std::min<std::size_t>(d.items.size(), 0xFFFF)));
    for (std::size_t i = 0; i < d.items.size() && i < 0xFFFF; ++i) {
        const DialogItemTemplate& it = d.items[i];
        w.Text(it.className);
        w.Text(it.text);
        w.U32(static_cast<std::uint32_t>(it.id));
        w.U32(it.style);
        w.U32(it.exStyle);
        w.U32(it.helpId);
        w.U16(static_cast<std::uint16_t>(it.x));
        w.U16(static_cast<std::uint16_t>(it.y));
        w.U16(static_cast<std::uint16_t>(it.cx));
        w.U16(static_cast<std::uint16_t>(it.cy));
    }
    return w.out;
}

std::optional<DialogTemplate> DecodeDialogTemplate(const std::vector<std::uint8_t>& bytes) {
    ByteReader r(bytes);
    if (r.U32() != 0x58474C44u) return std::nullopt;  // "DLGX"
    DialogTemplate d;
    d.style = r.U32();
    d.exStyle = r.U32();
    d.helpId = r.U32();
    d.x = r.I16();
    d.y = r.I16();
    d.cx = r.I16();
    d.cy = r.I16();
    d.caption = r.Text();
    d.menu = r.Text();
    d.className = r.Text();
    d.fontSize = r.U16();
    d.fontWeight = r.U16();
    d.fontItalic = r.U8();
    d.fontCharSet = r.U8();
    d.fontFace = r.Text();
    const std::uint16_t count = r.U16();
    // Each item takes at least 28 bytes, so a count the data cannot hold fails before any
    // allocation.
    if (!r.Ok() || static_cast<std::size_t>(count) * 28 > bytes.size() - r.Position())
        return std::nullopt;
    d.items.resize(count);
    for (DialogItemTemplate& it : d.items) {
        it.className = r.Text();
        it.text = r.Text();
        it.id = r.I32();
        it.style = r.U32();
        it.exStyle = r.U32();
        it.helpId = r.U32();
        it.x = r.I16();
        it.y = r.I16();
        it.cx = r.I16();
        it.cy = r.I16();
    }
    if (!r.AtEnd()) return std::nullopt;
    return d;
}

std::optional<DialogTemplate> LoadDialogTemplate(HINSTANCE library, std::string_view name) {
    const auto bytes = LoadResourceBytes(library, RT_DIALOG, name);
    if (!bytes) return std::nullopt;
    return DecodeDialogTemplate(*bytes);
}

std::optional<DialogTemplate> LoadDialogTemplate(HINSTANCE library, std::uint32_t id) {
    return LoadDialogTemplate(library, "#" + std::to_string(id));
}

void AddDialogItem(DialogTemplate& dialog, std::string_view className, std::string_view text, int id,
                   std::uint32_t style, int x, int y, int cx, int cy) {
    DialogItemTemplate item;
    item.className = std::string(className);
    item.text = std::string(text);
    item.id = id;
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = static_cast<std::int16_t>(x);
    item.y = static_cast<std::int16_t>(y);
    item.cx = static_cast<std::int16_t>(cx);
    item.cy = static_cast<std::int16_t>(cy);
    dialog.items.push_back(std::move(item));
}

}  // namespace win
