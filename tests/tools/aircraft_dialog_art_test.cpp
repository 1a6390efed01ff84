// The aircraft dialogs' bitmaps that `mkdata --skin` draws for the resource pack: every one named
// by its script, of the size its control has, the same bytes on every run, and each picture an
// aircraft against the sky (most of the frame sky, a fair part of it aircraft, centred).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/temp_folder.h"
#include "win/resource.h"

namespace {

std::optional<win::DibImage> Decode(const std::string& bytes) {
    return win::DecodeBmpFile(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

TEST(AircraftDialogArt, EveryBitmapIsNamedSizedAndMadeAlike) {
    ASSERT_EQ(access(ZEPHLON_BINARY_DIR "/bin/mkdata", X_OK), 0) << "mkdata is not built";
    testsupport::TempFolder first("zephlon-art-a"), second("zephlon-art-b");
    for (const testsupport::TempFolder* dir : {&first, &second}) {
        const testsupport::CommandResult r =
            testsupport::RunCommand(std::string("'") + ZEPHLON_BINARY_DIR + "/bin/mkdata' --skin '" + dir->Root() + "' 2>&1");
        ASSERT_EQ(r.status, 0) << r.out;
    }
    const std::string rc = first.Read("aircraft_art.rc");
    const struct {
        const char* resource;
        const char* file;
        int width, height;
    } bitmaps[] = {
        {"\"172IMAGE\"", "aircraft_0_picture.bmp", 466, 189},     {"\"172TEXT\"", "aircraft_0_name.bmp", 263, 69},
        {"\"BONANZAIMAGE\"", "aircraft_1_picture.bmp", 466, 189}, {"\"BONANZATEXT\"", "aircraft_1_name.bmp", 263, 69},
        {"\"BARONIMAGE\"", "aircraft_2_picture.bmp", 466, 189},   {"\"BARONTEXT\"", "aircraft_2_name.bmp", 263, 69},
        {"\"KINGIMAGE\"", "aircraft_3_picture.bmp", 466, 189},    {"\"KINGTEXT\"", "aircraft_3_name.bmp", 263, 69},
        {"\"CITATIONIMAGE\"", "aircraft_4_picture.bmp", 466, 189}, {"\"CITATIONTEXT\"", "aircraft_4_name.bmp", 263, 69},
        {"\"172_TITL\"", "aircraft_0_checklist.bmp", 240, 30},    {"\"BON_TITL\"", "aircraft_1_checklist.bmp", 240, 30},
        {"\"BAR_TITL\"", "aircraft_2_checklist.bmp", 240, 30},    {"\"KNG_TITL\"", "aircraft_3_checklist.bmp", 240, 30},
        {"\"CIT_TITL\"", "aircraft_4_checklist.bmp", 240, 30},
    };
    for (const auto& b : bitmaps) {
        EXPECT_NE(rc.find(std::string(b.resource) + " BITMAP \"" + b.file + "\""), std::string::npos) << b.resource;
        const std::string bytes = first.Read(b.file);
        EXPECT_EQ(bytes, second.Read(b.file)) << b.file << " differs between runs";
        const auto image = Decode(bytes);
        ASSERT_TRUE(image.has_value()) << b.file;
        EXPECT_EQ(image->width, b.width) << b.file;
        EXPECT_EQ(image->height, b.height) << b.file;
        if (b.width != 466) continue;
        // The sky is blue, paler at the bottom; what is not sky is the aircraft.
        long aircraft = 0, sumX = 0;
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x) {
                const std::uint32_t p = image->pixels[static_cast<std::size_t>(y) * image->width + x];
                const int r = static_cast<int>(p >> 16), bl = static_cast<int>(p & 0xFF);
                const bool sky = bl > 190 && bl - r > 40;
                if (!sky) {
                    ++aircraft;
                    sumX += x;
                }
            }
        const double share = static_cast<double>(aircraft) / (image->width * image->height);
        EXPECT_GT(share, 0.08) << b.file;
        EXPECT_LT(share, 0.5) << b.file;
        EXPECT_NEAR(static_cast<double>(sumX) / std::max(1L, aircraft), image->width / 2.0, image->width * 0.15) << b.file;
    }
}

}  // namespace
