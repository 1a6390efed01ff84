// Golden 8-bit pictures: a picture of palette indices with its colour table, kept in
// tests/golden/ as a run-length coded 8-bit BMP (any viewer shows it with its colours), compared
// index for index. ZEPHLON_UPDATE_GOLDEN=1 writes the picture instead of comparing, after a
// deliberate change.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;      // top row first
    std::array<std::uint32_t, 256> colours{};  // 0x00RRGGBB
};

namespace golden_detail {

inline void Put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

}  // namespace golden_detail

// BI_RLE8: each row, bottom row first, as runs of (count, index), then an end-of-line mark.
inline std::vector<std::uint8_t> EncodeRle8Bmp(const IndexedImage& image) {
    using namespace golden_detail;
    std::vector<std::uint8_t> data;
    for (int y = image.height - 1; y >= 0; --y) {
        const std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
        for (int x = 0; x < image.width;) {
            int n = 1;
            while (x + n < image.width && n < 255 && row[x + n] == row[x])
                ++n;
            data.push_back(static_cast<std::uint8_t>(n));
            data.push_back(row[x]);
            x += n;
        }
        data.push_back(0);
        data.push_back(0);
    }
    data.push_back(0);
    data.push_back(1);
    std::vector<std::uint8_t> file;
    const std::uint32_t offset = 14 + 40 + 1024;
    file.push_back('B');
    file.push_back('M');
    Put32(file, offset + static_cast<std::uint32_t>(data.size()));
    Put32(file, 0);
    Put32(file, offset);
    Put32(file, 40);
    Put32(file, static_cast<std::uint32_t>(image.width));
    Put32(file, static_cast<std::uint32_t>(image.height));
    Put16(file, 1);
    Put16(file, 8);
    Put32(file, 1);  // BI_RLE8
    Put32(file, static_cast<std::uint32_t>(data.size()));
    Put32(file, 2835);
    Put32(file, 2835);
    Put32(file, 256);
    Put32(file, 0);
    for (std::uint32_t c : image.colours)
        Put32(file, c & 0x00FFFFFFu);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

inline std::optional<IndexedImage> DecodeRle8Bmp(const std::vector<std::uint8_t>& file) {
    using namespace golden_detail;
    if (file.size() < 14 + 40 + 1024 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
    IndexedImage image;
    image.width = static_cast<int>(Get32(file, 18));
    image.height = static_cast<int>(Get32(file, 22));
    if (image.width <= 0 || image.height <= 0 || image.width > 4096 || image.height > 4096 ||
        Get32(file, 30) != 1)
        return std::nullopt;
    for (int i = 0; i < 256; ++i)
        image.colours[static_cast<std::size_t>(i)] = Get32(file, 54 + 4 * i) & 0x00FFFFFFu;
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    std::size_t at = Get32(file, 10);
    int x = 0, y = image.height - 1;
    auto put = [&](std::uint8_t v) {
        if (x < image.width && y >= 0)
            image.pixels[static_cast<std::size_t>(y) * image.width + x] = v;
        ++x;
    };
    while (at + 1 < file.size()) {
        const std::uint8_t n = file[at], v = file[at + 1];
        at += 2;
        if (n != 0) {
            for (int i = 0; i < n; ++i)
                put(v);
        } else if (v == 0) {
            x = 0;
            --y;
        } else if (v == 1) {
            return image;
        } else if (v == 2) {
            if (at + 1 >= file.size()) break;
            x += file[at];
            y -= file[at + 1];
            at += 2;
        } else {
            for (int i = 0; i < v && at < file.size(); ++i)
                put(file[at++]);
            if (v & 1) ++at;
        }
    }
    return std::nullopt;
}

// "" when the picture equals the golden one (or was written); else what differs.
inline std::string CompareGolden(const std::string& name, const IndexedImage& image) {
    const std::string path = std::string(ZEPHLON_SOURCE_DIR) + "/tests/golden/" + name;
    const char* update = std::getenv("ZEPHLON_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        const std::vector<std::uint8_t> bytes = EncodeRle8Bmp(image);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return out ? "" : "cannot write " + path;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return "no golden picture " + path + " (ZEPHLON_UPDATE_GOLDEN=1 makes it)";
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    const std::optional<IndexedImage> golden = DecodeRle8Bmp(bytes);
    if (!golden) return path + " is not a run-length coded 8-bit picture";
    if (golden->width != image.width || golden->height != image.height)
        return name + ": size differs";
    std::size_t differ = 0, first = 0;
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        if (image.pixels[i] != golden->pixels[i] && differ++ == 0) first = i;
    if (differ == 0) return "";
    // The picture that was drawn, beside the golden one, for a look.
    const std::string drawn = std::string(ZEPHLON_BINARY_DIR) + "/" + name + ".drawn.bmp";
    const std::vector<std::uint8_t> out = EncodeRle8Bmp(image);
    std::ofstream(drawn, std::ios::binary)
        .write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return name + ": " + std::to_string(differ) + " pixels differ, the first at (" +
           std::to_string(first % static_cast<std::size_t>(image.width)) + ", " +
           std::to_string(first / static_cast<std::size_t>(image.width)) + "); drawn: " + drawn;
}

}  // namespace testsupport
