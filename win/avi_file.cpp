#include "win/avi_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace win {
namespace {

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
bool Is(const std::uint8_t* p, const char* four) {
    return std::memcmp(p, four, 4) == 0;
}

struct Range {
    std::size_t begin = 0;
    std::size_t end = 0;  // one past
};

// Calls `each(id, data, size)` for every chunk in [r.begin, r.end); false when a chunk's size
// runs past the range. A last odd byte or a short tail that cannot hold a header is padding.
template <class Each>
bool ForEachChunk(const std::vector<std::uint8_t>& b, Range r, Each&& each) {
    std::size_t at = r.begin;
    while (at + 8 <= r.end) {
        const std::uint32_t size = U32(&b[at + 4]);
        if (size > r.end - at - 8) return false;
        if (!each(&b[at], at + 8, size)) return false;
        at += 8 + static_cast<std::size_t>(size) + (size & 1);
    }
    return true;
}

struct StreamInfo {
    char type[5] = {};
    std::uint32_t scale = 0;
    std::uint32_t rate = 0;
    bool haveFormat = false;
    std::size_t format = 0;
    std::uint32_t formatSize = 0;
};

}  // namespace

bool DecodeRle8(const std::uint8_t* data, std::size_t size, int width, int height, bool bottomUp,
                std::uint8_t* frame) {
    int x = 0, y = 0;  // y counts rows in storage order
    std::size_t i = 0;
    auto row = [&](int r) { return frame + static_cast<std::size_t>(bottomUp ? height - 1 - r : r) * width; };
    while (i + 2 <= size) {
        const std::uint8_t count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            if (y >= height || x + count > width) return false;
            std::memset(row(y) + x, value, count);
            x += count;
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                ++y;
                break;
            case 1:  // end of picture
                return true;
            case 2: {  // move right and down
                if (i + 2 > size) return false;
                x += data[i];
                y += data[i + 1];
                i += 2;
                if (x > width || y > height || (y == height && x > 0)) return false;
                break;
            }
            default: {  // a literal run, padded to a whole word
                if (y >= height || x + value > width || i + value > size) return false;
                std::memcpy(row(y) + x, data + i, value);
                x += value;
                i += value + (value & 1);
                break;
            }
        }
    }
    // Data that ends without the end-of-picture code still drew what it said.
    return i == size || i + 1 == size;
}

bool DecodeAviFrame(const AviClip& clip, std::size_t index, std::uint8_t* frame) {
    if (index >= clip.frames.size()) return false;
    const AviChunkRef& c = clip.frames[index];
    const std::uint8_t* d = clip.bytes.data() + c.offset;
    if (clip.coding == kAviRle8)
        return DecodeRle8(d, c.size, clip.width, clip.height, clip.bottomUp, frame);
    const std::size_t stride = (static_cast<std::size_t>(clip.width) + 3) & ~std::size_t{3};
    if (c.size == 0) return true;  // an empty chunk repeats the frame
    if (c.size < stride * static_cast<std::size_t>(clip.height)) return false;
    for (int y = 0; y < clip.height; ++y) {
        const int src = clip.bottomUp ? clip.height - 1 - y : y;
        std::memcpy(frame + static_cast<std::size_t>(y) * clip.width,
                    d + static_cast<std::size_t>(src) * stride, static_cast<std::size_t>(clip.width));
    }
    return true;
}

