// Primitives of the engine stand-in: each tessellates itself in its own
// coordinates and answers whether a point lies inside it (for CSG).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/geometry.h"

namespace engine {

enum class PrimKind {
    Box,
    Sphere,
    Cylinder,
    Cone,
    Torus,
    Disc,
    SuperQ,
    Lathe,
    Sweep,
    SplineMesh,
    TriBag,
    Blob,
    Light,
    SpotLight,
    AreaLight,
    Clone,
    CsgOperand,
    Csg
};

// Tessellation limits shared by the whole tree of one TesselatePrim call.
struct TessContext {
    int depth = 0;
    static constexpr int maxDepth = 512; // CSG and clone nesting
    static constexpr std::size_t maxPolygons = 4000000;
    std::size_t produced = 0;
    bool failed = false;
    // Refuses work that would pass the polygon limit before any memory is spent on it.
    bool allow(double estimate) {
        if (estimate + double(produced) > double(maxPolygons))
            failed = true;
        return !failed;
    }
};

// Polygon tags handed to the callback: which part of the shape a polygon is.
enum PolygonTag { TagSurface = 0, TagBottomCap = 1, TagTopCap = 2 };

struct Prim {
    explicit Prim(PrimKind k) : kind(k) {}
    virtual ~Prim() = default;

    PrimKind kind;
    uint32_t handle = 0;
    Affine xf;      // applied after the shape, in call order
    int uSteps = 0; // 0: the shape's default resolution
    int vSteps = 0;
    uint32_t texture = 0;

    bool isLight() const {
        return kind == PrimKind::Light || kind == PrimKind::SpotLight ||
               kind == PrimKind::AreaLight;
    }
    bool isCsg() const { return kind == PrimKind::CsgOperand || kind == PrimKind::Csg; }

    // Polygons in the parent's coordinates (own transformation applied).
    void tessellate(TessContext& ctx, PolygonList& out) const;
    // Whether a point given in the parent's coordinates is inside the solid.
    bool inside(Vec3 p) const;

