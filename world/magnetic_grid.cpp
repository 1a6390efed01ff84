#include "world/magnetic_grid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "core/endian.h"
#include "core/resource_volume.h"

namespace world {

namespace {

std::array<std::int16_t, kMagneticGridSize * kMagneticGridSize> theMag{};
std::array<std::int16_t, kMagneticGridSize * kMagneticGridSize> theNor{};

std::string TileName(int column, int row, const char* extension) {
    char name[32];
    std::snprintf(name, sizeof name, "%02dX%02d.%s", row, column, extension);
    return name;
}

int Load(core::ResourceVolume& volume, const std::string& name,
         std::array<std::int16_t, kMagneticGridSize * kMagneticGridSize>& grid) {
    // The data volume opens when first asked for; loose members of its folder are read without it.
    (void)volume.IsOpen();
    if (!volume.OpenFile(name)) {
        volume.CloseFile();
        return 0;
    }
    // One grid and nothing else: a member of another size is not this grid.
    std::array<std::uint8_t, kMagneticGridBytes> bytes{};
    std::uint8_t more = 0;
    const bool whole = volume.ReadRecords(bytes.data(), kMagneticGridBytes, 1) == 1 &&
                       volume.ReadRecords(&more, 1, 1) == 0;
    volume.CloseFile();
    if (!whole) {
        volume.ReportDamagedMember(name);
        return 0;
    }
    for (std::size_t i = 0; i < grid.size(); ++i)
        grid[i] = core::ReadI16(bytes.data() + 2 * i);
    return 1;
}

}  // namespace

std::string MagneticGrid::MagName(int column, int row) {
    return TileName(column, row, "mag");
}

std::string MagneticGrid::NorName(int column, int row) {
    return TileName(column, row, "nor");
}

int MagneticGrid::LoadMag(int column, int row) {
    return Load(core::theMagDataVolume, MagName(column, row), theMag);
}

int MagneticGrid::LoadNor(int column, int row) {
    return Load(core::theNorDataVolume, NorName(column, row), theNor);
}

int MagneticGrid::CellOf(float c) {
    if (!std::isfinite(c)) return 0;
    const double t = std::trunc(static_cast<double>(c)) + 0x80000;
    return static_cast<int>(std::clamp(std::trunc(t / 8192.0), 0.0, 127.0));
}

std::int16_t MagneticGrid::MagAt(float x, float y) {
    return theMag[static_cast<std::size_t>(CellOf(y) * kMagneticGridSize + CellOf(x))];
}

std::int16_t MagneticGrid::NorAt(float x, float y) {
    return theNor[static_cast<std::size_t>(CellOf(y) * kMagneticGridSize + CellOf(x))];
}

void MagneticGrid::Clear() {
    theMag.fill(0);
    theNor.fill(0);
}

}  // namespace world