bool ReadAviClip(std::vector<std::uint8_t> bytes, AviClip* clip, std::string* error) {
    auto fail = [&](const char* why) {
        if (error != nullptr) *error = why;
        return false;
    };
    *clip = AviClip{};
    const std::vector<std::uint8_t>& b = bytes;
    if (b.size() < 12 || !Is(&b[0], "RIFF") || !Is(&b[8], "AVI ")) return fail("not an AVI file");
    const std::uint32_t riffSize = U32(&b[4]);
    if (riffSize < 4 || riffSize > b.size() - 8) return fail("the file is shorter than it says");
    const Range body{12, 8 + static_cast<std::size_t>(riffSize)};

    std::vector<StreamInfo> streams;
    Range movi{};
    bool haveHeader = false, haveMovi = false;
    auto readStreamList = [&](Range list) {
        StreamInfo s;
        const bool ok = ForEachChunk(b, list, [&](const std::uint8_t* id, std::size_t at, std::uint32_t size) {
            if (Is(id, "strh")) {
                if (size < 32) return false;
                std::memcpy(s.type, &b[at], 4);
                s.scale = U32(&b[at + 20]);
                s.rate = U32(&b[at + 24]);
            } else if (Is(id, "strf")) {
                s.haveFormat = true;
                s.format = at;
                s.formatSize = size;
            }
            return true;
        });
        streams.push_back(s);
        return ok;
    };
    const bool chunksFit = ForEachChunk(b, body, [&](const std::uint8_t* id, std::size_t at, std::uint32_t size) {
        if (!Is(id, "LIST")) return true;
        if (size < 4) return false;
        const Range inner{at + 4, at + size};
        if (Is(&b[at], "hdrl")) {
            return ForEachChunk(b, inner, [&](const std::uint8_t* hid, std::size_t hat, std::uint32_t hsize) {
                if (Is(hid, "avih")) {
                    haveHeader = hsize >= 40;
                } else if (Is(hid, "LIST") && hsize >= 4 && Is(&b[hat], "strl")) {
                    return readStreamList(Range{hat + 4, hat + hsize});
                } else if (Is(hid, "LIST") && hsize < 4) {
                    return false;
                }
                return true;
            });
        }
        if (Is(&b[at], "movi")) {
            movi = inner;
            haveMovi = true;
        }
        return true;
    });
    if (!chunksFit) return fail("a chunk runs past the end of the file");
    if (!haveHeader || !haveMovi) return fail("the file has no header or no frames");

    int video = -1, audio = -1;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        if (std::memcmp(streams[i].type, "vids", 4) == 0) {
            if (video >= 0) return fail("more than one video stream");
            video = static_cast<int>(i);
        } else if (std::memcmp(streams[i].type, "auds", 4) == 0) {
            if (audio >= 0) return fail("more than one sound stream");
            audio = static_cast<int>(i);
        }
    }
    if (video < 0) return fail("no video stream");
    const StreamInfo& vs = streams[static_cast<std::size_t>(video)];
    if (!vs.haveFormat || vs.formatSize < 40) return fail("the video stream has no picture format");
    const std::uint8_t* bi = &b[vs.format];
    const auto w = static_cast<std::int32_t>(U32(bi + 4));
    const auto h = static_cast<std::int32_t>(U32(bi + 8));
    const std::uint16_t bits = U16(bi + 14);
    const std::uint32_t coding = U32(bi + 16);
    if (bits != 8 || (coding != kAviUncoded && coding != kAviRle8))
        return fail("the pictures are not 8-bit uncoded or RLE8");
    if (w <= 0 || h == 0 || h == INT32_MIN || w > kAviMaxWidth || std::abs(h) > kAviMaxHeight)
        return fail("the pictures are larger than 640x480");
    if (coding == kAviRle8 && h < 0) return fail("a run-length picture must be stored bottom up");
    const std::uint32_t headerSize = std::max<std::uint32_t>(U32(bi), 40);
    std::uint32_t colours = U32(bi + 32);
    if (colours == 0 || colours > 256) colours = 256;
    if (headerSize > vs.formatSize || (vs.formatSize - headerSize) / 4 < colours)
        return fail("the video stream has no colour table");
    if (vs.rate == 0 || vs.scale == 0) return fail("the video stream has no frame rate");
    clip->width = w;
    clip->height = std::abs(h);
    clip->bottomUp = h > 0;
    clip->coding = coding;
    clip->rate = vs.rate;
    clip->scale = vs.scale;
    for (std::uint32_t i = 0; i < colours; ++i) {
        const std::uint8_t* q = bi + headerSize + 4 * i;
        clip->palette[i] = (static_cast<std::uint32_t>(q[2]) << 16) | (q[1] << 8) | q[0];
    }

    if (audio >= 0) {
        const StreamInfo& as = streams[static_cast<std::size_t>(audio)];
        if (!as.haveFormat || as.formatSize < 16) return fail("the sound stream has no format");
        const std::uint8_t* wf = &b[as.format];
        const std::uint16_t tag = U16(wf), channels = U16(wf + 2), sbits = U16(wf + 14);
        const std::uint32_t rate = U32(wf + 4);
        if (tag != 1 || channels != 1 || (sbits != 8 && sbits != 16))
            return fail("the sound is not 8 or 16-bit mono PCM");
        if (rate < 1000 || rate > 100000) return fail("the sound's rate is out of range");
        clip->soundRate = static_cast<int>(rate);
        clip->soundBits = sbits;
    }

    // The frames and the sound, in file order; records of a "rec " list are read in place.
    const std::string videoIds[2] = {std::to_string(video / 10) + std::to_string(video % 10) + "db",
                                     std::to_string(video / 10) + std::to_string(video % 10) + "dc"};
    const std::string soundId = std::to_string(audio / 10) + std::to_string(audio % 10) + "wb";
    std::function<bool(Range)> readMovi;
    readMovi = [&](Range r) {
        return ForEachChunk(b, r, [&](const std::uint8_t* id, std::size_t at, std::uint32_t size) {
            if (Is(id, "LIST")) return size >= 4 && readMovi(Range{at + 4, at + size});
            if (Is(id, videoIds[0].c_str()) || Is(id, videoIds[1].c_str())) {
                clip->frames.push_back(AviChunkRef{at, size});
            } else if (audio >= 0 && Is(id, soundId.c_str())) {
                clip->sound.insert(clip->sound.end(), b.begin() + static_cast<std::ptrdiff_t>(at),
                                   b.begin() + static_cast<std::ptrdiff_t>(at + size));
            }
            return true;
        });
    };
    if (!readMovi(movi)) return fail("a chunk runs past the end of the file");
    if (clip->frames.empty()) return fail("the video has no frames");
    if (clip->soundBits == 16 && (clip->sound.size() & 1)) clip->sound.pop_back();
    clip->bytes = std::move(bytes);
    // Every frame must decode inside the picture before the file is taken.
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(clip->width) * clip->height, 0);
    for (std::size_t i = 0; i < clip->frames.size(); ++i)
        if (!DecodeAviFrame(*clip, i, scratch.data())) {
            *clip = AviClip{};
            return fail("a frame's codes run past the picture");
        }
    return true;
}