  protected:
    virtual void tessellateLocal(TessContext& ctx, PolygonList& out) const = 0;
    virtual bool insideLocal(Vec3) const { return false; }
    int steps(int requested, int fallback) const { return requested > 0 ? requested : fallback; }
};

struct BoxPrim : Prim {
    BoxPrim(Vec3 a, Vec3 b);
    Vec3 lo, hi;
    void tessellateLocal(TessContext&, PolygonList&) const override;
    bool insideLocal(Vec3 p) const override;
};

struct SpherePrim : Prim {
    SpherePrim(Vec3 c, double r) : Prim(PrimKind::Sphere), centre(c), radius(r) {}
    Vec3 centre;
    double radius;
    void tessellateLocal(TessContext&, PolygonList&) const override;
    bool insideLocal(Vec3 p) const override;
};

// Cylinders are cones with equal radii.
struct ConePrim : Prim {
    ConePrim(PrimKind k, Vec3 base, double baseRadius, Vec3 cap, double capRadius);
    Vec3 base, axis, u, v; // axis: unit; u, v complete the frame
    double height, r0, r1;
    bool closed = false;
    void tessellateLocal(TessContext&, PolygonList&) const override;
    bool insideLocal(Vec3 p) const override;
};

struct TorusPrim : Prim {
    TorusPrim(Vec3 c, Vec3 axis, double major, double minor);
    Vec3 centre, w, u, v;
    double major, minor;
    int solver = 1;
    void tessellateLocal(TessContext&, PolygonList&) const override;
    bool insideLocal(Vec3 p) const override;
};

struct DiscPrim : Prim {
    DiscPrim(Vec3 c, Vec3 n, double hole, double r);
    Vec3 centre, w, u, v;
    double hole, radius;
    void tessellateLocal(TessContext&, PolygonList&) const override;
};

struct SuperQPrim : Prim {
    SuperQPrim(double e, double n) : Prim(PrimKind::SuperQ), e(e), n(n) {}
    double e, n; // east-west and north-south exponents
    void tessellateLocal(TessContext&, PolygonList&) const override;
    bool insideLocal(Vec3 p) const override;
};

// A profile of (x, y, w) points and the curve through them.
struct Profile {
    int curveType =
        1; // 1 polyline, 2 spline through the points, 3 Bezier (w = 0 marks a control point)
    std::vector<Vec3> points; // x, y, w
};

// The curve sampled into 2D points; `param` runs from 0 to 1 along it.
struct ProfileSample {
    double x, y, param;
    bool corner; // the normal changes here (polyline joints)
};
std::vector<ProfileSample> sampleProfile(const Profile& profile, int stepsPerSegment, bool closed);

// Surface of revolution about z: profile x is the radius, profile y the height.
struct LathePrim : Prim {
    explicit LathePrim(Profile p) : Prim(PrimKind::Lathe), profile(std::move(p)) {}
    Profile profile;
    void tessellateLocal(TessContext&, PolygonList&) const override;
    bool insideLocal(Vec3 p) const override;
};

// A closed profile in the xy-plane extruded along z from 0 to `depth`; with the
// cone flag the far end is the profile scaled by `endScale`.
struct SweepPrim : Prim {
    explicit SweepPrim(Profile p) : Prim(PrimKind::Sweep), profile(std::move(p)) {}
    Profile profile;
    bool cone = false;
    double depth = 1.0;
    double endScale = 1.0;
    void tessellateLocal(TessContext&, PolygonList&) const override;
    bool insideLocal(Vec3 p) const override;
};

// Bicubic Bezier patches over a shared point list.
struct SplineMeshPrim : Prim {
    SplineMeshPrim() : Prim(PrimKind::SplineMesh) {}
    std::vector<Vec3> points;
    std::vector<int> patches; // 16 indices per patch, row by row
    void tessellateLocal(TessContext&, PolygonList&) const override;
};

struct TriBagPrim : Prim {
    TriBagPrim() : Prim(PrimKind::TriBag) {}
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals; // per vertex, or empty
    std::vector<Vec3> uvs;     // per vertex, or empty
    std::vector<int> faces;    // 3 per face
    double smoothAngle = 0;    // degrees; 0 = flat faces unless normals were given
    void tessellateLocal(TessContext&, PolygonList&) const override;
    bool insideLocal(Vec3 p) const override;
};

struct BlobComponent {
    bool cylinder = false;
    Vec3 a, b;
    double radius = 1, strength = 1;
};

// Isosurface of a sum of smooth bumps: inside where the field exceeds the threshold.
struct BlobPrim : Prim {
    BlobPrim() : Prim(PrimKind::Blob) {}
    std::vector<BlobComponent> components;
    double threshold = 0.5;
    int solver = 1;
    double field(Vec3 p) const;
    Vec3 gradient(Vec3 p) const;
    void tessellateLocal(TessContext&, PolygonList&) const override;
    bool insideLocal(Vec3 p) const override;
};

struct LightPrim : Prim {
    explicit LightPrim(PrimKind k) : Prim(k) {}
    Vec3 location, colour{1, 1, 1}, aim{0, 0, -1};
    double coeffs[3] = {0, 0, 1};
    double spotCoeffs[3] = {0, 0, 0};
    int shadowing = 1, volumetric = 0, attenuated = 0;
    int areaSamples[3] = {0, 0, 0};
    double areaJitter = 0;
    void tessellateLocal(TessContext&, PolygonList&) const override {}
};

// An instance of another primitive of the same scene, with its own transformation on top.
struct ClonePrim : Prim {
    explicit ClonePrim(const Prim* s) : Prim(PrimKind::Clone), source(s) {}
    const Prim* source;
    void tessellateLocal(TessContext&, PolygonList&) const override;
    bool insideLocal(Vec3 p) const override;
};

struct CsgPrim : Prim {
    // An operand wraps one primitive; an operation joins two operands.
    CsgPrim(const Prim* operand) : Prim(PrimKind::CsgOperand), left(operand) {}
    CsgPrim(int op, const Prim* l, const Prim* r)
        : Prim(PrimKind::Csg), operation(op), left(l), right(r) {}
    int operation = 0; // 1 union, 2 intersection, 3 difference, 4 merge
    const Prim* left = nullptr;
    const Prim* right = nullptr;
    void tessellateLocal(TessContext&, PolygonList&) const override;
    bool insideLocal(Vec3 p) const override;
};

// Ear-clipping triangulation of a simple 2D polygon; index triples, counter-clockwise.
std::vector<int> triangulatePolygon2D(const std::vector<double>& xy);
// Even-odd test of a point against a closed 2D polygon.
bool insidePolygon2D(const std::vector<double>& xy, double px, double py);

} // namespace engine
