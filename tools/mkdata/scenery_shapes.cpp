// The scenery shapes, in feet; the origin stands on the ground at the object's place. Sizes are
// typical of their kinds (an FAA-lit lattice mast carries its orange and white bands in sevenths
// of its height and red lights at its top and at its half and quarter heights).
#include "tools/mkdata/scenery_shapes.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "ts/unit_normals.h"

namespace mkdata {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Paints {
    MaterialSet set;
    int orange, white, concrete, steel, dark, roof, brick, glass, green, redDim, redLit, whiteLit, lampGreen;
    Paints() {
        orange = set.Colour({235, 95, 30});
        white = set.Colour({240, 240, 240});
        concrete = set.Colour({175, 172, 165});
        steel = set.Colour({120, 122, 128});
        dark = set.Colour({60, 60, 62});
        roof = set.Colour({150, 60, 45});
        brick = set.Colour({160, 95, 70});
        glass = set.Colour({55, 75, 100});
        green = set.Colour({60, 110, 50});
        const std::uint32_t u = ts::TSMaterial::kUnlit;
        redDim = set.Colour({100, 30, 30}, u);
        redLit = set.Light({255, 40, 30});
        whiteLit = set.Light({255, 255, 255});
        lampGreen = set.Light({60, 235, 70});
    }
};

// A shape from static meshes and flip-book parts, drawn in the order given.
struct Scene {
    std::vector<std::unique_ptr<ts::TSPartBase>> parts;
    std::vector<std::int32_t> sequences;
    void Mesh(const MeshBuilder& m) {
        if (!m.Empty()) parts.push_back(m.Build());
    }
    ShapeFiles Store(const std::string& name, const MaterialSet& set, std::map<std::string, Bytes> textures = {}) {
        ts::TSShape shape;
        for (auto& p : parts)
            shape.AddPart(std::move(p));
        shape.sequenceLengths = sequences;
        const auto list = set.Build();
        ShapeFiles files = StoreShape(name, shape, *list);
        files.textures = std::move(textures);
        return files;
    }
};

// The warning lights of an obstacle: sequences 0 and 1 (steady red at half and quarter height,
// off or on) and 2 (the top: off, red, white).
void WarningLights(Scene& scene, const Paints& p, double height, double reach) {
    const double size = std::max(2.0, height / 60);
    auto light = [&](int sequence, Vec at, std::vector<int> materials) {
        std::vector<std::unique_ptr<ts::TSPartBase>> frames;
        for (int material : materials) {
            MeshBuilder m;
            Block(m, at - Vec{size / 2, size / 2, 0}, at + Vec{size / 2, size / 2, size}, material);
            frames.push_back(m.Build());
        }
        scene.parts.push_back(CellAnimation(sequence, std::move(frames)));
    };
    light(0, {reach, 0, height * 0.5}, {p.redDim, p.redLit});
    light(1, {-reach, 0, height * 0.25}, {p.redDim, p.redLit});
    light(2, {0, 0, height}, {p.redDim, p.redLit, p.whiteLit});
    scene.sequences = {2, 2, 3};
}

// A square lattice of four legs from a base width to a top width, in bands of alternating paint,
// braced crosswise on every face.
void Lattice(MeshBuilder& m, double height, double base, double top, int bands, int paintA, int paintB, double z0 = 0) {
    auto half = [&](double z) { return (base + (top - base) * (z - z0) / height) / 2; };
    const double legRadius = std::max(0.3, base / 40);
    for (int k = 0; k < bands; ++k) {
        const double za = z0 + height * k / bands, zb = z0 + height * (k + 1) / bands;
        const int paint = k % 2 == 0 ? paintA : paintB;
        const double ha = half(za), hb = half(zb);
        for (int c = 0; c < 4; ++c) {
            const double sx = c == 0 || c == 3 ? -1 : 1, sy = c < 2 ? -1 : 1;
            Cylinder(m, {sx * ha, sy * ha, za}, {sx * hb, sy * hb, zb}, legRadius, 4, paint, paint);
        }
        // One brace a face, corner to corner.
        const double w = legRadius * 0.8;
        const Vec a[4] = {{-ha, -ha, za}, {ha, -ha, za}, {ha, ha, za}, {-ha, ha, za}};
        const Vec b[4] = {{hb, -hb, zb}, {hb, hb, zb}, {-hb, hb, zb}, {-hb, -hb, zb}};
        for (int f = 0; f < 4; ++f)
            m.DoubleQuad(a[f] + Vec{0, 0, -w}, a[f] + Vec{0, 0, w}, b[f] + Vec{0, 0, w}, b[f] + Vec{0, 0, -w}, paint);
    }
}

double HeightOf(const std::string& name) {
    return std::atof(name.substr(name.size() - 4).c_str());
}

// A body of revolution about the z axis through radii at heights.
void Revolution(MeshBuilder& m, const std::vector<std::pair<double, double>>& profile, int sides, int material,
                int topMaterial = -1) {
    std::vector<Section> sections;
    for (const auto& [z, r] : profile)
        sections.push_back(Section{0, r, r, 0, 2.0, 0});
    // Loft runs along y; build along y and turn it upright: the loft's y becomes z.
    MeshBuilder along;
    struct Paint final : LoftPaint {
        int material, top;
        std::size_t last;
        int Material(int i, int, int) const override { return static_cast<std::size_t>(i) + 1 >= last && top >= 0 ? top : material; }
    } paint;
    paint.material = material;
    paint.top = topMaterial;
    paint.last = profile.size() - 1;
    for (std::size_t i = 0; i < profile.size(); ++i)
        sections[i].y = -profile[i].first;
    Loft(along, sections, sides, paint);
    // y' = z, z' = -y: the section plane (x, z) becomes (x, y) and -y becomes up.
    along.EachFace([&](const Vec* p, int n, int faceMaterial) {
        Vec q[4];
        for (int i = 0; i < n; ++i)
            q[i] = Vec{p[i].x, p[i].z, -p[i].y};
        if (n == 4)
            m.Quad(q[0], q[1], q[2], q[3], faceMaterial);
        else
            m.Tri(q[0], q[1], q[2], faceMaterial);
    });
}

// The same with the band paint kept: the material per face is decided by height.
void Stack(MeshBuilder& m, double height, double base, double top, int body, int band, int sides) {
    const int bands = 7;
    for (int k = 0; k < bands; ++k) {
        const double za = height * k / bands, zb = height * (k + 1) / bands;
        const double ra = base + (top - base) * k / bands, rb = base + (top - base) * (k + 1) / bands;
        // The top two sevenths are banded.
        const int paint = k >= bands - 2 ? (k % 2 == 0 ? band : body) : body;
        Revolution(m, {{za, ra}, {zb, rb}}, sides, paint);
    }
}

// ---- obstacles ------------------------------------------------------------------------------

ShapeFiles Mast(const std::string& name) {
    const double h = HeightOf(name);
    Paints p;
    Scene scene;
    MeshBuilder m;
    const double base = std::max(5.0, h / 45), top = std::max(2.0, base / 3);
    Lattice(m, h, base, top, 7, p.orange, p.white);
    scene.Mesh(m);
    WarningLights(scene, p, h, base / 2 + 1);
    return scene.Store(name, p.set);
}

ShapeFiles Obstacle(const std::string& name) {
    const double h = HeightOf(name);
    const std::string kind = name.substr(0, 4);
    Paints p;
    Scene scene;
    MeshBuilder m;
    double reach = 3;
    if (kind == "tl_t") {
        // A transmission-line pylon: a lattice with three cross arms.
        Lattice(m, h, h / 8, h / 30, 4, p.steel, p.steel);
        for (double f : {0.72, 0.84, 0.96}) {
            const double w = h * 0.22 * (1.1 - f);
            Block(m, {-w, -1, h * f}, {w, 1, h * f + 2}, p.steel);
        }
        reach = h / 16;
    } else if (kind == "elev") {
        // A grain elevator: a row of silos under a head house.
        const double r = h / 9, silo = h * 0.72;
        MeshBuilder row;
        for (int k = -1; k <= 1; ++k) {
            MeshBuilder s;
            Revolution(s, {{0, r}, {silo, r}}, 10, p.concrete);
            s.EachFace([&](const Vec* q, int n, int material) {
                Vec t[4];
                for (int i = 0; i < n; ++i) t[i] = q[i] + Vec{2.05 * r * k, 0, 0};
                if (n == 4) row.Quad(t[0], t[1], t[2], t[3], material);
                else row.Tri(t[0], t[1], t[2], material);
            });
        }
        m = row;
        Block(m, {-r, -r * 0.8, silo}, {r, r * 0.8, h}, p.concrete);
        reach = r * 1.2;
    } else if (kind == "stk_") {
        Stack(m, h, h / 22, h / 34, p.concrete, p.orange, 10);
        reach = h / 22 + 1;
    } else if (kind == "tank") {
        // A water tower: legs and a round tank.
        const double r = h / 7, legsTop = h - 2 * r;
        for (int c = 0; c < 4; ++c) {
            const double a = kPi / 4 + c * kPi / 2;
            Cylinder(m, {std::cos(a) * r * 1.1, std::sin(a) * r * 1.1, 0}, {std::cos(a) * r * 0.7, std::sin(a) * r * 0.7, legsTop + r * 0.4},
                     std::max(0.8, r / 12), 5, p.steel, p.steel);
        }
        std::vector<std::pair<double, double>> sphere;
        for (int k = 0; k <= 6; ++k) {
            const double a = kPi * k / 6;
            sphere.push_back({legsTop + r - r * std::cos(a), std::max(0.01, r * std::sin(a))});
        }
        Revolution(m, sphere, 10, p.white);
        reach = r + 1;
    } else if (kind == "sign") {
        Cylinder(m, {0, 0, 0}, {0, 0, h * 0.7}, h / 60 + 0.5, 6, p.steel, p.steel);
        m.DoubleQuad({-h * 0.25, 0, h * 0.62}, {h * 0.25, 0, h * 0.62}, {h * 0.25, 0, h}, {-h * 0.25, 0, h}, p.white);
        reach = h * 0.26;
    } else if (kind == "plt_") {
        // A plant: a long hall and its stack.
        Block(m, {-h * 0.3, -h * 0.15, 0}, {h * 0.15, h * 0.15, h * 0.18}, p.brick);
        MeshBuilder s;
        Stack(s, h, h / 24, h / 34, p.concrete, p.orange, 8);
        s.EachFace([&](const Vec* q, int n, int material) {
            Vec t[4];
            for (int i = 0; i < n; ++i) t[i] = q[i] + Vec{h * 0.25, 0, 0};
            if (n == 4) m.Quad(t[0], t[1], t[2], t[3], material);
            else m.Tri(t[0], t[1], t[2], material);
        });
        reach = h * 0.25 + h / 24 + 1;
    } else if (kind == "spir") {
        // A church: nave, tower and spire.
        const double w = h / 8;
        Block(m, {-w, -w * 3.5, 0}, {w, -w, h * 0.25}, p.brick);
        Block(m, {-w * 0.8, -w * 0.8, 0}, {w * 0.8, w * 0.8, h * 0.45}, p.brick);
        Revolution(m, {{h * 0.45, w * 0.85}, {h, 0.01}}, 4, p.roof);
        reach = w;
    } else if (kind == "pole") {
        Cylinder(m, {0, 0, 0}, {0, 0, h}, std::max(0.6, h / 80), 6, p.dark, p.dark);
        reach = 1;
    } else if (kind == "cran") {
        // A tower crane: mast, jib, counter-jib and its weights.
        const double w = std::max(5.0, h / 40);
        Lattice(m, h * 0.85, w, w, 6, p.orange, p.orange);
        Block(m, {-w / 2, -h * 0.1, h * 0.85}, {w / 2, h * 0.45, h * 0.85 + w}, p.orange);
        Block(m, {-w / 2, -h * 0.22, h * 0.85}, {w / 2, -h * 0.1, h * 0.85 + w * 0.6}, p.orange);
        Block(m, {-w * 0.7, -h * 0.21, h * 0.85 - w}, {w * 0.7, -h * 0.16, h * 0.85}, p.concrete);
        Lattice(m, h * 0.15 - w, w, 1.0, 2, p.orange, p.orange, h * 0.85 + w);
        reach = w;
    } else if (kind == "rig_") {
        // A derrick over its floor.
        Block(m, {-h / 5, -h / 5, 0}, {h / 5, h / 5, h / 25}, p.steel);
        Lattice(m, h - h / 25, h / 6, h / 40, 5, p.steel, p.white, h / 25);
        reach = h / 12;
    } else if (kind == "ref_") {
        // A refinery: a column, two tanks and a furnace stack.
        Revolution(m, {{0, h / 25}, {h, h / 25}}, 8, p.steel, p.dark);
        for (double x : {h * 0.18, h * 0.36}) {
            MeshBuilder t;
            Revolution(t, {{0, h / 10}, {h / 10, h / 10}}, 10, p.white);
            t.EachFace([&](const Vec* q, int n, int material) {
                Vec s[4];
                for (int i = 0; i < n; ++i) s[i] = q[i] + Vec{x, h * 0.1, 0};
                if (n == 4) m.Quad(s[0], s[1], s[2], s[3], material);
                else m.Tri(s[0], s[1], s[2], material);
            });
        }
        Block(m, {-h * 0.25, -h * 0.05, 0}, {-h * 0.12, h * 0.05, h * 0.2}, p.steel);
        reach = h / 25 + 1;
    } else if (kind == "cool") {
        // A cooling tower: a hyperboloid, narrowest at four fifths of its height.
        std::vector<std::pair<double, double>> waist;
        const double rWaist = h * 0.22;
        for (int k = 0; k <= 6; ++k) {
            const double z = h * k / 6;
            const double t = (z - h * 0.8) / (h * 0.45);
            waist.push_back({z, rWaist * std::sqrt(1 + t * t)});
        }
        Revolution(m, waist, 12, p.concrete);
        reach = rWaist * 1.1;
    } else if (kind == "wind") {
        // A wind turbine: tower and nacelle; the rotor is a keyframe mesh.
        const double hub = h * 0.7, radius = h * 0.3;
        Revolution(m, {{0, h / 45}, {hub, h / 90}}, 8, p.white);
        Block(m, {-h / 80, -h / 70, hub - h / 90}, {h / 80, h / 16, hub + h / 70}, p.white);
        scene.Mesh(m);
        m = MeshBuilder{};
        auto rotor = std::make_unique<ts::TSAnimMesh>();
        rotor->fnVertices = 3 * 4 + 1;
        // Three keyframes of the rotor turned by a third of a blade's spacing each.
        for (int k = 0; k < 3; ++k) {
            ts::TSAnimMesh::Keyframe key;
            key.duration = 0.25f;
            const Vec centre{0, -h / 70 - 1, hub};
            auto vertex = [&](Vec v, Vec n) {
                const Vec u = v * kUnitsPerFoot;
                key.vertices.push_back(ts::TSAnimMesh::Vertex{
                    ts::Vector3F{static_cast<float>(u.x), static_cast<float>(u.y), static_cast<float>(u.z)},
                    ts::NearestNormal(ts::Vector3F{static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z)})});
            };
            for (int b = 0; b < 3; ++b) {
                const double a = 2 * kPi * b / 3 + (2 * kPi / 9) * k;
                const Vec along{std::cos(a), 0, std::sin(a)}, across{-std::sin(a), 0, std::cos(a)};
                const double w0 = radius * 0.06, w1 = radius * 0.025;
                vertex(centre + along * 2 - across * w0, {0, -1, 0});
                vertex(centre + along * radius - across * w1, {0, -1, 0});
                vertex(centre + along * radius + across * w1, {0, -1, 0});
                vertex(centre + along * 2 + across * w0, {0, -1, 0});
            }
            vertex(centre, {0, -1, 0});
            rotor->keyframes.push_back(std::move(key));
        }
        rotor->texCoords.push_back(ts::TSAnimMesh::TexCoord{});
        // Both sides of every blade; a face is drawn when its corners turn clockwise on the
        // screen, so each side lists them the other way round.
        for (int b = 0; b < 3; ++b) {
            const int q = 4 * b;
            for (const auto& tri : {std::array<int, 3>{q, q + 1, q + 2}, std::array<int, 3>{q, q + 2, q + 3},
                                    std::array<int, 3>{q + 2, q + 1, q}, std::array<int, 3>{q + 3, q + 2, q}}) {
                ts::TSAnimMesh::Face f;
                for (int i = 0; i < 3; ++i) f.v[i] = tri[static_cast<std::size_t>(i)];
                f.material = p.white;
                rotor->faces.push_back(f);
            }
        }
        FitSphere(*rotor);
        scene.parts.push_back(std::move(rotor));
        reach = h / 30;
    }
    scene.Mesh(m);
    WarningLights(scene, p, h, reach);
    return scene.Store(name, p.set);
}

