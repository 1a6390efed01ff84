#include "core/lzh_stream.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/mem_stream.h"

namespace core {

namespace {

constexpr unsigned kRingMask = kLzhRingSize - 1;
constexpr int kRingBytes = kLzhRingSize + kLzhLookAhead - 1;  // with the mirror tail
constexpr int kStart = kLzhRingSize - kLzhLookAhead;          // first write position, 4036
// How many strings of a chain a search looks at. Chains of strings that sort in the order they
// come (smooth grids of heights and angles, counters) run thousands long; the installation's
// members code 0.3 % shorter than with 32 strings and 0.1 % longer than with 128, and coding
// them takes about a quarter of the time a search of binary trees down to 48 nodes took.
constexpr int kSearchDepth = 64;

// The upper 6 bits of a match position go out as a fixed prefix code: 1 code of 3 bits, 3 of
// 4, 8 of 5, 12 of 6, 24 of 7 and 16 of 8, assigned in increasing order.
struct PositionCode {
    std::array<std::uint8_t, 64> code{};  // left-aligned in a byte
    std::array<std::uint8_t, 64> length{};
    std::array<std::uint8_t, 256> upper{};  // decoding: leading byte -> upper 6 bits
    std::array<std::uint8_t, 256> bits{};   // decoding: leading byte -> code length
};

constexpr PositionCode MakePositionCode() {
    PositionCode t;
    constexpr int kCounts[6] = {1, 3, 8, 12, 24, 16};
    unsigned next = 0;
    int sym = 0;
    for (int k = 0; k < 6; ++k) {
        const int len = 3 + k;
        for (int i = 0; i < kCounts[k]; ++i, ++sym) {
            t.code[sym] = static_cast<std::uint8_t>(next);
            t.length[sym] = static_cast<std::uint8_t>(len);
            const unsigned span = 1u << (8 - len);
            for (unsigned j = 0; j < span; ++j) {
                t.upper[next + j] = static_cast<std::uint8_t>(sym);
                t.bits[next + j] = static_cast<std::uint8_t>(len);
            }
            next += span;
        }
    }
    return t;
}

constexpr PositionCode kPositionCode = MakePositionCode();
static_assert(kPositionCode.code[4] == 0x50 && kPositionCode.code[12] == 0x90 &&
              kPositionCode.code[24] == 0xC0 && kPositionCode.code[63] == 0xFF);

// The first index from `from` on whose count is at least k (the counts ascend and the sentinels
// end them). Most runs end at once; the long ones (rare symbols share a count) are read eight
// counts at a time.
inline unsigned FirstCountNotBelow(const std::uint16_t* freq, unsigned from, unsigned k) {
    if (freq[from] >= k) return from;
#if defined(__SSE2__)
    // Unsigned 16-bit order through the signed comparison: both sides moved by 0x8000.
    const __m128i bias = _mm_set1_epi16(static_cast<short>(0x8000));
    const __m128i key = _mm_set1_epi16(static_cast<short>(k ^ 0x8000u));
    for (++from;; from += 8) {
        const __m128i counts =
            _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(freq + from)), bias);
        const auto below = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi16(counts, key)));
        if (below != 0xFFFFu) return from + static_cast<unsigned>(std::countr_one(below)) / 2;
    }
#else
    while (freq[++from] < k) {
    }
    return from;
#endif
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// LzhCoder

void LzhCoder::Reset(StreamIO* stream) {
    inner = stream;
    for (int i = 0; i < kChars; ++i) {
        freq[i] = 1;
        child[i] = static_cast<std::uint16_t>(i + kTableSize);
        parent[i + kTableSize] = static_cast<std::uint16_t>(i);
    }
    for (int i = 0, j = kChars; j <= kRoot; i += 2, ++j) {
        freq[j] = static_cast<std::uint16_t>(freq[i] + freq[i + 1]);
        child[j] = static_cast<std::uint16_t>(i);
        parent[i] = parent[i + 1] = static_cast<std::uint16_t>(j);
    }
    std::fill(std::begin(freq) + kTableSize, std::end(freq), std::uint16_t{0xFFFF});
    parent[kRoot] = 0;
    getBuf = 0;
    getLen = 0;
    padLen = 0;
    putBuf = 0;
    putLen = 0;
    inputFailed = false;
    outputFailed = false;
    outCount = 0;
    input.Reset(stream);
}