// ---- writing -----------------------------------------------------------------------------------

std::vector<std::uint8_t> EncodeRle8(const std::uint8_t* frame, const std::uint8_t* previous,
                                     int width, int height) {
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(width) * 2);
    auto same = [&](int r, int x) {
        const std::size_t k = static_cast<std::size_t>(height - 1 - r) * width + x;
        return previous != nullptr && frame[k] == previous[k];
    };
    auto pix = [&](int r, int x) { return frame[static_cast<std::size_t>(height - 1 - r) * width + x]; };
    auto rowUnchanged = [&](int r) {
        for (int x = 0; x < width; ++x)
            if (!same(r, x)) return false;
        return true;
    };
    // The rows from r on are all unchanged: the picture can end here.
    std::vector<bool> restUnchanged(static_cast<std::size_t>(height) + 1, true);
    for (int r = height - 1; r >= 0; --r)
        restUnchanged[static_cast<std::size_t>(r)] = restUnchanged[static_cast<std::size_t>(r) + 1] && rowUnchanged(r);
    for (int r = 0; r < height; ++r) {
        if (restUnchanged[static_cast<std::size_t>(r)]) break;
        int x = 0;
        while (x < width) {
            if (same(r, x)) {
                int s = x;
                while (s < width && same(r, s)) ++s;
                if (s == width) break;  // the end of line skips the rest
                while (x < s) {
                    const int step = std::min(255, s - x);
                    out.insert(out.end(), {0, 2, static_cast<std::uint8_t>(step), 0});
                    x += step;
                }
                continue;
            }
            // A run of one value, not counting pixels that may be skipped.
            int run = 1;
            while (x + run < width && run < 255 && pix(r, x + run) == pix(r, x)) ++run;
            if (run >= 3) {
                out.push_back(static_cast<std::uint8_t>(run));
                out.push_back(pix(r, x));
                x += run;
                continue;
            }
            // Literal pixels up to the next run of three, the next skip of four, or 255.
            int n = 0;
            while (x + n < width && n < 255) {
                const int k = x + n;
                if (k + 2 < width && pix(r, k) == pix(r, k + 1) && pix(r, k) == pix(r, k + 2)) break;
                if (k + 3 < width && same(r, k) && same(r, k + 1) && same(r, k + 2) && same(r, k + 3)) break;
                ++n;
            }
            if (n < 3) {
                for (int i = 0; i < std::max(n, 1); ++i) {
                    out.push_back(1);
                    out.push_back(pix(r, x + i));
                }
                x += std::max(n, 1);
                continue;
            }
            out.push_back(0);
            out.push_back(static_cast<std::uint8_t>(n));
            for (int i = 0; i < n; ++i) out.push_back(pix(r, x + i));
            if (n & 1) out.push_back(0);
            x += n;
        }
        if (r + 1 < height && !restUnchanged[static_cast<std::size_t>(r) + 1]) out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

namespace {

void Put32(std::vector<std::uint8_t>& o, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) o.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& o, std::uint16_t v) {
    o.push_back(static_cast<std::uint8_t>(v));
    o.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutId(std::vector<std::uint8_t>& o, const char* id) {
    o.insert(o.end(), id, id + 4);
}
void Set32(std::vector<std::uint8_t>& o, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) o[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
// Opens a chunk (or a list with its type); Close writes its size and pads it.
std::size_t Open(std::vector<std::uint8_t>& o, const char* id, const char* listType = nullptr) {
    PutId(o, id);
    const std::size_t at = o.size();
    Put32(o, 0);
    if (listType != nullptr) PutId(o, listType);
    return at;
}
void Close(std::vector<std::uint8_t>& o, std::size_t at) {
    Set32(o, at, static_cast<std::uint32_t>(o.size() - at - 4));
    if (o.size() & 1) o.push_back(0);
}

}  // namespace

std::vector<std::uint8_t> MakeAviImage(const AviContents& contents) {
    std::vector<std::uint8_t> o;
    const bool sound = contents.soundRate > 0;
    const std::uint32_t frameCount = static_cast<std::uint32_t>(contents.frames.size());
    const std::uint32_t block = static_cast<std::uint32_t>(contents.soundBits / 8);
    const std::uint32_t soundSamples =
        sound ? static_cast<std::uint32_t>(contents.sound.size() / block) : 0;
    std::uint32_t largest = 0;
    for (const auto& f : contents.frames)
        largest = std::max(largest, static_cast<std::uint32_t>(f.size()));

    const std::size_t riff = Open(o, "RIFF", "AVI ");
    const std::size_t hdrl = Open(o, "LIST", "hdrl");
    const std::size_t avih = Open(o, "avih");
    Put32(o, static_cast<std::uint32_t>(1000000ull * contents.scale / contents.rate));
    Put32(o, static_cast<std::uint32_t>(largest * contents.rate / contents.scale +
                                        (sound ? contents.soundRate * block : 0)));
    Put32(o, 0);
    Put32(o, 0x10 | 0x100);  // has an index; interleaved
    Put32(o, frameCount);
    Put32(o, 0);
    Put32(o, sound ? 2 : 1);
    Put32(o, largest);
    Put32(o, static_cast<std::uint32_t>(contents.width));
    Put32(o, static_cast<std::uint32_t>(contents.height));
    for (int i = 0; i < 4; ++i) Put32(o, 0);
    Close(o, avih);

    {  // the video stream
        const std::size_t strl = Open(o, "LIST", "strl");
        const std::size_t strh = Open(o, "strh");
        PutId(o, "vids");
        Put32(o, 0);  // the coding is the format's
        Put32(o, 0);
        Put16(o, 0);
        Put16(o, 0);
        Put32(o, 0);
        Put32(o, contents.scale);
        Put32(o, contents.rate);
        Put32(o, 0);
        Put32(o, frameCount);
        Put32(o, largest);
        Put32(o, 0xFFFFFFFFu);
        Put32(o, 0);
        Put16(o, 0), Put16(o, 0), Put16(o, static_cast<std::uint16_t>(contents.width)),
            Put16(o, static_cast<std::uint16_t>(contents.height));
        Close(o, strh);
        const std::size_t strf = Open(o, "strf");
        const std::uint32_t stride = (static_cast<std::uint32_t>(contents.width) + 3) & ~3u;
        Put32(o, 40);
        Put32(o, static_cast<std::uint32_t>(contents.width));
        Put32(o, static_cast<std::uint32_t>(contents.height));
        Put16(o, 1);
        Put16(o, 8);
        Put32(o, contents.coding);
        Put32(o, stride * static_cast<std::uint32_t>(contents.height));
        Put32(o, 0);
        Put32(o, 0);
        Put32(o, 256);
        Put32(o, 0);
        for (std::uint32_t c : contents.palette) {
            o.push_back(static_cast<std::uint8_t>(c));
            o.push_back(static_cast<std::uint8_t>(c >> 8));
            o.push_back(static_cast<std::uint8_t>(c >> 16));
            o.push_back(0);
        }
        Close(o, strf);
        Close(o, strl);
    }
    if (sound) {
        const std::size_t strl = Open(o, "LIST", "strl");
        const std::size_t strh = Open(o, "strh");
        PutId(o, "auds");
        Put32(o, 0);
        Put32(o, 0);
        Put16(o, 0);
        Put16(o, 0);
        Put32(o, 0);
        Put32(o, block);
        Put32(o, static_cast<std::uint32_t>(contents.soundRate) * block);
        Put32(o, 0);
        Put32(o, soundSamples);
        Put32(o, static_cast<std::uint32_t>(contents.soundRate) * block);
        Put32(o, 0xFFFFFFFFu);
        Put32(o, block);
        for (int i = 0; i < 4; ++i) Put16(o, 0);
        Close(o, strh);
        const std::size_t strf = Open(o, "strf");
        Put16(o, 1);
        Put16(o, 1);
        Put32(o, static_cast<std::uint32_t>(contents.soundRate));
        Put32(o, static_cast<std::uint32_t>(contents.soundRate) * block);
        Put16(o, static_cast<std::uint16_t>(block));
        Put16(o, static_cast<std::uint16_t>(contents.soundBits));
        Put16(o, 0);
        Close(o, strf);
        Close(o, strl);
    }
    Close(o, hdrl);

    struct IndexEntry {
        const char* id;
        std::uint32_t flags, offset, size;
    };
    std::vector<IndexEntry> index;
    const std::size_t movi = Open(o, "LIST", "movi");
    const std::size_t moviBase = movi + 4;  // offsets count from the list's type
    const char* frameId = contents.coding == kAviRle8 ? "00dc" : "00db";
    std::size_t soundAt = 0;
    for (std::uint32_t i = 0; i < frameCount; ++i) {
        if (sound) {
            // The sound up to the end of this frame (all that is left after the last).
            std::size_t until =
                static_cast<std::size_t>((static_cast<std::uint64_t>(i) + 1) * contents.scale *
                                         static_cast<std::uint64_t>(contents.soundRate) /
                                         contents.rate) *
                block;
            if (i + 1 == frameCount) until = contents.sound.size();
            until = std::min(until, contents.sound.size());
            if (until > soundAt) {
                index.push_back({"01wb", 0x10, static_cast<std::uint32_t>(o.size() - moviBase),
                                 static_cast<std::uint32_t>(until - soundAt)});
                const std::size_t c = Open(o, "01wb");
                o.insert(o.end(), contents.sound.begin() + static_cast<std::ptrdiff_t>(soundAt),
                         contents.sound.begin() + static_cast<std::ptrdiff_t>(until));
                Close(o, c);
                soundAt = until;
            }
        }
        const bool key = i < contents.keyFrames.size() ? contents.keyFrames[i] : i == 0;
        index.push_back({frameId, key ? 0x10u : 0u, static_cast<std::uint32_t>(o.size() - moviBase),
                         static_cast<std::uint32_t>(contents.frames[i].size())});
        const std::size_t c = Open(o, frameId);
        o.insert(o.end(), contents.frames[i].begin(), contents.frames[i].end());
        Close(o, c);
    }
    Close(o, movi);
    const std::size_t idx1 = Open(o, "idx1");
    for (const IndexEntry& e : index) {
        PutId(o, e.id);
        Put32(o, e.flags);
        Put32(o, e.offset);
        Put32(o, e.size);
    }
    Close(o, idx1);
    Close(o, riff);
    return o;
}

}  // namespace win
