// The ground-school videos the data maker writes: an outside reader (ffprobe, from Debian's
// ffmpeg) finds in every one a single 8-bit video stream and a PCM stream, as many frames at the
// rate the header says, and sound as long as the pictures; our own reader decodes every frame to
// exactly one of the slides the maker drew for that lesson, each slide in its turn.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "win/avi_file.h"

namespace {

namespace fs = std::filesystem;

const int kLessons[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                        17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 97, 98, 99};

std::vector<std::uint8_t> ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Name(int n) {
    char name[8];
    std::snprintf(name, sizeof name, "f%02d", n);
    return name;
}

class GroundSchoolVideos : public ::testing::Test {
protected:
    // The installation the build made when it is newer than the maker, else one made here.
    static void SetUpTestSuite() {
        const fs::path tool = ZEPHLON_BINARY_DIR "/bin/mkdata";
        if (access(tool.c_str(), X_OK) != 0) return;
        char pattern[] = "/tmp/zephlon-videos-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return;
        root = pattern;
        const fs::path built = ZEPHLON_BINARY_DIR "/install";
        std::error_code ec;
        const auto stamp = fs::last_write_time(built / ".stamp", ec);
        const std::string data = std::string("'") + ZEPHLON_SOURCE_DIR + "/data' ";
        if (!ec && stamp > fs::last_write_time(tool, ec) && !ec) {
            train = built / "train";
        } else if (testsupport::RunCommand("'" + tool.string() + "' " + data + "'" + (root / "i").string() + "' >/dev/null 2>&1").status == 0) {
            train = root / "i" / "train";
        }
        slides = root / "slides";
        if (testsupport::RunCommand("'" + tool.string() + "' --slides " + data + "'" + slides.string() + "' 2>&1").status != 0)
            slides.clear();
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        if (!root.empty()) fs::remove_all(root, ignored);
    }
    void SetUp() override { ASSERT_FALSE(train.empty()) << "mkdata is not built or failed"; }

    static fs::path root, train, slides;
};
fs::path GroundSchoolVideos::root, GroundSchoolVideos::train, GroundSchoolVideos::slides;

TEST_F(GroundSchoolVideos, AnOutsideReaderFindsPicturesAndSoundThatAgree) {
    if (testsupport::RunCommand("command -v ffprobe").status != 0) GTEST_SKIP() << "ffprobe is not installed";
    for (int n : kLessons) {
        const fs::path file = train / (Name(n) + ".avi");
        ASSERT_TRUE(fs::exists(file)) << file;
        const auto r = testsupport::RunCommand(
            "ffprobe -v error -count_frames -show_entries "
            "stream=codec_type,codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames,sample_rate,"
            "bits_per_sample,channels:packet=codec_type,size -of default=nw=1 '" + file.string() + "'");
        ASSERT_EQ(r.status, 0) << file;
        // The packets ("codec_type", "size"), then two streams, one block of "key=value" lines
        // each, the first beginning with "codec_name". The sound's bytes from its packets.
        std::vector<std::map<std::string, std::string>> streams;
        double bytes = 0;
        std::string packetType;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);) {
            const std::size_t eq = line.find('=');
            if (eq == std::string::npos) continue;
            const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
            if (key == "codec_name") streams.emplace_back();
            if (!streams.empty()) {
                streams.back()[key] = value;
            } else if (key == "codec_type") {
                packetType = value;
            } else if (key == "size" && packetType == "audio") {
                bytes += std::stod(value);
            }
        }
        ASSERT_EQ(streams.size(), 2u) << r.out;
        auto& v = streams[0]["codec_type"] == "video" ? streams[0] : streams[1];
        auto& a = streams[0]["codec_type"] == "video" ? streams[1] : streams[0];
        EXPECT_EQ(v["codec_name"], "msrle") << file;
        EXPECT_EQ(v["pix_fmt"], "pal8");
        EXPECT_EQ(v["width"], "320");
        EXPECT_EQ(v["height"], "240");
        EXPECT_EQ(a["codec_name"], "pcm_u8");
        EXPECT_EQ(a["sample_rate"], "11025");
        EXPECT_EQ(a["channels"], "1");
        // Frame count and rate as our header says them.
        win::AviClip clip;
        std::string why;
        ASSERT_TRUE(win::ReadAviClip(ReadBytes(file), &clip, &why)) << why;
        EXPECT_EQ(v["r_frame_rate"], std::to_string(clip.rate) + "/" + std::to_string(clip.scale));
        EXPECT_EQ(v["nb_read_frames"], std::to_string(clip.FrameCount()));
        const double pictures = static_cast<double>(clip.FrameCount()) * clip.scale / clip.rate;
        const double sound = bytes / 11025.0;
        EXPECT_NEAR(sound, pictures, 0.5) << file;
        EXPECT_GT(pictures, 10.0) << file;
    }
}

TEST_F(GroundSchoolVideos, EveryFrameIsTheMakersSlideInTurn) {
    ASSERT_FALSE(slides.empty()) << "mkdata --slides failed";
    for (int n : kLessons) {
        win::AviClip clip;
        std::string why;
        ASSERT_TRUE(win::ReadAviClip(ReadBytes(train / (Name(n) + ".avi")), &clip, &why)) << why;
        std::vector<std::vector<std::uint8_t>> drawn;
        for (int k = 0;; ++k) {
            const fs::path p = slides / (Name(n) + "_" + std::to_string(k) + ".raw");
            if (!fs::exists(p)) break;
            drawn.push_back(ReadBytes(p));
        }
        ASSERT_GE(drawn.size(), 2u) << n;
        std::vector<std::uint8_t> frame(320 * 240, 0);
        std::size_t slide = 0;
        for (std::size_t f = 0; f < clip.FrameCount(); ++f) {
            ASSERT_TRUE(win::DecodeAviFrame(clip, f, frame.data()));
            if (frame != drawn[slide] && slide + 1 < drawn.size() && frame == drawn[slide + 1]) ++slide;
            ASSERT_EQ(frame, drawn[slide]) << Name(n) << " frame " << f;
        }
        EXPECT_EQ(slide + 1, drawn.size()) << Name(n) << ": every slide is shown";
        // The title card first, the same palette the panel art uses for its own colours.
        EXPECT_NE(clip.palette[200], clip.palette[202]);
    }
}

}  // namespace
