// Exported constructors of shapes and clones: argument checks, then a primitive of the scene.
#include "engine/api_state.h"

using namespace engine;
using namespace engine::detail;

namespace {

// Largest counts accepted from a caller; keeps every array size far from 32-bit overflow.
constexpr int kMaxPoints = 1 << 22;
constexpr int kMaxPatches = 1 << 20;

bool readProfile(int curveType, int count, const double* points, int minPoints, Profile& out) {
    if (curveType < 1 || curveType > 3 || !points || count < minPoints || count > kMaxPoints)
        return false;
    out.curveType = curveType;
    out.points.resize(std::size_t(count));
    for (std::size_t i = 0; i < std::size_t(count); ++i) {
        Vec3 p{points[3 * i], points[3 * i + 1], points[3 * i + 2]};
        if (!finite(p))
            return false;
        out.points[i] = p;
    }
    return true;
}

EngineHandle triBag(Call& call, EngineHandle scene, int vertexCount, const float* vertices,
                    const float* normals, const float* uvs, int faceCount, const int* faces) {
    if (!sceneOf(scene) || !vertices || !faces || vertexCount < 1 || vertexCount > kMaxPoints ||
        faceCount < 1 || faceCount > kMaxPoints)
        return call.handleResult(0);
    auto bag = std::make_unique<TriBagPrim>();
    std::size_t nv = std::size_t(vertexCount), nf = std::size_t(faceCount);
    auto triples = [&](const float* src, std::vector<Vec3>& dst) {
        dst.resize(nv);
        for (std::size_t i = 0; i < nv; ++i) {
            dst[i] = {src[3 * i], src[3 * i + 1], src[3 * i + 2]};
            if (!finite(dst[i]))
                return false;
        }
        return true;
    };
    if (!triples(vertices, bag->vertices) || (normals && !triples(normals, bag->normals)) ||
        (uvs && !triples(uvs, bag->uvs)))
        return call.handleResult(0);
    bag->faces.assign(faces, faces + 3 * nf);
    for (int index : bag->faces)
        if (index < 0 || index >= vertexCount)
            return call.handleResult(0);
    return call.handleResult(addPrim(scene, std::move(bag)));
}

} // namespace

// Definitions take C linkage from their declarations in the header.

EngineHandle ENGINE_CALL CreateBox(EngineHandle scene, double x1, double y1, double z1, double x2,
                                   double y2, double z2) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateBox");
        call.h(scene).d({x1, y1, z1, x2, y2, z2});
        if (!allFinite({x1, y1, z1, x2, y2, z2}) || x1 == x2 || y1 == y2 || z1 == z2)
            return call.handleResult(0);
        return call.handleResult(
            addPrim(scene, std::make_unique<BoxPrim>(Vec3{x1, y1, z1}, Vec3{x2, y2, z2})));
    });
}

EngineHandle ENGINE_CALL CreateSphere(EngineHandle scene, double cx, double cy, double cz,
                                      double radius) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateSphere");
        call.h(scene).d({cx, cy, cz, radius});
        if (!allFinite({cx, cy, cz, radius}) || !(radius > 0))
            return call.handleResult(0);
        return call.handleResult(
            addPrim(scene, std::make_unique<SpherePrim>(Vec3{cx, cy, cz}, radius)));
    });
}

EngineHandle ENGINE_CALL CreateCylinder(EngineHandle scene, double bx, double by, double bz,
                                        double cx, double cy, double cz, double radius) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateCylinder");
        call.h(scene).d({bx, by, bz, cx, cy, cz, radius});
        Vec3 b{bx, by, bz}, c{cx, cy, cz};
        if (!allFinite({bx, by, bz, cx, cy, cz, radius}) || !(radius > 0) || !(length(c - b) > 0))
            return call.handleResult(0);
        return call.handleResult(
            addPrim(scene, std::make_unique<ConePrim>(PrimKind::Cylinder, b, radius, c, radius)));
    });
}

EngineHandle ENGINE_CALL CreateCone(EngineHandle scene, double bx, double by, double bz,
                                    double baseRadius, double cx, double cy, double cz,
                                    double capRadius) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateCone");
        call.h(scene).d({bx, by, bz, baseRadius, cx, cy, cz, capRadius});
        Vec3 b{bx, by, bz}, c{cx, cy, cz};
        if (!allFinite({bx, by, bz, baseRadius, cx, cy, cz, capRadius}) || baseRadius < 0 ||
            capRadius < 0 || !(baseRadius + capRadius > 0) || !(length(c - b) > 0))
            return call.handleResult(0);
        return call.handleResult(addPrim(
            scene, std::make_unique<ConePrim>(PrimKind::Cone, b, baseRadius, c, capRadius)));
    });
}

EngineHandle ENGINE_CALL CreateTorus(EngineHandle scene, double cx, double cy, double cz, double ax,
                                     double ay, double az, double majorRadius, double minorRadius) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateTorus");
        call.h(scene).d({cx, cy, cz, ax, ay, az, majorRadius, minorRadius});
        Vec3 axis{ax, ay, az};
        if (!allFinite({cx, cy, cz, ax, ay, az, majorRadius, minorRadius}) || majorRadius < 0 ||
            !(minorRadius > 0) || !(length(axis) > 0))
            return call.handleResult(0);
        return call.handleResult(addPrim(
            scene, std::make_unique<TorusPrim>(Vec3{cx, cy, cz}, axis, majorRadius, minorRadius)));
    });
}

