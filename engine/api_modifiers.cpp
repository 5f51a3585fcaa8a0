// Exported modifiers of primitives: sampling, shape options, blob parts, transforms, textures.
#include "engine/api_state.h"

using namespace engine;
using namespace engine::detail;

namespace {

// Largest counts accepted from a caller; keeps every array size far from 32-bit overflow.
constexpr int kMaxBlobComponents = 1 << 16;
constexpr int kMaxSteps = 1024;

constexpr std::initializer_list<PrimKind> kShapes = {
    PrimKind::Box,   PrimKind::Sphere,     PrimKind::Cylinder, PrimKind::Cone,
    PrimKind::Torus, PrimKind::Disc,       PrimKind::SuperQ,   PrimKind::Lathe,
    PrimKind::Sweep, PrimKind::SplineMesh, PrimKind::TriBag,   PrimKind::Blob};

int transformPrim(const char* name, EngineHandle scene, EngineHandle prim, double x, double y,
                  double z, bool (*make)(Vec3, Affine&)) {
    return guarded(-1, [&] {
        Call call(name);
        call.h(scene).h(prim).d({x, y, z});
        Prim* p = primOf(scene, prim);
        Affine op;
        if (!p || !allFinite({x, y, z}) || !make({x, y, z}, op))
            return call.intResult(-1);
        p->xf = compose(op, p->xf);
        return call.intResult(0);
    });
}

} // namespace

// Definitions take C linkage from their declarations in the header.

int ENGINE_CALL SetPrimUV(EngineHandle scene, EngineHandle prim, int uSteps, int vSteps) {
    return guarded(-1, [&] {
        Call call("SetPrimUV");
        call.h(scene).h(prim).i(uSteps).i(vSteps);
        return modify<Prim>(call, scene, prim, kShapes, [&](Prim& p) {
            if (uSteps < 1 || vSteps < 1 || uSteps > kMaxSteps || vSteps > kMaxSteps)
                return false;
            p.uSteps = uSteps;
            p.vSteps = vSteps;
            return true;
        });
    });
}

int ENGINE_CALL SetConeEndcaps(EngineHandle scene, EngineHandle prim, int closed) {
    return guarded(-1, [&] {
        Call call("SetConeEndcaps");
        call.h(scene).h(prim).i(closed);
        return modify<ConePrim>(call, scene, prim, {PrimKind::Cylinder, PrimKind::Cone},
                                [&](ConePrim& p) {
                                    p.closed = closed != 0;
                                    return true;
                                });
    });
}

int ENGINE_CALL SetTorusSolver(EngineHandle scene, EngineHandle prim, int solver) {
    return guarded(-1, [&] {
        Call call("SetTorusSolver");
        call.h(scene).h(prim).i(solver);
        return modify<TorusPrim>(call, scene, prim, {PrimKind::Torus}, [&](TorusPrim& p) {
            if (solver != 1 && solver != 2)
                return false;
            p.solver = solver;
            return true;
        });
    });
}

int ENGINE_CALL SetBlobSolver(EngineHandle scene, EngineHandle prim, int solver) {
    return guarded(-1, [&] {
        Call call("SetBlobSolver");
        call.h(scene).h(prim).i(solver);
        return modify<BlobPrim>(call, scene, prim, {PrimKind::Blob}, [&](BlobPrim& p) {
            if (solver != 1 && solver != 2)
                return false;
            p.solver = solver;
            return true;
        });
    });
}

int ENGINE_CALL SetGlyphConeFlag(EngineHandle scene, EngineHandle prim, int cone) {
    return guarded(-1, [&] {
        Call call("SetGlyphConeFlag");
        call.h(scene).h(prim).i(cone);
        return modify<SweepPrim>(call, scene, prim, {PrimKind::Sweep}, [&](SweepPrim& p) {
            p.cone = cone != 0;
            return true;
        });
    });
}

int ENGINE_CALL SetGlyphExtrusion(EngineHandle scene, EngineHandle prim, double depth,
                                  double endScale) {
    return guarded(-1, [&] {
        Call call("SetGlyphExtrusion");
        call.h(scene).h(prim).d({depth, endScale});
        return modify<SweepPrim>(call, scene, prim, {PrimKind::Sweep}, [&](SweepPrim& p) {
            if (!allFinite({depth, endScale}) || depth == 0 || endScale < 0)
                return false;
            p.depth = depth;
            p.endScale = endScale;
            return true;
        });
    });
}

int ENGINE_CALL SetBlobThreshold(EngineHandle scene, EngineHandle prim, double threshold) {
    return guarded(-1, [&] {
        Call call("SetBlobThreshold");
        call.h(scene).h(prim).d(threshold);
        return modify<BlobPrim>(call, scene, prim, {PrimKind::Blob}, [&](BlobPrim& p) {
            if (!std::isfinite(threshold) || !(threshold > 0))
                return false;
            p.threshold = threshold;
            return true;
        });
    });
}