void LzhCoder::Rebuild() {
    // Gather the leaves in the first half of the table with their counts halved (rounding up),
    // then join them pairwise again, keeping the counts in ascending order.
    int j = 0;
    for (int i = 0; i < kTableSize; ++i) {
        if (child[i] >= kTableSize) {
            freq[j] = static_cast<std::uint16_t>((freq[i] + 1) / 2);
            child[j] = child[i];
            ++j;
        }
    }
    for (int i = 0, n = kChars; n < kTableSize; i += 2, ++n) {
        const unsigned f = static_cast<unsigned>(freq[i]) + freq[i + 1];
        freq[n] = static_cast<std::uint16_t>(f);
        int k = n - 1;
        while (f < freq[k])
            --k;
        ++k;
        const std::size_t moved = static_cast<std::size_t>(n - k) * sizeof(std::uint16_t);
        std::memmove(&freq[k + 1], &freq[k], moved);
        freq[k] = static_cast<std::uint16_t>(f);
        std::memmove(&child[k + 1], &child[k], moved);
        child[k] = static_cast<std::uint16_t>(i);
    }
    for (int i = 0; i < kTableSize; ++i) {
        const unsigned k = child[i];
        if (k >= kTableSize) {
            parent[k] = static_cast<std::uint16_t>(i);
        } else {
            parent[k] = parent[k + 1] = static_cast<std::uint16_t>(i);
        }
    }
}

void LzhCoder::Update(unsigned c) {
    if (freq[kRoot] == kMaxFreq) Rebuild();
    unsigned node = parent[c + kTableSize];
    do {
        const unsigned k = ++freq[node];
        // Keep the counts in ascending order: swap the node with the last one it now exceeds.
        unsigned l = node + 1;
        if (k > freq[l]) {
            l = FirstCountNotBelow(freq, l + 1, k) - 1;
            freq[node] = freq[l];
            freq[l] = static_cast<std::uint16_t>(k);

            const unsigned i = child[node];
            parent[i] = static_cast<std::uint16_t>(l);
            if (i < kTableSize) parent[i + 1] = static_cast<std::uint16_t>(l);

            const unsigned j = child[l];
            child[l] = static_cast<std::uint16_t>(i);
            parent[j] = static_cast<std::uint16_t>(node);
            if (j < kTableSize) parent[j + 1] = static_cast<std::uint16_t>(node);
            child[node] = static_cast<std::uint16_t>(j);

            node = l;
        }
        node = parent[node];
    } while (node != 0);
}

void LzhCoder::PutByte(std::uint8_t b) {
    out[outCount++] = b;
    if (outCount == sizeof out) FlushOutput();
}

int LzhCoder::FlushOutput() {
    if (outCount == 0) return outputFailed ? 0 : 1;
    if (!inner || !inner->Write(outCount, out)) outputFailed = true;
    outCount = 0;
    return outputFailed ? 0 : 1;
}

// `code` holds `length` (at most 16) bits left-aligned in 16 bits.
void LzhCoder::PutCode(int length, unsigned code) {
    putBuf = static_cast<std::uint16_t>(putBuf | (code >> putLen));
    putLen = static_cast<std::uint8_t>(putLen + length);
    if (putLen >= 8) {
        PutByte(static_cast<std::uint8_t>(putBuf >> 8));
        putLen = static_cast<std::uint8_t>(putLen - 8);
        if (putLen >= 8) {
            PutByte(static_cast<std::uint8_t>(putBuf));
            putLen = static_cast<std::uint8_t>(putLen - 8);
            putBuf = static_cast<std::uint16_t>(code << (length - putLen));
        } else {
            putBuf = static_cast<std::uint16_t>(putBuf << 8);
        }
    }
}

void LzhCoder::EncodeChar(unsigned c) {
    // Walk from the leaf to the root; an odd node is the larger of two brothers (bit 1). Codes
    // of rarely used symbols can grow past 16 bits, so the path is gathered in 32 bits.
    std::uint32_t code = 0;
    int length = 0;
    unsigned k = parent[c + kTableSize];
    do {
        code >>= 1;
        if (k & 1) code |= 0x80000000u;
        ++length;
        k = parent[k];
    } while (k != kRoot);
    if (length <= 16) {
        PutCode(length, code >> 16);
    } else {
        PutCode(16, code >> 16);
        PutCode(length - 16, code & 0xFFFFu);
    }
    Update(c);
}

void LzhCoder::EncodePosition(unsigned pos) {
    const unsigned upper = pos >> 6;
    PutCode(kPositionCode.length[upper], static_cast<unsigned>(kPositionCode.code[upper]) << 8);
    PutCode(6, (pos & 0x3F) << 10);
}

int LzhCoder::EncodeEnd() {
    if (putLen) PutByte(static_cast<std::uint8_t>(putBuf >> 8));
    putBuf = 0;
    putLen = 0;
    PutByte(0);
    return FlushOutput();
}

