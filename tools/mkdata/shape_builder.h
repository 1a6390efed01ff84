// The toolkit the shape maker builds the installation's shapes with: meshes from faces, simple
// solids (lofted bodies, wing panels, boxes, cylinders), flip-book parts, a binary space
// partition of convex pieces by axis-aligned planes so that a shape draws back to front from any
// side, and the small pictures used as textures. Everything is stored with the engine's own
// writer (version 1).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "tools/mkdata/palette_colours.h"
#include "ts/anim_mesh.h"
#include "ts/bsp_part.h"
#include "ts/detail_parts.h"
#include "ts/material.h"
#include "ts/mesh.h"
#include "ts/shape.h"
#include "ts/sprite_parts.h"

namespace mkdata {

using Bytes = std::vector<std::uint8_t>;

struct Vec {
    double x = 0, y = 0, z = 0;
};
inline Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec operator*(Vec a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
[[nodiscard]] Vec Cross(Vec a, Vec b);
[[nodiscard]] double Length(Vec a);
[[nodiscard]] Vec Normalised(Vec a);
// About the axis through `pivot` along x, y or z (0, 1, 2), by `radians`.
[[nodiscard]] Vec Rotate(Vec p, Vec pivot, int axis, double radians);

// Shape units per foot: scenery sizes are given in feet.
inline constexpr double kUnitsPerFoot = 0.77575755;

struct Box {
    Vec min{1e30, 1e30, 1e30};
    Vec max{-1e30, -1e30, -1e30};
    void Add(Vec p);
    void Add(const Box& b);
    [[nodiscard]] bool Empty() const { return min.x > max.x; }
    [[nodiscard]] Vec Centre() const { return (min + max) * 0.5; }
};

struct UV {
    double u = 0, v = 0;
};

// Collects faces and makes a TSMesh. Corners are shared by position; every face gets its own
// centre vertex carrying the face's normal (the facing test and flat shading use it). Corners
// are given counter-clockwise as seen from outside, so the normal points out; the mesh stores
// them the other way round, clockwise on the screen as the polygon routines fill.
class MeshBuilder {
public:
    void Quad(Vec a, Vec b, Vec c, Vec d, int material, UV ta = {}, UV tb = {}, UV tc = {},
              UV td = {});
    void Tri(Vec a, Vec b, Vec c, int material, UV ta = {}, UV tb = {}, UV tc = {});
    // The same faces seen from both sides (thin plates: blades, doors, signs).
    void DoubleQuad(Vec a, Vec b, Vec c, Vec d, int material, UV ta = {}, UV tb = {}, UV tc = {},
                    UV td = {});
    [[nodiscard]] int FaceCount() const { return static_cast<int>(faces.size()); }
    [[nodiscard]] bool Empty() const { return faces.empty(); }
    [[nodiscard]] const Box& Bounds() const { return bounds; }
    // The mesh, its sphere round the box's centre; null when empty.
    [[nodiscard]] std::unique_ptr<ts::TSMesh> Build() const;
    void Append(const MeshBuilder& other);
    // Calls fn(corners, count, material) for every face.
    template <typename Fn>
    void EachFace(Fn&& fn) const {
        for (const Face& f : faces)
            fn(f.p, f.count, f.material);
    }

private:
    struct Face {
        Vec p[4];
        UV t[4];
        int count;
        int material;
    };
    std::vector<Face> faces;
    Box bounds;
};

// A part with the box its place in the partition is judged by.
struct Piece {
    std::unique_ptr<ts::TSPartBase> part;
    Box box;
    std::string name;
};
Piece MeshPiece(const MeshBuilder& mesh, std::string name);

// Splits the pieces by axis-aligned planes between their boxes (overlaps up to `tolerance`
// count as apart) into a BSP part list; pieces no plane can part go together in the order given.
[[nodiscard]] std::unique_ptr<ts::TSBSPPart> BuildBsp(std::vector<Piece> pieces, double tolerance);

// A flip-book part driven by `sequence`, one cell per frame; a null frame draws nothing.
[[nodiscard]] std::unique_ptr<ts::TSCellAnimPart> CellAnimation(
    int sequence, std::vector<std::unique_ptr<ts::TSPartBase>> frames);
// Sets a part's sphere round its box and its box (lists: round their children's).
void FitSphere(ts::TSPartBase& part);

// ---- solids -------------------------------------------------------------------------------------

// A cross-section of a lofted body at a station along y: half width, half height, centre height,
// and the exponent of its super-ellipse (2 an ellipse, larger nearer a rectangle). A section of
// zero size closes the body in a point.
struct Section {
    double y = 0;
    double halfWidth = 0;
    double halfHeight = 0;
    double z = 0;
    double squareness = 2.0;
    double x = 0;
};
// Material of the quad between sections i and i + 1 and ring points j and j + 1 (ring point 0
// is at the top, going round toward +x); with texture coordinates when it is textured.
struct LoftPaint {
    virtual ~LoftPaint() = default;
    virtual int Material(int section, int point, int ringPoints) const = 0;
    virtual bool Texture(int, int, int, UV[4]) const { return false; }
};
// The ends are closed unless said otherwise (the cut between two pieces of one body).
void Loft(MeshBuilder& m, const std::vector<Section>& sections, int ringPoints, const LoftPaint& paint,
          bool capFirst = true, bool capLast = true);
[[nodiscard]] Vec RingPoint(const Section& s, int j, int ringPoints);

// A wing or tail panel from its root to its tip chord: leading edges and chords given at both
// ends (the chord lines' points), thickness as a fraction of the chord. The plate lies along the
// line from root to tip (dihedral and sweep come with the points).
struct PanelEnd {
    Vec leadingEdge;
    double chord = 0;
};
void Panel(MeshBuilder& m, PanelEnd root, PanelEnd tip, double thickness, int top, int bottom,
           bool capRoot, bool capTip);
// The same panel standing up (a fin): its plane is the y-z plane through the points.
void Fin(MeshBuilder& m, PanelEnd root, PanelEnd tip, double thickness, int side);

void Block(MeshBuilder& m, Vec min, Vec max, int material);
// A closed cylinder between two points with n sides.
void Cylinder(MeshBuilder& m, Vec a, Vec b, double radius, int sides, int material, int capMaterial);
// A wheel: its axle along x through the centre.
void Wheel(MeshBuilder& m, Vec centre, double radius, double width, int tyre, int hub);

// ---- pictures -----------------------------------------------------------------------------------

// An 8-bit picture in the world palette's indices.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    Picture(int w, int h, std::uint8_t fill = 0) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
    std::uint8_t& At(int x, int y) { return pixels[std::size_t(y) * width + x]; }
    void Fill(int x0, int y0, int x1, int y1, std::uint8_t colour);  // inclusive
    // Text in the maker's 5 x 7 capitals and digits, each cell 6 x 8 at `scale`.
    void Text(int x, int y, const std::string& text, std::uint8_t colour, int scale = 1);
    [[nodiscard]] static int TextWidth(const std::string& text, int scale = 1);
};
// A Windows BMP file of the picture with the daylight world palette.
[[nodiscard]] Bytes BmpFile(const Picture& picture);

// The world palette's entry nearest a colour (the world's entries 74..244 of the daylight
// palette; the panel's 10..73 change with the cockpit).
[[nodiscard]] std::uint8_t PaletteIndex(Rgb colour);

// ---- materials ----------------------------------------------------------------------------------

// A material list made by name: each colour or texture once.
class MaterialSet {
public:
    // A painted colour, lit flat (or unlit: lights, glowing lenses).
    int Colour(Rgb colour, std::uint32_t shading = ts::TSMaterial::kFlat);
    int Texture(const std::string& name, std::uint32_t shading = ts::TSMaterial::kFlat,
                std::uint32_t flags = 0, Rgb fallback = {128, 128, 128});
    // A lamp that is lit (obstacle, beacon and position lights), unlit, in the palette entry
    // nearest its colour among those every time of day keeps at full brightness, so that it
    // shines as brightly at night as by day.
    int Light(Rgb colour);
    [[nodiscard]] std::unique_ptr<ts::TSMaterialList> Build() const;
    [[nodiscard]] int Count() const { return static_cast<int>(entries.size()); }

private:
    int Add(std::uint32_t shading, std::uint8_t index);
    struct Entry {
        std::uint32_t type;
        std::uint32_t shading;
        std::uint32_t index;
        std::uint32_t flags;
        std::string texture;
    };
    std::vector<Entry> entries;
};

// A finished shape: the stored ".dts" and ".dml" and the textures it names.
struct ShapeFiles {
    std::string name;  // without extension
    Bytes dts;
    Bytes dml;
    std::map<std::string, Bytes> textures;
};
// Stores the shape (its bounds fitted; with aroundOrigin its sphere is centred on the origin,
// where the object stands) and list with the engine's writer, version 1.
[[nodiscard]] ShapeFiles StoreShape(const std::string& name, ts::TSShape& shape,
                                    const ts::TSMaterialList& materials, bool aroundOrigin = false);

}  // namespace mkdata