EngineHandle ENGINE_CALL CreateDisc(EngineHandle scene, double cx, double cy, double cz, double nx,
                                    double ny, double nz, double holeRadius, double radius) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateDisc");
        call.h(scene).d({cx, cy, cz, nx, ny, nz, holeRadius, radius});
        Vec3 n{nx, ny, nz};
        if (!allFinite({cx, cy, cz, nx, ny, nz, holeRadius, radius}) || holeRadius < 0 ||
            !(radius > holeRadius) || !(length(n) > 0))
            return call.handleResult(0);
        return call.handleResult(
            addPrim(scene, std::make_unique<DiscPrim>(Vec3{cx, cy, cz}, n, holeRadius, radius)));
    });
}

EngineHandle ENGINE_CALL CreateSuperQ(EngineHandle scene, double e, double n) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateSuperQ");
        call.h(scene).d({e, n});
        // Exponents near 0 make a box, large ones a spiky star; keep to a range the sampling
        // survives.
        if (!allFinite({e, n}) || !(e >= 0.01 && e <= 10) || !(n >= 0.01 && n <= 10))
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<SuperQPrim>(e, n)));
    });
}

EngineHandle ENGINE_CALL CreateLathe(EngineHandle scene, int curveType, int pointCount,
                                     const double* points) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateLathe");
        call.h(scene).i(curveType).i(pointCount).array(points, pointCount, 3, kMaxPoints);
        Profile profile;
        if (!readProfile(curveType, pointCount, points, 2, profile))
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<LathePrim>(std::move(profile))));
    });
}

EngineHandle ENGINE_CALL CreateSweep(EngineHandle scene, int curveType, int pointCount,
                                     const double* points) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateSweep");
        call.h(scene).i(curveType).i(pointCount).array(points, pointCount, 3, kMaxPoints);
        Profile profile;
        if (!readProfile(curveType, pointCount, points, 3, profile))
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<SweepPrim>(std::move(profile))));
    });
}

EngineHandle ENGINE_CALL CreateSplineMesh(EngineHandle scene, int flags, int pointCount,
                                          const double* points, int patchCount,
                                          const int* patches) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateSplineMesh");
        call.h(scene).i(flags).i(pointCount).array(points, pointCount, 3, kMaxPoints).i(patchCount);
        call.array(patches, patchCount, 16, kMaxPatches);
        if (!sceneOf(scene) || !points || !patches || pointCount < 1 || pointCount > kMaxPoints ||
            patchCount < 1 || patchCount > kMaxPatches)
            return call.handleResult(0);
        auto mesh = std::make_unique<SplineMeshPrim>();
        mesh->points.resize(std::size_t(pointCount));
        for (std::size_t i = 0; i < mesh->points.size(); ++i) {
            mesh->points[i] = {points[3 * i], points[3 * i + 1], points[3 * i + 2]};
            if (!finite(mesh->points[i]))
                return call.handleResult(0);
        }
        mesh->patches.assign(patches, patches + 16 * std::size_t(patchCount));
        for (int index : mesh->patches)
            if (index < 0 || index >= pointCount)
                return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::move(mesh)));
    });
}

EngineHandle ENGINE_CALL CreateTriBagF(EngineHandle scene, int vertexCount, const float* vertices,
                                       const float* normals, int faceCount, const int* faces,
                                       int copy) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateTriBagF");
        call.h(scene)
            .i(vertexCount)
            .array(vertices, vertexCount, 3, kMaxPoints)
            .array(normals, vertexCount, 3, kMaxPoints);
        call.i(faceCount).array(faces, faceCount, 3, kMaxPoints).i(copy);
        return triBag(call, scene, vertexCount, vertices, normals, nullptr, faceCount, faces);
    });
}

EngineHandle ENGINE_CALL CreateTriBag2F(EngineHandle scene, int vertexCount, const float* vertices,
                                        const float* normals, const float* uvs, int faceCount,
                                        const int* faces, int copy) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateTriBag2F");
        call.h(scene)
            .i(vertexCount)
            .array(vertices, vertexCount, 3, kMaxPoints)
            .array(normals, vertexCount, 3, kMaxPoints);
        call.array(uvs, vertexCount, 3, kMaxPoints)
            .i(faceCount)
            .array(faces, faceCount, 3, kMaxPoints)
            .i(copy);
        return triBag(call, scene, vertexCount, vertices, normals, uvs, faceCount, faces);
    });
}

EngineHandle ENGINE_CALL CreateBlob(EngineHandle scene) {
    return simpleCreate<BlobPrim>("CreateBlob", scene);
}

EngineHandle ENGINE_CALL CreateClone(EngineHandle scene, EngineHandle prim) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateClone");
        call.h(scene).h(prim);
        Prim* source = primOf(scene, prim);
        if (!source)
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<ClonePrim>(source)));
    });
}