// ---- buildings ------------------------------------------------------------------------------

// A gabled roof over a box from (x0, y0) to (x1, y1) at the eaves' height, ridge along x.
void GableRoof(MeshBuilder& m, double x0, double y0, double x1, double y1, double eaves, double ridge, int material,
               int ends) {
    const double ym = (y0 + y1) / 2;
    const Vec a{x0, y0, eaves}, b{x1, y0, eaves}, c{x1, ym, ridge}, d{x0, ym, ridge};
    const Vec e{x0, y1, eaves}, f{x1, y1, eaves};
    m.Quad(a, b, c, d, material);
    m.Quad(f, e, d, c, material);
    m.Tri(b, f, c, ends);
    m.Tri(e, a, d, ends);
}

Picture DoorPicture(int width, int height, Rgb colour, int panels) {
    Picture pic(width, height, PaletteIndex(colour));
    auto darker = [](std::uint8_t c) { return static_cast<std::uint8_t>(c * 6 / 10); };
    const std::uint8_t seam = PaletteIndex({darker(colour.r), darker(colour.g), darker(colour.b)});
    for (int k = 1; k < panels; ++k)
        pic.Fill(k * width / panels, 0, k * width / panels, height - 1, seam);
    pic.Fill(0, 0, width - 1, 0, seam);
    return pic;
}