void LzhCoder::FillBits() {
    padLen = std::min(padLen, getLen);  // zeros already taken are gone
    while (getLen <= 56) {
        std::uint8_t b = 0;
        if (!input.Get(b)) padLen += 8;
        getBuf |= static_cast<std::uint64_t>(b) << (56 - getLen);
        getLen += 8;
    }
}

void LzhCoder::CheckEnd() {
    if (getLen - padLen > 7) return;
    if (padLen == 0) FillBits();  // whether the code goes on
    if (padLen != 0 && getLen - padLen <= 7) inputFailed = true;
}

unsigned LzhCoder::DecodeChar() {
    if (getLen < 32) FillBits();
    unsigned c = child[kRoot];
    while (c < kTableSize) {
        if (getLen == 0) FillBits();  // a code longer than the bits at hand
        c = child[c + static_cast<unsigned>(getBuf >> 63)];
        getBuf <<= 1;
        --getLen;
    }
    CheckEnd();
    c -= kTableSize;
    Update(c);
    return c;
}

unsigned LzhCoder::DecodePosition() {
    // The leading byte holds the prefix and the first of the 6 plain bits; the rest follow.
    if (getLen < 16) FillBits();
    unsigned i = static_cast<unsigned>(getBuf >> 56);
    const int more = kPositionCode.bits[i] - 2;
    i = static_cast<unsigned>(getBuf >> (56 - more));
    getBuf <<= 8 + more;
    getLen -= 8 + more;
    CheckEnd();
    return (static_cast<unsigned>(kPositionCode.upper[i >> more]) << 6) | (i & 0x3F);
}

// ---------------------------------------------------------------------------------------------
// LZHWStream

// The ring with its mirror tail (the first 59 bytes repeated past the end, so that comparisons
// run past the end without wrapping) and chains of the strings in it by a hash of their first
// three bytes, newest first. Positions in the chains count every byte the stream has taken, so
// a string that has left the window is known by its distance alone and never needs deleting.
struct LZHWStream::Search {
    static constexpr int kHashBits = 13;
    static constexpr std::uint64_t kWindow = kLzhRingSize - kLzhLookAhead;  // 4036 strings
    // Eight spare bytes after the ring: comparisons read whole 8-byte words.
    std::uint8_t ring[kRingBytes + 8];
    std::uint64_t head[1 << kHashBits];
    std::uint64_t previous[kLzhRingSize];  // by ring position: the string before it in its chain
    std::uint64_t at = 0;                  // the count of the current position
    int s = 0;  // oldest position, next to be replaced
    int r = 0;  // current position
    int matchPosition = 0;
    int matchLength = 0;

    Search() { std::fill(std::begin(head), std::end(head), std::uint64_t{0}); }

    void Reset() {
        std::memset(ring, ' ', kStart);
        std::memset(ring + kStart, 0, sizeof ring - kStart);
        // Everything chained before lies more than a window behind.
        at += 2 * kLzhRingSize;
        s = 0;
        r = kStart;
        matchPosition = 0;
        matchLength = 0;
    }

