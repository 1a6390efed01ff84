// The public elevation grid of data/elevation-us (gridMET's, University of Idaho): each cell's
// mean height, 1/24 degree apart, rows north to south from 49.4 N, columns east from
// 124.7667 W, in tenths of a metre (-32768 where it has none). The tests read the real ground's
// large shape from it.
#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace testsupport {

class ElevationGrid {
public:
    static constexpr int kRows = 585, kColumns = 1386;
    ElevationGrid() : cells(static_cast<std::size_t>(kRows) * kColumns, -32768) {
        std::ifstream in(
            std::string(ZEPHLON_SOURCE_DIR) + "/data/elevation-us/conus_dem_2p5min.i16",
            std::ios::binary);
        in.read(reinterpret_cast<char*>(cells.data()),
                static_cast<std::streamsize>(cells.size() * 2));
        read = static_cast<bool>(in);
    }
    [[nodiscard]] bool Read() const { return read; }
    // The raw value of a cell (row, column), -32768 outside.
    [[nodiscard]] int Cell(int r, int c) const {
        if (r < 0 || r >= kRows || c < 0 || c >= kColumns) return -32768;
        return cells[static_cast<std::size_t>(r) * kColumns + static_cast<std::size_t>(c)];
    }
    // The mean height read bilinearly between the four cell centres round a point, feet; NaN
    // where one of them has none.
    [[nodiscard]] double Feet(double lat, double lon) const {
        const double fr = (49.4 - lat) * 24.0, fc = (lon + 124.7666667) * 24.0;
        const int r = static_cast<int>(std::floor(fr)), c = static_cast<int>(std::floor(fc));
        const double v = fr - r, u = fc - c;
        double sum = 0.0;
        for (int k = 0; k < 4; ++k) {
            const int w = Cell(r + k / 2, c + k % 2);
            if (w == -32768) return std::nan("");
            sum += w / 3.048 * (k % 2 ? u : 1 - u) * (k / 2 ? v : 1 - v);
        }
        return sum;
    }

private:
    std::vector<std::int16_t> cells;
    bool read = false;
};

}  // namespace testsupport