Picture WindowBand() {
    Picture pic(64, 16, PaletteIndex({200, 198, 190}));
    const std::uint8_t glass = PaletteIndex({55, 75, 100});
    for (int k = 0; k < 8; ++k)
        pic.Fill(k * 8 + 1, 3, k * 8 + 6, 12, glass);
    return pic;
}

Picture TreePicture(int variant) {
    Picture pic(64, 64, 0);
    const std::uint8_t trunk = PaletteIndex({90, 65, 40});
    const std::uint8_t leaves[3] = {PaletteIndex({40, 95, 40}), PaletteIndex({55, 120, 50}), PaletteIndex({30, 75, 35})};
    pic.Fill(29, 44, 34, 63, trunk);
    std::uint32_t seed = 12345u + static_cast<std::uint32_t>(variant) * 977u;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int y = 0; y < 52; ++y) {
        for (int x = 0; x < 64; ++x) {
            // A round crown (variant 0) or a cone (variant 1).
            const double dx = x - 31.5, dy = y - 24.0;
            const bool inside = variant == 0 ? dx * dx / (28.0 * 28.0) + dy * dy / (24.0 * 24.0) < 1.0
                                             : std::fabs(dx) < (y + 2) * 0.55 && y > 2;
            if (inside) pic.At(x, y) = leaves[next() % 3];
        }
    }
    return pic;
}

