// The variation lookup at a point, on tiles the test writes: the cell of a point, the tile of a
// point on an edge, missing and short tiles, and the tile names (row first).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/endian.h"
#include "nav/lat_lon.h"
#include "nav/map_view.h"
#include "nav_fixture.h"

namespace {

using navtest::NavFixture;

// A tile whose cell (row, column) holds base + row * 128 + column.
std::vector<std::uint8_t> Tile(int base) {
    std::vector<std::uint8_t> bytes(nav::kGridTileBytes);
    for (int i = 0; i < nav::kGridTileSide * nav::kGridTileSide; ++i)
        core::WriteU16(bytes.data() + 2 * i, static_cast<std::uint16_t>(base + i));
    return bytes;
}

// A world coordinate whose grid coordinate, truncated toward zero, is `grid` (offset from the
// grid's origin).
std::int32_t WorldOf(std::int64_t grid) {
    const double w = static_cast<double>(grid) / 0.009941939075797343;
    return static_cast<std::int32_t>(grid >= 0 ? std::ceil(w) : std::floor(w));
}

class VariationLookupTest : public NavFixture {
protected:
    void WriteTiles(int column, int row, int magBase, int norBase) {
        Write("Data/Mag/" + nav::MagTileName(column, row), Tile(magBase));
        Write("Data/Nor/" + nav::NorTileName(column, row), Tile(norBase));
    }
};

TEST_F(VariationLookupTest, ValuesOfTheCellHoldingThePoint) {
    EXPECT_EQ(nav::MagTileName(7, 12), "12X07.mag");  // row first, then column
    EXPECT_EQ(nav::NorTileName(7, 12), "12X07.nor");
    WriteTiles(9, 5, 1000, -3000);
    WriteTiles(10, 5, 20000, 0);
    WriteTiles(9, 6, -20000, 100);
    Write("Data/Nor/05X10.nor", std::vector<std::uint8_t>(32767, 0));  // one byte short
    const struct {
        const char* what;
        std::int64_t gx, gz;  // grid position
        int variation, north;
    } cases[] = {
        {"cell 0 of tile 9, 5", 0x900000, 0x500000, 1000, -3000},
        {"row 3, column 5", 0x900000 + 5 * 8192 + 10, 0x500000 + 3 * 8192 + 8191,
         1000 + 3 * 128 + 5, -3000 + 3 * 128 + 5},
        {"last cell", 0x9FFFFF, 0x5FFFFF, 1000 + 16383, -3000 + 16383},
        {"the east tile from its edge on (its short .nor reads 0)", 0xA00000, 0x500000, 20000, 0},
        {"the north tile from its edge on", 0x900000, 0x600000, -20000, 100},
        {"no tiles there", 0x300000, 0x300000, 0, 0},
    };
    for (const bool cache : {true, false}) {
        nav::SetGridTileCache(cache);
        for (const auto& c : cases) {
            const std::int32_t wx = WorldOf(c.gx - 0x900000);
            const std::int32_t wz = WorldOf(c.gz - 0x500000);
            std::uint16_t column = 0, row = 0;
            std::uint32_t ox = 0, oz = 0;
            nav::WorldToGridTile(wx, wz, &column, &row, &ox, &oz);
            ASSERT_EQ((std::int64_t{column} << 20) + ox, c.gx) << c.what;
            ASSERT_EQ((std::int64_t{row} << 20) + oz, c.gz) << c.what;
            const nav::GridValues v = nav::theMapView.LookupGridValues(wx, wz);
            EXPECT_EQ(v.variation, c.variation) << c.what << (cache ? " (cached)" : "");
            EXPECT_EQ(v.north, c.north) << c.what << (cache ? " (cached)" : "");
        }
    }
    nav::SetGridTileCache(true);

    // The loaders and cell readers on their own.
    const std::unique_ptr<nav::GridTile> mag = nav::LoadMagTile(9, 5);
    ASSERT_NE(mag, nullptr);
    EXPECT_EQ(nav::MagTileValue(2 * 8192, 8192, *mag), 1000 + 128 + 2);
    EXPECT_EQ(nav::NorTileValue(0xFFFFFFFF, 0xFFFFFFFF, *mag), 1000 + 16383);  // held to the tile
    EXPECT_EQ(nav::LoadNorTile(10, 5), nullptr);
    EXPECT_EQ(nav::LoadMagTile(40, 40), nullptr);
}

}  // namespace