int ENGINE_CALL SmoothTriBag(EngineHandle scene, EngineHandle prim, double angle) {
    return guarded(-1, [&] {
        Call call("SmoothTriBag");
        call.h(scene).h(prim).d(angle);
        return modify<TriBagPrim>(call, scene, prim, {PrimKind::TriBag}, [&](TriBagPrim& p) {
            if (!std::isfinite(angle) || !(angle > 0))
                return false;
            p.smoothAngle = angle;
            return true;
        });
    });
}

int ENGINE_CALL AddBlobSphereComponent(EngineHandle scene, EngineHandle prim, double cx, double cy,
                                       double cz, double radius, double strength) {
    return guarded(-1, [&] {
        Call call("AddBlobSphereComponent");
        call.h(scene).h(prim).d({cx, cy, cz, radius, strength});
        return modify<BlobPrim>(call, scene, prim, {PrimKind::Blob}, [&](BlobPrim& p) {
            if (!allFinite({cx, cy, cz, radius, strength}) || !(radius > 0) ||
                p.components.size() >= std::size_t(kMaxBlobComponents))
                return false;
            p.components.push_back({false, {cx, cy, cz}, {cx, cy, cz}, radius, strength});
            return true;
        });
    });
}

int ENGINE_CALL AddBlobCylinderComponent(EngineHandle scene, EngineHandle prim, double x1,
                                         double y1, double z1, double x2, double y2, double z2,
                                         double radius, double strength) {
    return guarded(-1, [&] {
        Call call("AddBlobCylinderComponent");
        call.h(scene).h(prim).d({x1, y1, z1, x2, y2, z2, radius, strength});
        return modify<BlobPrim>(call, scene, prim, {PrimKind::Blob}, [&](BlobPrim& p) {
            if (!allFinite({x1, y1, z1, x2, y2, z2, radius, strength}) || !(radius > 0) ||
                p.components.size() >= std::size_t(kMaxBlobComponents))
                return false;
            p.components.push_back({true, {x1, y1, z1}, {x2, y2, z2}, radius, strength});
            return true;
        });
    });
}

int ENGINE_CALL UpdatePrim(EngineHandle scene, EngineHandle prim) {
    return guarded(-1, [&] {
        Call call("UpdatePrim");
        call.h(scene).h(prim);
        return call.intResult(primOf(scene, prim) ? 0 : -1);
    });
}

int ENGINE_CALL TranslatePrim(EngineHandle scene, EngineHandle prim, double x, double y, double z) {
    return transformPrim("TranslatePrim", scene, prim, x, y, z, [](Vec3 v, Affine& a) {
        a = translation(v);
        return true;
    });
}

int ENGINE_CALL ScalePrim(EngineHandle scene, EngineHandle prim, double x, double y, double z) {
    return transformPrim("ScalePrim", scene, prim, x, y, z, [](Vec3 v, Affine& a) {
        if (v.x == 0 || v.y == 0 || v.z == 0)
            return false; // must stay invertible for CSG
        a = scaling(v);
        return true;
    });
}

int ENGINE_CALL RotatePrim(EngineHandle scene, EngineHandle prim, double x, double y, double z) {
    return transformPrim("RotatePrim", scene, prim, x, y, z, [](Vec3 v, Affine& a) {
        a = rotation(v);
        return true;
    });
}

EngineHandle ENGINE_CALL GetPrimTexture(EngineHandle scene, EngineHandle prim) {
    return guarded<EngineHandle>(0, [&] {
        Call call("GetPrimTexture");
        call.h(scene).h(prim);
        Prim* p = primOf(scene, prim);
        return call.handleResult(p ? p->texture : 0);
    });
}

EngineHandle ENGINE_CALL CreateTextureReference(EngineHandle scene, EngineHandle texture) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateTextureReference");
        call.h(scene).h(texture);
        Scene* s = sceneOf(scene);
        if (!s || !entryOf(scene, texture, HandleKind::Texture))
            return call.handleResult(0);
        EngineHandle h = newHandle(HandleKind::Texture, scene);
        s->others.push_back(h);
        return call.handleResult(h);
    });
}

int ENGINE_CALL SetPrimTexture(EngineHandle scene, EngineHandle prim, EngineHandle texture) {
    return guarded(-1, [&] {
        Call call("SetPrimTexture");
        call.h(scene).h(prim).h(texture);
        Prim* p = primOf(scene, prim);
        if (!p || !entryOf(scene, texture, HandleKind::Texture))
            return call.intResult(-1);
        p->texture = texture;
        return call.intResult(0);
    });
}
