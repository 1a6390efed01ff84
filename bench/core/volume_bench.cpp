// Volume member decoding speed. LZH decoding through a volume member is measured against Debian's
// lhasa decoding the same code, wrapped in an "-lh1-" archive, in the same run; reading text
// lines through a resource volume is measured against reading the same member whole through
// the same volume (stored, or decoded from LZH), with lines ended by CR LF and by a lone CR
// (goal: within 320 times stored, 3.3 from LZH, 3.2 with lone CRs, its MB/s beside it).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "core/resource_volume.h"
#include "core/stream_io.h"
#include "core/volume_stream.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCorpusBytes = 10 << 20;
constexpr std::size_t kTextBytes = 1 << 20;

// Text, runs and noise in turns, as a volume of art and data would hold them.
std::string MixedCorpus(std::size_t size) {
    std::string out;
    out.reserve(size);
    std::uint32_t x = 20261207;
    auto next = [&] {
        x = x * 1103515245u + 12345u;
        return x >> 16;
    };
    static const char* const kWords[] = {"runway ", "heading ",  "altitude ", "the ", "of ",
                                         "VOR ",    "approach ", "wind ",     "320 ", "at "};
    while (out.size() < size) {
        switch (next() % 4) {
            case 0:
            case 1:
                for (int i = 0; i < 64; ++i)
                    out += kWords[next() % 10];
                out += "\r\n";
                break;
            case 2:
                out.append(next() % 300 + 10, static_cast<char>(next()));
                break;
            default:
                for (int i = 0; i < 200; ++i)
                    out.push_back(static_cast<char>(next()));
                break;
        }
    }
    out.resize(size);
    return out;
}

std::string TextCorpus(std::size_t size) {
    std::string out;
    std::uint32_t x = 99;
    while (out.size() < size) {
        x = x * 1103515245u + 12345u;
        const std::size_t length = (x >> 16) % 70 + 5;
        for (std::size_t i = 0; i < length; ++i)
            out.push_back(static_cast<char>('a' + (x >> (i % 16)) % 26));
        out += "\r\n";
    }
    out.resize(size);
    return out;
}

// The same lines ended by a lone CR, as some texts of old installations are.
std::string LoneCrText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\n' && i > 0 && text[i - 1] == '\r')) out.push_back(text[i]);
    return out;
}

std::uint16_t Crc16(const std::string& data) {
    std::uint16_t crc = 0;
    for (unsigned char c : data) {
        crc ^= c;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(v >> (8 * i)));
}

// A level-0 archive of one "-lh1-" file: our LZH code is the method's code as it stands.
std::string Lh1Archive(const std::string& name, const std::uint8_t* code, std::uint32_t codeSize,
                       const std::string& original) {
    std::string header;
    header += "-lh1-";
    PutU32(header, codeSize);
    PutU32(header, static_cast<std::uint32_t>(original.size()));
    PutU32(header, 0x5A870000u);  // a fixed time stamp
    header.push_back(0x20);       // attribute
    header.push_back(0);          // header level
    header.push_back(static_cast<char>(name.size()));
    header += name;
    const std::uint16_t crc = Crc16(original);
    header.push_back(static_cast<char>(crc));
    header.push_back(static_cast<char>(crc >> 8));
    unsigned sum = 0;
    for (unsigned char c : header)
        sum += c;
    std::string archive;
    archive.push_back(static_cast<char>(header.size()));
    archive.push_back(static_cast<char>(sum));
    archive += header;
    archive.append(reinterpret_cast<const char*>(code), codeSize);
    archive.push_back(0);  // end of archive
    return archive;
}

// The volumes are built once, in a folder that lives as long as the program.
struct Fixture {
    fs::path folder;
    std::string corpus = MixedCorpus(kCorpusBytes);
    std::string text = TextCorpus(kTextBytes);
    std::string crText = LoneCrText(text);
    bool ready = false;