    [[nodiscard]] unsigned HashAt(int pos) const {
        const std::uint32_t v = ring[pos] | (ring[pos + 1] << 8) | (ring[pos + 2] << 16);
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    // Chains the string at `pos`, `back` bytes before the current position.
    void Insert(int pos, int back = 0) {
        const std::uint64_t n = at - static_cast<std::uint64_t>(back);
        const unsigned h = HashAt(pos);
        previous[pos] = head[h];
        head[h] = n;
    }

    // The longest match for the string at the current position among the strings of the window
    // (the nearest one among equals), looking at most kSearchDepth strings of its chain.
    void Find() {
        const std::uint8_t* key = &ring[r];
        matchLength = 0;
        std::uint64_t q = previous[r];
        for (int depth = 0; depth < kSearchDepth; ++depth) {
            const std::uint64_t back = at - q;
            if (back > kWindow) break;
            const int p = static_cast<int>((static_cast<std::uint64_t>(r) - back) & kRingMask);
            int i = 0;
            for (; i < kLzhLookAhead; i += 8) {
                std::uint64_t a, b;
                std::memcpy(&a, key + i, 8);
                std::memcpy(&b, &ring[p + i], 8);
                if (a != b) {
                    i += std::countr_zero(a ^ b) / 8;
                    break;
                }
            }
            if (i > kLzhLookAhead) i = kLzhLookAhead;
            if (i > matchLength) {
                matchLength = i;
                matchPosition = static_cast<int>(back) - 1;
                if (i >= kLzhLookAhead) break;
            }
            q = previous[p];
        }
        if (matchLength <= kLzhThreshold) matchLength = 0;
    }
};

LZHWStream::LZHWStream()
    : LayeredStream(kStreamTypeLZHW, Direction::kWrite),
      coder(std::make_unique<LzhCoder>()),
      search(std::make_unique<Search>()) {
    status = kStreamNoSource;
}

LZHWStream::LZHWStream(StreamIO* in) : LZHWStream() {
    Open(in);
}

LZHWStream::~LZHWStream() {
    LZHWStream::Close();
}

void LZHWStream::Open(StreamIO* in) {
    Close();
    coder->Reset(in);
    search->Reset();
    lookAhead = 0;
    started = false;
    tokenLength = 0;
    tokenConsumed = 0;
    Attach(in);
}

int LZHWStream::SetPosition(std::int32_t pos) {
    if (pos >= 0 && static_cast<std::uint32_t>(pos) == position && status != kStreamNoSource)
        return 1;
    if (status != kStreamNoSource) status = kStreamNotAllowed;
    return 0;
}

void LZHWStream::StartUp() {
    // The strings ending just before the first byte (all spaces but the tail) go in first, so
    // that a start of spaces finds matches at once.
    Search& t = *search;
    for (int i = kLzhLookAhead; i >= 1; --i)
        t.Insert(t.r - i, i);
    t.Insert(t.r);
    started = true;
}

void LZHWStream::EmitToken() {
    Search& t = *search;
    t.Find();
    if (t.matchLength > lookAhead) t.matchLength = lookAhead;
    if (t.matchLength <= kLzhThreshold) {
        t.matchLength = 1;
        coder->EncodeChar(t.ring[t.r]);
    } else {
        coder->EncodeChar(static_cast<unsigned>(255 - kLzhThreshold + t.matchLength));
        coder->EncodePosition(static_cast<unsigned>(t.matchPosition));
    }
    tokenLength = t.matchLength;
    tokenConsumed = 0;
}

void LZHWStream::Consume(std::uint8_t c) {
    Search& t = *search;
    t.ring[t.s] = c;
    if (t.s < kLzhLookAhead - 1) t.ring[t.s + kLzhRingSize] = c;
    t.s = (t.s + 1) & static_cast<int>(kRingMask);
    t.r = (t.r + 1) & static_cast<int>(kRingMask);
    ++t.at;
    t.Insert(t.r);
    ++tokenConsumed;
}

void LZHWStream::ConsumeTail() {
    Search& t = *search;
    t.s = (t.s + 1) & static_cast<int>(kRingMask);
    t.r = (t.r + 1) & static_cast<int>(kRingMask);
    ++t.at;
    if (--lookAhead) t.Insert(t.r);
    ++tokenConsumed;
}

int LZHWStream::OutputStatus() {
    if (!coder->OutputFailed()) return 1;
    const std::int32_t innerStatus = inner ? inner->GetStatus() : kStreamNoSource;
    status = innerStatus == kStreamOk ? kStreamIOError : innerStatus;
    return 0;
}

int LZHWStream::Write(std::uint32_t count, const void* src) {
    if (status != kStreamOk) return 0;
    if (count == 0) return 1;
    const auto* p = static_cast<const std::uint8_t*>(src);
    const auto* const end = p + count;
    Search& t = *search;
    while (p < end && !started) {
        t.ring[t.r + lookAhead] = *p++;
        ++lookAhead;
        ++position;
        if (lookAhead == kLzhLookAhead) StartUp();
    }
    while (p < end) {
        if (tokenConsumed == tokenLength) EmitToken();
        Consume(*p++);
        ++position;
    }
    if (!OutputStatus()) return 0;
    lastCount = count;
    return 1;
}

int LZHWStream::Flush() {
    if (status == kStreamNoSource) return 0;
    if (lookAhead > 0) {
        if (!started) StartUp();
        while (tokenConsumed < tokenLength)
            ConsumeTail();
        while (lookAhead > 0) {
            EmitToken();
            while (tokenConsumed < tokenLength)
                ConsumeTail();
        }
    }
    coder->EncodeEnd();
    const int ok = OutputStatus();
    inner = nullptr;
    coder->Reset(nullptr);
    status = kStreamNoSource;
    return ok;
}

int LZHWStream::Read(std::uint32_t, void*) {
    if (status != kStreamNoSource) status = kStreamNotAllowed;
    return 0;
}

void LZHWStream::Close() {
    if (!inner) return;
    Flush();
}

// ---------------------------------------------------------------------------------------------
// LZHRStream

LZHRStream::LZHRStream()
    : LayeredReader(kStreamTypeLZHR),
      coder(std::make_unique<LzhCoder>()),
      ring(std::make_unique<std::uint8_t[]>(kRingBytes)) {
    status = kStreamNoSource;
}

LZHRStream::LZHRStream(StreamIO* in) : LZHRStream() {
    Open(in);
}

void LZHRStream::Restart() {
    coder->Reset(inner);
    std::memset(ring.get(), ' ', kStart);
    std::memset(ring.get() + kStart, 0, kRingBytes - kStart);
    r = kStart;
    matchPos = 0;
    matchLeft = 0;
    position = 0;
}

void LZHRStream::Open(StreamIO* in) {
    Close();
    Attach(in);
    Restart();
}

int LZHRStream::Write(std::uint32_t, const void*) {
    if (status != kStreamNoSource) status = kStreamNotAllowed;
    return 0;
}

int LZHRStream::Read(std::uint32_t count, void* dst) {
    if (status != kStreamOk || !inner) return 0;
    if (coder->InputFailed()) {
        // The previous read ran past the end of the code and was given zero bits.
        lastCount = 0;
        const std::int32_t innerStatus = inner->GetStatus();
        status = innerStatus == kStreamOk ? kStreamEnd : innerStatus;
        return 0;
    }
    if (count == 0) return 1;
    auto* out = static_cast<std::uint8_t*>(dst);
    auto* const end = out + count;
    std::uint8_t* const buf = ring.get();
    while (out < end) {
        if (matchLeft == 0) {
            const unsigned c = coder->DecodeChar();
            if (c < 256) {
                *out++ = static_cast<std::uint8_t>(c);
                buf[r] = static_cast<std::uint8_t>(c);
                r = (r + 1) & kRingMask;
                continue;
            }
            matchPos = (r - coder->DecodePosition() - 1) & kRingMask;
            matchLeft = c - 255 + kLzhThreshold;
        }
        // Byte by byte: a match may overlap the bytes it is writing.
        while (matchLeft > 0 && out < end) {
            const std::uint8_t b = buf[matchPos];
            matchPos = (matchPos + 1) & kRingMask;
            --matchLeft;
            *out++ = b;
            buf[r] = b;
            r = (r + 1) & kRingMask;
        }
    }
    position += count;
    lastCount = count;
    return 1;
}

int LZHRStream::SetPosition(std::int32_t pos) {
    if (status == kStreamNoSource || !inner) return 0;
    if (status == kStreamEnd) status = kStreamOk;
    if (pos < 0) {
        status = kStreamNotAllowed;
        return 0;
    }
    const std::uint32_t target = static_cast<std::uint32_t>(pos);
    if (target < position) {
        if (!inner->SetPosition(0)) {
            const std::int32_t innerStatus = inner->GetStatus();
            status = innerStatus == kStreamOk ? kStreamIOError : innerStatus;
            return 0;
        }
        Restart();
        status = kStreamOk;
    }
    if (status != kStreamOk) return 0;
    return SkipTo(target);
}

// ---------------------------------------------------------------------------------------------
// Whole buffers

namespace {

// Collects a code of unknown length: rare symbols of an adaptive code can take well over a byte.
class GrowingSink : public StreamIO {
public:
    std::uint32_t GetPosition() override { return static_cast<std::uint32_t>(bytes.size()); }
    int Write(std::uint32_t count, const void* src) override {
        const auto* p = static_cast<const std::uint8_t*>(src);
        bytes.insert(bytes.end(), p, p + count);
        lastCount = count;
        return 1;
    }
    std::vector<std::uint8_t> bytes;
};

}  // namespace

std::vector<std::uint8_t> LzhEncode(std::span<const std::uint8_t> data) {
    GrowingSink sink;
    sink.bytes.reserve(data.size() / 2 + 16);
    LZHWStream w(&sink);
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t n = std::min<std::size_t>(data.size() - at, 0x40000000u);
        (void)w.Write(static_cast<std::uint32_t>(n), data.data() + at);
        at += n;
    }
    (void)w.Flush();
    return std::move(sink.bytes);
}

int LzhDecode(std::span<const std::uint8_t> code, std::span<std::uint8_t> out) {
    MemRWStream in(static_cast<std::uint32_t>(code.size()), static_cast<const void*>(code.data()));
    LZHRStream r(&in);
    for (std::size_t at = 0; at < out.size();) {
        const std::size_t n = std::min<std::size_t>(out.size() - at, 0x40000000u);
        if (!r.Read(static_cast<std::uint32_t>(n), out.data() + at)) return 0;
        at += n;
    }
    return r.RanPastTheCode() ? 0 : 1;
}

}  // namespace core