ShapeFiles Building(const std::string& name) {
    Paints p;
    Scene scene;
    std::map<std::string, Bytes> textures;
    if (name == "thangar") {
        // A row of six T-hangars: low walls, doors along the front, a shallow gable.
        MeshBuilder m;
        const int door = p.set.Texture("thgrdoor.bmp", ts::TSMaterial::kFlat, 0, {190, 190, 185});
        Block(m, {-120, -20, 0}, {120, 20, 14}, p.white);
        for (int k = 0; k < 6; ++k) {
            const double x0 = -118 + k * 40, x1 = x0 + 36;
            m.Quad({x0, -20.3, 0.5}, {x1, -20.3, 0.5}, {x1, -20.3, 12.5}, {x0, -20.3, 12.5}, door, {0, 1}, {1, 1}, {1, 0}, {0, 0});
        }
        GableRoof(m, -121, -21, 121, 21, 14, 19, p.steel, p.white);
        scene.Mesh(m);
        textures["thgrdoor.bmp"] = BmpFile(DoorPicture(64, 32, {190, 190, 185}, 4));
    } else if (name == "hangar") {
        // A large hangar of convex pieces ordered by a BSP part: walls, doors, roof and an annex.
        const int door = p.set.Texture("hgrdoor.bmp", ts::TSMaterial::kFlat, 0, {170, 172, 175});
        std::vector<Piece> pieces;
        auto piece = [&](auto build, const char* n) {
            MeshBuilder m;
            build(m);
            pieces.push_back(MeshPiece(m, n));
        };
        piece([&](MeshBuilder& m) { Block(m, {-62, -50, 0}, {-60, 50, 40}, p.white); }, "left wall");
        piece([&](MeshBuilder& m) { Block(m, {60, -50, 0}, {62, 50, 40}, p.white); }, "right wall");
        piece([&](MeshBuilder& m) { Block(m, {-60, 48, 0}, {60, 50, 40}, p.white); }, "back wall");
        piece([&](MeshBuilder& m) {
            Block(m, {-60, -50, 0}, {60, -48, 40}, p.steel);
            m.Quad({-56, -50.2, 0}, {56, -50.2, 0}, {56, -50.2, 36}, {-56, -50.2, 36}, door, {0, 1}, {1, 1}, {1, 0}, {0, 0});
        }, "doors");
        piece([&](MeshBuilder& m) { GableRoof(m, -63, -51, 63, 51, 40, 52, p.roof, p.white); }, "roof");
        piece([&](MeshBuilder& m) {
            Block(m, {62, -30, 0}, {86, 20, 14}, p.brick);
            GableRoof(m, 62, -31, 87, 21, 14, 18, p.roof, p.brick);
        }, "annex");
        scene.parts.push_back(BuildBsp(std::move(pieces), 0.5));
        textures["hgrdoor.bmp"] = BmpFile(DoorPicture(64, 32, {170, 172, 175}, 8));
    } else if (name == "terminal") {
        MeshBuilder m;
        const int windows = p.set.Texture("termwin.bmp", ts::TSMaterial::kFlat, 0, {200, 198, 190});
        Block(m, {-75, -30, 0}, {75, 30, 26}, p.concrete);
        for (double y : {-30.2, 30.2}) {
            const Vec a{-73, y, 6}, b{73, y, 6}, c{73, y, 22}, d{-73, y, 22};
            if (y < 0) m.Quad(a, b, c, d, windows, {0, 1}, {4, 1}, {4, 0}, {0, 0});
            else m.Quad(b, a, d, c, windows, {0, 1}, {4, 1}, {4, 0}, {0, 0});
        }
        Block(m, {-20, -42, 12}, {20, -30, 13.5}, p.white);
        Block(m, {-80, -35, 26}, {80, 35, 28}, p.dark);
        scene.Mesh(m);
        textures["termwin.bmp"] = BmpFile(WindowBand());
    } else if (name == "fuelfarm") {
        MeshBuilder m;
        for (int k = 0; k < 3; ++k) {
            MeshBuilder t;
            Revolution(t, {{0, 8}, {14, 8}}, 10, p.white);
            t.EachFace([&](const Vec* q, int n, int material) {
                Vec s[4];
                for (int i = 0; i < n; ++i) s[i] = q[i] + Vec{-20.0 + 20 * k, 0, 0};
                if (n == 4) m.Quad(s[0], s[1], s[2], s[3], material);
                else m.Tri(s[0], s[1], s[2], material);
            });
        }
        Block(m, {-32, -14, 0}, {32, -12, 3}, p.concrete);
        Block(m, {24, 14, 0}, {34, 22, 9}, p.orange);
        scene.Mesh(m);
    } else if (name == "ctower") {
        MeshBuilder m;
        Block(m, {-7, -7, 0}, {7, 7, 52}, p.concrete);
        MeshBuilder cab;
        Revolution(cab, {{52, 11}, {60, 11}}, 8, p.glass);
        m.Append(cab);
        Revolution(m, {{60, 12}, {62, 12}, {64, 0.5}}, 8, p.dark);
        Cylinder(m, {0, 0, 64}, {0, 0, 74}, 0.4, 4, p.steel, p.steel);
        scene.Mesh(m);
    } else if (name == "beacon") {
        // The airport's rotating beacon on its pole: green and white by turns.
        MeshBuilder m;
        Lattice(m, 46, 4, 2, 2, p.steel, p.steel);
        scene.Mesh(m);
        std::vector<std::unique_ptr<ts::TSPartBase>> frames;
        for (int material : {p.lampGreen, p.whiteLit}) {
            MeshBuilder lamp;
            Block(lamp, {-1.8, -1.8, 46}, {1.8, 1.8, 50}, material);
            frames.push_back(lamp.Build());
        }
        scene.parts.push_back(CellAnimation(0, std::move(frames)));
        scene.sequences = {2};
    } else {
        // Trees: one picture standing on its base, turned to the viewer.
        const int variant = name == "tree2" ? 1 : 0;
        const std::string texture = name + ".bmp";
        const int material = p.set.Texture(texture, ts::TSMaterial::kUnlit, ts::TSMaterial::kTransparent, {40, 95, 40});
        auto sprite = std::make_unique<ts::TSBitmapFramePart>();
        sprite->mat = material;
        const double heightFt = variant == 0 ? 38.0 : 48.0;
        sprite->scale = static_cast<float>(heightFt * kUnitsPerFoot / 64.0);
        sprite->xOffset = 32;
        sprite->yOffset = 0;
        sprite->fCenter = ts::Vector3F{0, 0, static_cast<float>(heightFt * kUnitsPerFoot / 2)};
        sprite->fRadius = static_cast<float>(heightFt * kUnitsPerFoot * 0.6);
        scene.parts.push_back(std::move(sprite));
        textures[texture] = BmpFile(TreePicture(variant));
    }
    return scene.Store(name, p.set, std::move(textures));
}

}  // namespace

