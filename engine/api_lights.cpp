// Exported light functions: point, spot and area lights and their settings.
#include "engine/api_state.h"

using namespace engine;
using namespace engine::detail;

namespace {

constexpr std::initializer_list<PrimKind> kLights = {PrimKind::Light, PrimKind::SpotLight,
                                                     PrimKind::AreaLight};

int lightFlag(const char* name, EngineHandle scene, EngineHandle light, int value,
              int LightPrim::*field) {
    return guarded(-1, [&] {
        Call call(name);
        call.h(scene).h(light).i(value);
        return modify<LightPrim>(call, scene, light, kLights, [&](LightPrim& l) {
            l.*field = value;
            return true;
        });
    });
}

} // namespace

// Definitions take C linkage from their declarations in the header.

EngineHandle ENGINE_CALL CreateLight(EngineHandle scene) {
    return simpleCreate<LightPrim>("CreateLight", scene, PrimKind::Light);
}
EngineHandle ENGINE_CALL CreateSpotLight(EngineHandle scene) {
    return simpleCreate<LightPrim>("CreateSpotLight", scene, PrimKind::SpotLight);
}
EngineHandle ENGINE_CALL CreateAreaLight(EngineHandle scene) {
    return simpleCreate<LightPrim>("CreateAreaLight", scene, PrimKind::AreaLight);
}

int ENGINE_CALL SetLightLocation(EngineHandle scene, EngineHandle light, double x, double y,
                                 double z) {
    return guarded(-1, [&] {
        Call call("SetLightLocation");
        call.h(scene).h(light).d({x, y, z});
        return modify<LightPrim>(call, scene, light, kLights, [&](LightPrim& l) {
            if (!allFinite({x, y, z}))
                return false;
            l.location = {x, y, z};
            return true;
        });
    });
}

int ENGINE_CALL SetLightColor(EngineHandle scene, EngineHandle light, double red, double green,
                              double blue) {
    return guarded(-1, [&] {
        Call call("SetLightColor");
        call.h(scene).h(light).d({red, green, blue});
        return modify<LightPrim>(call, scene, light, kLights, [&](LightPrim& l) {
            if (!allFinite({red, green, blue}))
                return false;
            l.colour = {red, green, blue};
            return true;
        });
    });
}

int ENGINE_CALL SetLightShadowing(EngineHandle scene, EngineHandle light, int on) {
    return lightFlag("SetLightShadowing", scene, light, on, &LightPrim::shadowing);
}
int ENGINE_CALL SetLightVolumetric(EngineHandle scene, EngineHandle light, int on) {
    return lightFlag("SetLightVolumetric", scene, light, on, &LightPrim::volumetric);
}
int ENGINE_CALL SetLightAttenuated(EngineHandle scene, EngineHandle light, int on) {
    return lightFlag("SetLightAttenuated", scene, light, on, &LightPrim::attenuated);
}

int ENGINE_CALL SetLightCoeffs(EngineHandle scene, EngineHandle light, double c0, double c1,
                               double c2) {
    return guarded(-1, [&] {
        Call call("SetLightCoeffs");
        call.h(scene).h(light).d({c0, c1, c2});
        return modify<LightPrim>(call, scene, light, kLights, [&](LightPrim& l) {
            if (!allFinite({c0, c1, c2}))
                return false;
            l.coeffs[0] = c0;
            l.coeffs[1] = c1;
            l.coeffs[2] = c2;
            return true;
        });
    });
}

int ENGINE_CALL SetSpotLightCoeffs(EngineHandle scene, EngineHandle light, double ax, double ay,
                                   double az, double c0, double c1, double c2) {
    return guarded(-1, [&] {
        Call call("SetSpotLightCoeffs");
        call.h(scene).h(light).d({ax, ay, az, c0, c1, c2});
        return modify<LightPrim>(call, scene, light, {PrimKind::SpotLight}, [&](LightPrim& l) {
            if (!allFinite({ax, ay, az, c0, c1, c2}))
                return false;
            l.aim = {ax, ay, az};
            l.spotCoeffs[0] = c0;
            l.spotCoeffs[1] = c1;
            l.spotCoeffs[2] = c2;
            return true;
        });
    });
}

int ENGINE_CALL SetAreaLight(EngineHandle scene, EngineHandle light, int uSamples, int vSamples,
                             int flags, double jitter) {
    return guarded(-1, [&] {
        Call call("SetAreaLight");
        call.h(scene).h(light).i(uSamples).i(vSamples).i(flags).d(jitter);
        return modify<LightPrim>(call, scene, light, {PrimKind::AreaLight}, [&](LightPrim& l) {
            if (!std::isfinite(jitter))
                return false;
            l.areaSamples[0] = uSamples;
            l.areaSamples[1] = vSamples;
            l.areaSamples[2] = flags;
            l.areaJitter = jitter;
            return true;
        });
    });
}
