// What the aircraft dialogs show of the five types. In the installation: each type's performance
// text "P<type>.Txt" in "Data\Perform.Vol" (module "performance"). In the resource pack (drawn
// by `mkdata --skin`): each type's picture (its own 3D shape drawn by the shape engine in a
// three-quarter view from the front left over a clear sky, 466 x 189), its name and figures
// (263 x 69) and its checklist title (240 x 30), named by "aircraft_art.rc". Every figure comes from the
// flight model's published performance and the handbooks named in flight/aircraft_data.cpp.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/endian.h"
#include "core/number_text.h"
#include "flight/published_performance.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/palette.h"
#include "gfx/surface.h"
#include "tools/mkdata/aircraft_shapes.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/palette_colours.h"
#include "tools/mkdata/text_surface.h"
#include "ts/class_item.h"
#include "ts/light.h"
#include "ts/light_set.h"
#include "ts/perspective_camera.h"
#include "ts/shape.h"
#include "ts/shape_resource.h"
#include "ts/texture_manager.h"
#include "win/font.h"
#include "win/gdi.h"

namespace mkdata {

namespace {

// The handbook figures the texts quote beside the flight model's published performance.
struct TypeFacts {
    const char* name;
    const char* shape;
    const char* engines;
    const char* propeller;
    int seats;
    int maxWeightLb;
    const char* usableFuel;
    const char* resource;  // the bitmaps' prefix: <resource>IMAGE, <resource>TEXT
    const char* checklistTitle;
    const char* titleResource;
};
constexpr TypeFacts kTypes[5] = {
    {"Cessna 172 Skyhawk", "172", "one 160 hp four-cylinder piston engine", "fixed-pitch propeller", 4, 2300,
     "40 US gal", "172", "172 SKYHAWK CHECKLISTS", "172_TITL"},
    {"Beechcraft V35 Bonanza", "bonanza", "one 285 hp six-cylinder piston engine",
     "constant-speed propeller, 2,700 RPM", 6, 3400, "74 US gal", "BONANZA", "V35 BONANZA CHECKLISTS", "BON_TITL"},
    {"Beechcraft 58 Baron", "baron", "two 300 hp six-cylinder piston engines",
     "constant-speed propellers, 2,700 RPM", 6, 5500, "194 US gal", "BARON", "58 BARON CHECKLISTS", "BAR_TITL"},
    {"Beechcraft B200 Super King Air", "kingair", "two 850 shp turboprop engines",
     "four-blade constant-speed propellers", 8, 12500, "3,645 lb", "KING", "B200 KING AIR CHECKLISTS", "KNG_TITL"},
    {"Cessna 525 CitationJet", "citation", "two 1,900 lbf turbofan engines", "", 7, 10400, "3,220 lb",
     "CITATION", "CITATIONJET CHECKLISTS", "CIT_TITL"},
};

// The fastest cruise of the published table.
const flight::CruisePoint& FastestCruise(const flight::PublishedPerformance& p) {
    return *std::max_element(p.cruise.begin(), p.cruise.end(),
                             [](const flight::CruisePoint& a, const flight::CruisePoint& b) {
                                 return a.trueAirspeedKnots < b.trueAirspeedKnots;
                             });
}

std::string PerformanceText(int type) {
    const TypeFacts& t = kTypes[type];
    const flight::PublishedPerformance& p = flight::PublishedPerformanceForType(type);
    std::vector<std::string> lines;
    lines.emplace_back(t.name);
    lines.emplace_back("");
    lines.push_back(std::string("Power plant: ") + t.engines);
    if (*t.propeller != '\0') lines.push_back(std::string("Propeller: ") + t.propeller);
    lines.push_back("Seats: " + std::to_string(t.seats));
    lines.push_back("Maximum takeoff weight: " + core::WithThousands(t.maxWeightLb) + " lb");
    lines.push_back(std::string("Usable fuel: ") + t.usableFuel);
    if (p.stallCleanKnots > 0)
        lines.push_back("Stall speed, clean: " + std::to_string(static_cast<int>(p.stallCleanKnots)) + " kt");
    lines.push_back("Stall speed, landing configuration: " + std::to_string(static_cast<int>(p.stallFlapsKnots)) + " kt");
    lines.push_back("Best rate of climb at sea level: " + core::WithThousands(static_cast<long>(p.climbFeetPerMinute)) + " ft/min");
    lines.push_back("Service ceiling: " + core::WithThousands(static_cast<long>(p.ceilingFeet)) + " ft");
    const flight::CruisePoint& fast = FastestCruise(p);
    lines.push_back("Fastest cruise: " + std::to_string(static_cast<int>(fast.trueAirspeedKnots)) + " kt at " +
                    core::WithThousands(fast.altitudeFeet) + " ft");
    lines.emplace_back("");
    const char* unit = p.fuelInGallons ? (p.fuelPerEngine ? "gal/h each" : "gal/h") : "lb/h";
    lines.push_back(std::string("Cruise (altitude, power, true airspeed, fuel ") + unit + "):");
    char row[96];
    for (const flight::CruisePoint& c : p.cruise) {
        if (c.powerPercent != 65 && c.powerPercent != 75) continue;
        if (p.fuelInGallons)
            std::snprintf(row, sizeof row, "  %6s ft  %2d%%  %3d kt  %4.1f", core::WithThousands(c.altitudeFeet).c_str(),
                          c.powerPercent, static_cast<int>(c.trueAirspeedKnots), c.fuelFlow);
        else
            std::snprintf(row, sizeof row, "  %6s ft  %2d%%  %3d kt  %4d", core::WithThousands(c.altitudeFeet).c_str(),
                          c.powerPercent, static_cast<int>(c.trueAirspeedKnots), static_cast<int>(c.fuelFlow));
        lines.emplace_back(row);
    }
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return text;
}

// ---- pictures -------------------------------------------------------------------------------

// A 24-bit picture, 0x00RRGGBB per pixel, rows top-down.
struct Image {
    int w, h;
    std::vector<std::uint32_t> px;
    Image(int width, int height, std::uint32_t fill) : w(width), h(height), px(std::size_t(width) * height, fill) {}
};

std::uint32_t Pack(int r, int g, int b) {
    return (static_cast<std::uint32_t>(std::clamp(r, 0, 255)) << 16) |
           (static_cast<std::uint32_t>(std::clamp(g, 0, 255)) << 8) | static_cast<std::uint32_t>(std::clamp(b, 0, 255));
}

Bytes Bmp24(const Image& image) {
    const int stride = (image.w * 3 + 3) & ~3;
    Bytes b(54 + static_cast<std::size_t>(stride) * image.h, 0);
    b[0] = 'B';
    b[1] = 'M';
    core::WriteU32(b.data() + 2, static_cast<std::uint32_t>(b.size()));
    core::WriteU32(b.data() + 10, 54);
    core::WriteU32(b.data() + 14, 40);
    core::WriteU32(b.data() + 18, static_cast<std::uint32_t>(image.w));
    core::WriteU32(b.data() + 22, static_cast<std::uint32_t>(image.h));
    core::WriteU16(b.data() + 26, 1);
    core::WriteU16(b.data() + 28, 24);
    for (int y = 0; y < image.h; ++y)
        for (int x = 0; x < image.w; ++x) {
            const std::uint32_t c = image.px[std::size_t(y) * image.w + x];
            std::uint8_t* at = b.data() + 54 + std::size_t(image.h - 1 - y) * stride + std::size_t(x) * 3;
            at[0] = static_cast<std::uint8_t>(c);
            at[1] = static_cast<std::uint8_t>(c >> 8);
            at[2] = static_cast<std::uint8_t>(c >> 16);
        }
    return b;
}

// The sky behind the pictures: deep blue above, pale at the horizon.
std::uint32_t Sky(int y, int h) {
    const double f = static_cast<double>(y) / (h - 1);
    return Pack(static_cast<int>(62 + 120 * f), static_cast<int>(112 + 100 * f), static_cast<int>(196 + 46 * f));
}

// The type's shape, drawn by the engine into the world palette's indices and laid over the sky.
bool DrawAircraft(int type, gfx::GFXPalette& palette, Image* out, std::string* error) {
    std::unique_ptr<ts::TSShape> shape(ts::TSShape::Load(kTypes[type].shape, &palette));
    if (!shape) {
        *error = std::string("the shape ") + kTypes[type].shape + " does not load";
        return false;
    }
    ts::TSShapeInstance instance(shape.get());
    // Parked: the running propellers show nothing (one past their frames).
    if (ts::TSSequenceState* state = instance.GetSequenceState())
        for (int entry : {1, 3}) state->SetValue(entry, static_cast<std::uint32_t>(state->Length(entry)));
    auto surface = gfx::GFXMemSurface::Create(out->w, out->h, 8);
    gfx::GFXMemSurface::SetDrawTable(&gfx::theSoftwareDrawTable);
    surface->SetPalette(&palette, 0, 256);
    gfx::GFXDrawTarget target(surface.get());
    const float aspect = 30.0f * out->h / (out->w * 0.75f);
    ts::TSPerspectiveCamera camera(ts::CameraRect{0, 0, out->w - 1, out->h - 1}, ts::CameraWindow{-40.0f, aspect, 40.0f, -aspect},
                                   1.0f, 128.0f);
    ts::TSLight sun{ts::TSLight::kDirectional};
    const float d[3] = {0.45f, 0.35f, -0.82f};
    const float n = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    sun.worldDirection = ts::Vector3F{d[0] / n, d[1] / n, d[2] / n};
    sun.colour[0] = sun.colour[1] = sun.colour[2] = 0.85f;
    ts::TSLightSet lights;
    lights.AddLight(&sun);
    lights.SetBaseColour(0.35f * 65535, 0.35f * 65535, 0.35f * 65535);
    // Three-quarters from the front left and a little above, the whole aircraft in the frame.
    const float r = std::max(shape->fRadius, 1.0f);
    const ts::Vector3F at{shape->fCenter.x, shape->fCenter.y, shape->fCenter.z - r * 0.12f};
    const ts::Vector3F eye{at.x - r * 1.7f, at.y + r * 2.2f, at.z + r * 0.75f};
    const ts::Vector3F view = at - eye;
    const float heading = std::atan2(-view.x, view.y);
    const float pitch = std::atan2(view.z, std::sqrt(view.x * view.x + view.y * view.y));
    ts::Transform3F placement;
    ts::Matrix3F::SetEulerAngles(ts::Vector3F{pitch, 0.0f, heading}, &placement.matrix);
    placement.t = eye;
    ts::Transform3F worldToEye;
    ts::Transform3F::InvertRigid(placement, &worldToEye);
    camera.SetEyeTransform(worldToEye);
    {
        gfx::GFXSurfaceLock lock(*surface);
        for (int y = 0; y < out->h; ++y) std::fill_n(surface->pixels + y * surface->stride, out->w, std::uint8_t{0});
    }
    target.Begin();
    camera.Activate();
    lights.Activate();
    camera.SetTransform(ts::Transform3F{});
    instance.SetPosition({0, 0, 0});
    instance.SetRotation({0, 0, 0});
    instance.Render(ts::kCullUntested);
    lights.Deactivate();
    target.End();
    if (ts::theCurrentCamera == &camera) ts::theCurrentCamera = nullptr;
    gfx::GFXSurfaceLock lock(*surface);
    int drawn = 0;
    for (int y = 0; y < out->h; ++y)
        for (int x = 0; x < out->w; ++x) {
            const std::uint8_t i = surface->pixels[y * surface->stride + x];
            if (i == 0) continue;  // the world's colours start at 74: index 0 is untouched sky
            const gfx::GFXPaletteEntry& e = palette.entries[i];
            out->px[std::size_t(y) * out->w + x] = Pack(e.red, e.green, e.blue);
            ++drawn;
        }
    if (drawn < out->w * out->h / 20) {
        *error = std::string("the picture of ") + kTypes[type].name + " is nearly empty";
        return false;
    }
    return true;
}

// Text drawn through the program's own font engine onto an image.
class Lettering {
public:
    explicit Lettering(Image& image) : image_(image), surface_(image.w, image.h) {
        if (surface_.Bits()) std::copy(image.px.begin(), image.px.end(), surface_.Bits());
    }
    ~Lettering() {
        if (surface_.Bits()) std::copy(surface_.Bits(), surface_.Bits() + image_.px.size(), image_.px.begin());
    }
    Lettering(const Lettering&) = delete;
    Lettering& operator=(const Lettering&) = delete;
    // Top-left at (x, y); centred on x when `centred`.
    void Text(int x, int y, const std::string& text, int size, bool bold, std::uint32_t colour, bool centred = false) {
        if (centred) x -= surface_.Width(text, size, bold) / 2;
        surface_.UseFont(size, bold);
        win::SetTextColor(surface_.Dc(), win::RGB(static_cast<std::uint8_t>(colour >> 16),
                                                  static_cast<std::uint8_t>(colour >> 8),
                                                  static_cast<std::uint8_t>(colour)));
        win::TextOut(surface_.Dc(), x, y, text);
    }

private:
    Image& image_;
    TextSurface surface_;
};

constexpr std::uint32_t kCard = 0xF4F1E6;   // the name cards' paper
constexpr std::uint32_t kInk = 0x1C2430;
constexpr std::uint32_t kRule = 0x3E6896;

Image NameCard(int type) {
    Image card(263, 69, kCard);
    for (int x = 0; x < card.w; ++x)
        for (int y : {0, card.h - 1}) card.px[std::size_t(y) * card.w + x] = kRule;
    for (int y = 0; y < card.h; ++y)
        for (int x : {0, card.w - 1}) card.px[std::size_t(y) * card.w + x] = kRule;
    const TypeFacts& t = kTypes[type];
    const flight::PublishedPerformance& p = flight::PublishedPerformanceForType(type);
    Lettering l(card);
    l.Text(8, 5, type == 3 ? "Beechcraft B200 King Air" : t.name, 17, true, kInk);
    l.Text(8, 28, std::string(t.engines), 12, false, kInk);
    l.Text(8, 46,
           "Cruise " + std::to_string(static_cast<int>(FastestCruise(p).trueAirspeedKnots)) + " kt   Ceiling " +
               core::WithThousands(static_cast<long>(p.ceilingFeet)) + " ft   " + core::WithThousands(t.maxWeightLb) + " lb",
           12, false, kRule);
    return card;
}

Image ChecklistTitle(int type) {
    Image title(240, 30, 0x23364E);
    for (int x = 0; x < title.w; ++x) title.px[std::size_t(title.h - 3) * title.w + x] = 0xD9A441;
    Lettering l(title);
    l.Text(title.w / 2, 6, kTypes[type].checklistTitle, 14, true, 0xFFFFFF, true);
    return title;
}

bool WriteFile(const std::filesystem::path& path, const Bytes& bytes, std::string* error) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) {
        *error = "cannot write " + path.string();
        return false;
    }
    return true;
}

}  // namespace