std::vector<std::string> ObstacleShapeNames() {
    return {"TWR_0050", "TWR_0100", "TWR_0200", "TWR_0300", "TWR_0400", "TWR_0500", "TWR_0600", "TWR_0700",
            "TWR_0800", "TWR_1000", "TWR_1250", "TWR_1500", "TWR_1750", "TWR_2000", "tl_t0100", "tl_t0200",
            "elev0200", "stk_0200", "stk_0300", "stk_0600", "tank0100", "tank0200", "sign0100", "plt_0200",
            "plt_0300", "spir0100", "spir0200", "pole0050", "pole0100", "cran0200", "cran0300", "rig_0200",
            "ref_0200", "ref_0300", "cool0400", "cool0500", "wind0200"};
}

std::vector<std::string> BuildingShapeNames() {
    return {"thangar", "hangar", "terminal", "fuelfarm", "ctower", "beacon", "tree1", "tree2"};
}

std::vector<ShapeFiles> MakeSceneryShapes() {
    std::vector<ShapeFiles> out;
    for (const std::string& name : BuildingShapeNames())
        out.push_back(Building(name));
    for (const std::string& name : ObstacleShapeNames())
        out.push_back(name.rfind("TWR_", 0) == 0 ? Mast(name) : Obstacle(name));
    return out;
}

}  // namespace mkdata