    Fixture() {
        char pattern[] = "/tmp/zephlon-volbench-XXXXXX";
        folder = mkdtemp(pattern);
        fs::current_path(folder);
        core::VolumeRWStream volume;
        ready = volume.CreateVolume("bench.vol", 64, 4) &&
                volume.AddEntry("corpus.lzh", core::kVolumeLzh, 0) &&
                volume.Write(static_cast<std::uint32_t>(corpus.size()), corpus.data()) &&
                volume.CloseEntry() && volume.AddEntry("text.txt", core::kVolumeStored, 0) &&
                volume.Write(static_cast<std::uint32_t>(text.size()), text.data()) &&
                volume.CloseEntry() && volume.AddEntry("text.lzh", core::kVolumeLzh, 0) &&
                volume.Write(static_cast<std::uint32_t>(text.size()), text.data()) &&
                volume.CloseEntry() && volume.AddEntry("textcr.lzh", core::kVolumeLzh, 0) &&
                volume.Write(static_cast<std::uint32_t>(crText.size()), crText.data()) &&
                volume.CloseEntry() && volume.CloseVolume();
    }
    ~Fixture() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

// Runs lha on the archive once: MB/s of its decoding (output dropped) and whether its output
// matched the corpus.
void MeasureLha(benchmark::State& state, const std::string& archivePath,
                const std::string& expected) {
    if (access("/usr/bin/lha", X_OK) != 0) {
        state.counters["lha_MBps"] = 0;
        return;
    }
    const std::string check = "/usr/bin/lha -pq '" + archivePath + "' 2>/dev/null";
    std::string output;
    if (FILE* pipe = popen(check.c_str(), "r")) {
        char buffer[65536];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        pclose(pipe);
    }
    state.counters["lha_matches"] = output == expected ? 1 : 0;
    const std::string timed = "/usr/bin/lha -pq '" + archivePath + "' >/dev/null 2>&1";
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (FILE* pipe = popen(timed.c_str(), "r")) pclose(pipe);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    state.counters["lha_MBps"] = static_cast<double>(expected.size()) / best / 1e6;
}

void BM_VolumeLzhDecode(benchmark::State& state) {
    Fixture& f = TheFixture();
    if (!f.ready) {
        state.SkipWithError("the benchmark volume could not be built");
        return;
    }
    core::VolumeRStream volume;
    if (!volume.OpenVolume("bench.vol")) {
        state.SkipWithError("the benchmark volume could not be opened");
        return;
    }
    const std::uint32_t chunk = static_cast<std::uint32_t>(state.range(0));
    std::vector<char> buffer(chunk);
    std::size_t delivered = 0;
    bool same = true;
    for (auto _ : state) {
        volume.OpenEntry("corpus.lzh");
        std::size_t at = 0;
        while (at < f.corpus.size()) {
            const auto n =
                static_cast<std::uint32_t>(std::min<std::size_t>(chunk, f.corpus.size() - at));
            if (!volume.Read(n, buffer.data())) break;
            at += n;
        }
        same = same && at == f.corpus.size();
        delivered += at;
        benchmark::DoNotOptimize(buffer.data());
    }
    volume.OpenEntry("corpus.lzh");
    std::string whole(f.corpus.size(), '\0');
    volume.Read(static_cast<std::uint32_t>(whole.size()), whole.data());
    state.counters["matches"] = same && whole == f.corpus ? 1 : 0;
    state.SetBytesProcessed(static_cast<std::int64_t>(delivered));
    state.counters["MBps"] =
        benchmark::Counter(static_cast<double>(delivered) / 1e6, benchmark::Counter::kIsRate);

    const core::VolumeEntry* entry = volume.FindNamedEntry("corpus.lzh");
    const std::uint8_t* code = volume.GetEntryData("corpus.lzh");
    if (entry && code) {
        const std::string archive = Lh1Archive(
            "corpus.bin", code, static_cast<std::uint32_t>(volume.GetStoredSize(*entry)), f.corpus);
        std::ofstream("corpus.lzh", std::ios::binary) << archive;
        MeasureLha(state, (f.folder / "corpus.lzh").string(), f.corpus);
    }
}
BENCHMARK(BM_VolumeLzhDecode)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond);

// Reads a member of the volume whole, as one read; the bytes read.
std::size_t ReadMemberWhole(core::ResourceVolume& volume, const char* member,
                            std::vector<char>& into) {
    if (!volume.OpenFile(member)) return 0;
    const auto n = static_cast<std::uint32_t>(volume.GetStream()->GetEntrySize(member));
    const bool read = n <= into.size() && core::ReadAll(*volume.GetStream(), n, into.data());
    volume.CloseFile();
    return read ? n : 0;
}

// Reading a member line by line against reading it whole: at most this (one per member kind).
constexpr double kReadLineGoal[3] = {320.0, 3.3, 3.2};

void BM_ResourceVolumeReadLine(benchmark::State& state) {
    Fixture& f = TheFixture();
    if (!f.ready) {
        state.SkipWithError("the benchmark volume could not be built");
        return;
    }
    core::ResourceVolume volume("bench.vol", nullptr, 0);
    // 0 stored, 1 coded, 2 coded with lone CRs (which must read as fast as CR LF)
    static const char* const kMembers[3] = {"text.txt", "text.lzh", "textcr.lzh"};
    const auto kind = static_cast<std::size_t>(state.range(0));
    const char* member = kMembers[kind];
    char line[256];
    std::size_t lines = 0;
    const auto readLines = [&] {
        volume.OpenFile(member);
        while (volume.ReadLine(line, sizeof line))
            ++lines;
    };
    const benchsupport::LoopClock clock;
    for (auto _ : state)
        readLines();
    const double pass = clock.PerIteration(state);
    const double linesPerPass =
        static_cast<double>(lines) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.text.size()));
    if (lines == 0) state.SkipWithError("no line was read");
    std::vector<char> whole(f.text.size());
    std::size_t bytes = 0;
    const double ratio = benchsupport::PairedRatio(
        readLines, [&] { bytes += ReadMemberWhole(volume, member, whole); }, 21);
    if (bytes == 0) state.SkipWithError("the member could not be read whole");
    benchsupport::Goals goals(state);
    goals.AtMost("per_whole_read", ratio, kReadLineGoal[kind]);
    goals.Note("MBps", static_cast<double>(f.text.size()) / 1e6 / pass);
    goals.Note("lines", linesPerPass);
}
BENCHMARK(BM_ResourceVolumeReadLine)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
