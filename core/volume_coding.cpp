#include "core/volume_coding.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "core/lzh_stream.h"
#include "core/rle_stream.h"

namespace core {

namespace {

unsigned theCodingThreads = 1;

constexpr std::size_t kSmallestCoded = 64;

// A write stream that keeps what it is given.
class ByteSink final : public StreamIO {
public:
    explicit ByteSink(std::vector<std::uint8_t>* out) : out_(out) {}
    std::uint32_t GetPosition() override { return static_cast<std::uint32_t>(out_->size()); }
    int SetPosition(std::int32_t pos) override {
        return pos >= 0 && static_cast<std::size_t>(pos) == out_->size() ? 1 : 0;
    }
    std::uint32_t GetCapability(std::uint32_t kind) override { return kind == kCapWritable ? 1 : 0; }
    int Write(std::uint32_t count, const void* src) override {
        const auto* p = static_cast<const std::uint8_t*>(src);
        out_->insert(out_->end(), p, p + count);
        lastCount = count;
        return 1;
    }
    int Read(std::uint32_t, void*) override {
        status = kStreamNotAllowed;
        return 0;
    }
    void Close() override {}

private:
    std::vector<std::uint8_t>* out_;
};

template <class Coder>
std::vector<std::uint8_t> Code(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    ByteSink sink(&out);
    Coder coder(&sink);
    const bool ok = coder.Write(static_cast<std::uint32_t>(bytes.size()), bytes.data()) != 0 &&
                    coder.Flush() != 0;
    coder.Close();
    if (!ok) out.clear();
    return out;
}

}  // namespace

void SetVolumeCodingThreads(unsigned threads) {
    theCodingThreads = std::max(threads, 1u);
}

VolumeMemberCode PlainMember(std::span<const std::uint8_t> bytes) {
    VolumeMemberCode m;
    m.size = static_cast<std::uint32_t>(bytes.size());
    m.code.assign(bytes.begin(), bytes.end());
    return m;
}

VolumeMemberCode CodeVolumeMember(std::span<const std::uint8_t> bytes) {
    VolumeMemberCode m = PlainMember(bytes);
    if (bytes.size() < kSmallestCoded) return m;
    std::vector<std::uint8_t> rle = Code<RLEWStream>(bytes);
    if (!rle.empty() && rle.size() * 10 <= bytes.size() * 9) {
        m.compression = kVolumeRunLength;
        m.code = std::move(rle);
        // Run-length code of a quarter of the bytes or less is kept: LZH could save at most that
        // quarter, and would cost its decoding at every read.
        if (m.code.size() * 4 <= bytes.size()) return m;
    }
    std::vector<std::uint8_t> lzh = Code<LZHWStream>(bytes);
    if (!lzh.empty() && lzh.size() * 5 <= m.code.size() * 4) {
        m.compression = kVolumeLzh;
        m.code = std::move(lzh);
    }
    return m;
}

int AddCodedMembers(VolumeRWStream& volume, std::span<const VolumeMemberBytes> members) {
    std::vector<VolumeMemberCode> codes(members.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < members.size(); i = next++)
            codes[i] = members[i].plain ? PlainMember(members[i].bytes)
                                        : CodeVolumeMember(members[i].bytes);
    };
    const unsigned threads =
        static_cast<unsigned>(std::min<std::size_t>(theCodingThreads, members.size()));
    if (threads <= 1) {
        work();
    } else {
        std::vector<std::thread> pool;
        for (unsigned t = 0; t < threads; ++t)
            pool.emplace_back(work);
        for (std::thread& t : pool)
            t.join();
    }
    for (std::size_t i = 0; i < members.size(); ++i) {
        const VolumeMemberBytes& m = members[i];
        const VolumeMemberCode& c = codes[i];
        const int added = m.named ? volume.AddCodedEntry(m.name, c.compression, c.size)
                                  : volume.AddCodedEntryById(m.id, c.compression, c.size);
        const auto n = static_cast<std::uint32_t>(c.code.size());
        if (!added || (n > 0 && !volume.Write(n, c.code.data())) || !volume.CloseEntry())
            return 0;
    }
    return 1;
}

}  // namespace core
