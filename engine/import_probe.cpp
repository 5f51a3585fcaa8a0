// Linked only in the Windows build: proves the import library resolves the
// engine's names so a DLL imports them from Glintor2.dll.
#include "engine/engine_api.h"

namespace {
int ENGINE_CALL ignorePolygon(int, const double*, int, void*) {
    return 0;
}
} // namespace

extern "C" int glintor2ImportProbe() {
    EngineHandle scene = NewScene();
    int polygons = TesselatePrim(scene, CreateView(scene), CreateSphere(scene, 0, 0, 0, 1), 0,
                                 ignorePolygon, nullptr);
    FreeScene(scene);
    return polygons;
}