int MakePerformanceTexts(Installation& installation, std::string*) {
    for (int type = 0; type < 5; ++type) {
        const std::string text = PerformanceText(type);
        installation.AddMember("Data\\Perform.Vol", "P" + std::to_string(type) + ".Txt", Bytes(text.begin(), text.end()));
    }
    return 1;
}

int MakeAircraftDialogArt(const std::string& outDir, std::string* error) {
    namespace fs = std::filesystem;
    const fs::path out(outDir);
    // The shapes are drawn from loose files, made here and removed afterwards.
    const fs::path shapes = out / "aircraft_shapes.tmp";
    fs::create_directories(shapes);
    ts::InstallShapeClasses();
    gfx::GFXPalette palette;
    FillWorldPalette(palette, 0);
    std::string rc = "// Made by mkdata --skin: the aircraft dialogs' pictures, name cards and checklist titles.\n";
    bool ok = true;
    for (int type = 0; type < 5 && ok; ++type) {
        const ShapeFiles files = MakeAircraftShape(type);
        ok = WriteFile(shapes / (files.name + ".dts"), files.dts, error) && WriteFile(shapes / (files.name + ".dml"), files.dml, error);
        for (const auto& [name, bytes] : files.textures) ok = ok && WriteFile(shapes / name, bytes, error);
    }
    ts::SetShapeResourceStream(nullptr);
    ts::SetShapeSearchPath(shapes.string());
    for (int type = 0; type < 5 && ok; ++type) {
        const TypeFacts& t = kTypes[type];
        Image picture(466, 189, 0);
        for (int y = 0; y < picture.h; ++y) std::fill_n(picture.px.begin() + std::ptrdiff_t(y) * picture.w, picture.w, Sky(y, picture.h));
        ok = DrawAircraft(type, palette, &picture, error);
        const struct {
            std::string resource;
            std::string file;
            Image image;
        } made[3] = {{std::string(t.resource) + "IMAGE", "aircraft_" + std::to_string(type) + "_picture.bmp", picture},
                     {std::string(t.resource) + "TEXT", "aircraft_" + std::to_string(type) + "_name.bmp", NameCard(type)},
                     {t.titleResource, "aircraft_" + std::to_string(type) + "_checklist.bmp", ChecklistTitle(type)}};
        for (const auto& m : made) {
            ok = ok && WriteFile(out / m.file, Bmp24(m.image), error);
            rc += "\"" + m.resource + "\" BITMAP \"" + m.file + "\"\n";
        }
    }
    ts::TSTextureManager::Shutdown();
    ts::SetShapeSearchPath("");
    fs::remove_all(shapes);
    if (!ok) return 0;
    return WriteFile(out / "aircraft_art.rc", Bytes(rc.begin(), rc.end()), error) ? 1 : 0;
}

}  // namespace mkdata
