#include "core/row_flip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/sin_cos.h"

namespace {

// Builds rows of `length` bytes, row i filled with 'a' + i (and a byte that marks its position,
// so that a row swapped in pieces would show).
std::vector<std::uint8_t> Rows(int count, std::uint32_t length) {
    std::vector<std::uint8_t> image(count * length);
    for (int r = 0; r < count; ++r) {
        for (std::uint32_t i = 0; i < length; ++i) {
            image[r * length + i] = static_cast<std::uint8_t>('a' + r + (i % 7) * 16);
        }
    }
    return image;
}

TEST(FlipRowsTest, ReversesRowOrderForAnyLength) {
    struct Case {
        int rows;
        std::uint32_t length;
    };
    const Case cases[] = {{4, 4}, {3, 4}, {1, 8}, {2, 3}, {5, 1}, {6, 641}, {7, 300}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> image = Rows(c.rows, c.length);
        const std::vector<std::uint8_t> original = image;
        core::FlipRows(image.data(), image.data() + (c.rows - 1) * c.length, c.length);
        for (int r = 0; r < c.rows; ++r) {
            const auto row = image.begin() + r * c.length;
            const auto from = original.begin() + (c.rows - 1 - r) * c.length;
            EXPECT_TRUE(std::equal(row, row + c.length, from)) << c.rows << "x" << c.length;
        }
        // Flipping twice gives the image back.
        core::FlipRows(image.data(), image.data() + (c.rows - 1) * c.length, c.length);
        EXPECT_EQ(image, original);
    }
}

TEST(FlipRowsTest, DegenerateArgumentsChangeNothing) {
    std::vector<std::uint8_t> image = Rows(4, 4);
    const std::vector<std::uint8_t> original = image;
    core::FlipRows(image.data(), image.data() + 12, 0);
    core::FlipRows(image.data() + 12, image.data(), 4);  // last before first
    core::FlipRows(image.data(), image.data() + 2, 4);   // overlapping rows
    core::FlipRows(nullptr, nullptr, 4);
    EXPECT_EQ(image, original);
}

TEST(SinCosTest, KnownAngles) {
    struct Case {
        double angle, sine, cosine;
    };
    const double pi = 3.14159265358979323846;
    const Case cases[] = {
        {0, 0, 1}, {pi / 2, 1, 0}, {pi, 0, -1}, {-pi / 6, -0.5, 0.8660254037844387}};
    for (const Case& c : cases) {
        double s = 9, k = 9;
        core::SinCos(c.angle, &s, &k);
        EXPECT_NEAR(s, c.sine, 1e-15);
        EXPECT_NEAR(k, c.cosine, 1e-15);
    }
    double s = 9, k = 9;
    core::SinCos(0, &s, &k);
    EXPECT_EQ(s, 0.0);
    EXPECT_EQ(k, 1.0);
}

}  // namespace
