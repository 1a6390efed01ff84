#include "world/scenery_services.h"

namespace world {

namespace {

// The settings a fresh installation starts with.
std::int32_t DefaultSetting(int index) {
    static const SceneryGraphicsSettings defaults;
    return defaults.Get(index);
}
void DefaultZulu(ZuluDateTime* out) {
    *out = ZuluDateTime{};
}
double Zero() {
    return 0.0;
}
void IgnoreDirection(const float*) {}
void DownLight(float out[3]) {
    out[0] = 0.0f;
    out[1] = 0.0f;
    out[2] = -1.0f;
}
int Day() {
    return 1;
}
int FullDaylight() {
    return 1;
}
gfx::GFXPalette* NoPalette() {
    return nullptr;
}
int FullScreen() {
    return 479;
}
void NoOffset(double out[2]) {
    out[0] = 0.0;
    out[1] = 0.0;
}
void NoTerrain() {}
double SeaLevel(double, double) {
    return 0.0;
}
int Loaded(const double*) {
    return 1;
}
TerrainGrid* NoGrid(const double*) {
    return nullptr;
}
int NotFiled(const double*, float, ts::TSRenderItem*) {
    return 0;
}
int NotFiledInRect(const float*, float, int, ts::TSRenderItem*) {
    return 0;
}
ts::TSShape* NoShape(const char*, core::ResourceVolume*, int) {
    return nullptr;
}
void NoRelease(ts::TSShape*) {}

}  // namespace

SceneryServices DefaultSceneryServices() {
    return SceneryServices{&DefaultSetting, &DefaultZulu,  &Zero,      &Zero,
                           &IgnoreDirection, &DownLight, &Day,       &FullDaylight,
                           &NoPalette,       &FullScreen, &Zero,      &NoOffset,
                           &NoTerrain,       &SeaLevel,   &Loaded,    &NoGrid,    &NotFiled,
                           &NotFiledInRect,  &NoShape,    &NoRelease};
}

SceneryServices theSceneryServices = DefaultSceneryServices();

}  // namespace world
