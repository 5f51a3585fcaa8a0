// The ray-tracing engine library (Glintor2) as the plug-in calls it.
//
// Every function is cdecl with C linkage and is imported by name. Reals are
// doubles, ints are 32-bit, handles are opaque 32-bit values (0 = none or
// failure). A point or direction argument is three consecutive doubles x, y, z.
// Every function but NewScene takes the scene first.
#pragma once

#include <cstdint>

#if defined(_WIN32)
static_assert(sizeof(void*) == 4, "the modeller's engine is a 32-bit library");
#define ENGINE_CALL __cdecl
#elif defined(__i386__)
#define ENGINE_CALL __attribute__((cdecl))
#else
#define ENGINE_CALL
#endif

// The engine stand-in defines ENGINE_EXPORT to export these names; the
// plug-in sees plain declarations (imports by name through the .def on Windows).
#ifndef ENGINE_EXPORT
#define ENGINE_EXPORT
#endif

// A scene, view, primitive, CSG operand, light or texture.
typedef uint32_t EngineHandle;

// Called once per polygon by TesselatePrim. `data` holds 4 * n * 3 doubles:
// four consecutive arrays of n x,y,z triples (positions, a second attribute,
// normals, texture coordinates u,v,w). The polygon is a fan around corner 0.
// A non-zero result stops the tessellation.
typedef int(ENGINE_CALL* EnginePolygonCallback)(int n, const double* data, int tag, void* context);

static_assert(sizeof(EngineHandle) == 4);
static_assert(sizeof(void*) != 4 || sizeof(EnginePolygonCallback) == 4);

extern "C" {

// Scene and tessellation.
ENGINE_EXPORT EngineHandle ENGINE_CALL NewScene();
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateView(EngineHandle scene);
ENGINE_EXPORT int ENGINE_CALL FreeScene(EngineHandle scene);
ENGINE_EXPORT int ENGINE_CALL TesselatePrim(EngineHandle scene, EngineHandle view,
                                            EngineHandle prim, int flags,
                                            EnginePolygonCallback callback, void* context);
ENGINE_EXPORT EngineHandle ENGINE_CALL GetNameValue(EngineHandle scene, const char* name);

// Constructors: a primitive, or 0 on failure.
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateBox(EngineHandle scene, double x1, double y1,
                                                 double z1, double x2, double y2, double z2);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateSphere(EngineHandle scene, double cx, double cy,
                                                    double cz, double radius);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateCylinder(EngineHandle scene, double bx, double by,
                                                      double bz, double cx, double cy, double cz,
                                                      double radius);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateCone(EngineHandle scene, double bx, double by,
                                                  double bz, double baseRadius, double cx,
                                                  double cy, double cz, double capRadius);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateTorus(EngineHandle scene, double cx, double cy,
                                                   double cz, double ax, double ay, double az,
                                                   double majorRadius, double minorRadius);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateDisc(EngineHandle scene, double cx, double cy,
                                                  double cz, double nx, double ny, double nz,
                                                  double holeRadius, double radius);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateSuperQ(EngineHandle scene, double e, double n);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateLathe(EngineHandle scene, int curveType,
                                                   int pointCount, const double* points);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateSweep(EngineHandle scene, int curveType,
                                                   int pointCount, const double* points);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateSplineMesh(EngineHandle scene, int flags,
                                                        int pointCount, const double* points,
                                                        int patchCount, const int* patches);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateTriBagF(EngineHandle scene, int vertexCount,
                                                     const float* vertices, const float* normals,
                                                     int faceCount, const int* faces, int copy);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateTriBag2F(EngineHandle scene, int vertexCount,
                                                      const float* vertices, const float* normals,
                                                      const float* uvs, int faceCount,
                                                      const int* faces, int copy);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateBlob(EngineHandle scene);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateLight(EngineHandle scene);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateSpotLight(EngineHandle scene);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateAreaLight(EngineHandle scene);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateClone(EngineHandle scene, EngineHandle prim);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateCSGPrim(EngineHandle scene, EngineHandle prim);
// operation: 1 union, 2 intersection, 3 difference (left minus right), 4 merge.
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateCSG(EngineHandle scene, int operation,
                                                 EngineHandle left, EngineHandle right);

// Modifiers: 0 on success, -1 on a bad handle or argument.
ENGINE_EXPORT int ENGINE_CALL SetPrimUV(EngineHandle scene, EngineHandle prim, int uSteps,
                                        int vSteps);
ENGINE_EXPORT int ENGINE_CALL SetConeEndcaps(EngineHandle scene, EngineHandle prim, int closed);
ENGINE_EXPORT int ENGINE_CALL SetTorusSolver(EngineHandle scene, EngineHandle prim, int solver);
ENGINE_EXPORT int ENGINE_CALL SetBlobSolver(EngineHandle scene, EngineHandle prim, int solver);
ENGINE_EXPORT int ENGINE_CALL SetGlyphConeFlag(EngineHandle scene, EngineHandle prim, int cone);
ENGINE_EXPORT int ENGINE_CALL SetGlyphExtrusion(EngineHandle scene, EngineHandle prim, double depth,
                                                double endScale);
ENGINE_EXPORT int ENGINE_CALL SetBlobThreshold(EngineHandle scene, EngineHandle prim,
                                               double threshold);
ENGINE_EXPORT int ENGINE_CALL SmoothTriBag(EngineHandle scene, EngineHandle prim, double angle);
ENGINE_EXPORT int ENGINE_CALL AddBlobSphereComponent(EngineHandle scene, EngineHandle prim,
                                                     double cx, double cy, double cz, double radius,
                                                     double strength);
ENGINE_EXPORT int ENGINE_CALL AddBlobCylinderComponent(EngineHandle scene, EngineHandle prim,
                                                       double x1, double y1, double z1, double x2,
                                                       double y2, double z2, double radius,
                                                       double strength);
ENGINE_EXPORT int ENGINE_CALL UpdatePrim(EngineHandle scene, EngineHandle prim);
ENGINE_EXPORT int ENGINE_CALL TranslatePrim(EngineHandle scene, EngineHandle prim, double x,
                                            double y, double z);
ENGINE_EXPORT int ENGINE_CALL ScalePrim(EngineHandle scene, EngineHandle prim, double x, double y,
                                        double z);
// Degrees, about x, then y, then z.
ENGINE_EXPORT int ENGINE_CALL RotatePrim(EngineHandle scene, EngineHandle prim, double x, double y,
                                         double z);
ENGINE_EXPORT int ENGINE_CALL SetLightLocation(EngineHandle scene, EngineHandle light, double x,
                                               double y, double z);
ENGINE_EXPORT int ENGINE_CALL SetLightColor(EngineHandle scene, EngineHandle light, double red,
                                            double green, double blue);
ENGINE_EXPORT int ENGINE_CALL SetLightShadowing(EngineHandle scene, EngineHandle light, int on);
ENGINE_EXPORT int ENGINE_CALL SetLightVolumetric(EngineHandle scene, EngineHandle light, int on);
ENGINE_EXPORT int ENGINE_CALL SetLightAttenuated(EngineHandle scene, EngineHandle light, int on);
ENGINE_EXPORT int ENGINE_CALL SetLightCoeffs(EngineHandle scene, EngineHandle light, double c0,
                                             double c1, double c2);
ENGINE_EXPORT int ENGINE_CALL SetSpotLightCoeffs(EngineHandle scene, EngineHandle light, double ax,
                                                 double ay, double az, double c0, double c1,
                                                 double c2);
ENGINE_EXPORT int ENGINE_CALL SetAreaLight(EngineHandle scene, EngineHandle light, int uSamples,
                                           int vSamples, int flags, double jitter);
ENGINE_EXPORT EngineHandle ENGINE_CALL GetPrimTexture(EngineHandle scene, EngineHandle prim);
ENGINE_EXPORT EngineHandle ENGINE_CALL CreateTextureReference(EngineHandle scene,
                                                              EngineHandle texture);
ENGINE_EXPORT int ENGINE_CALL SetPrimTexture(EngineHandle scene, EngineHandle prim,
                                             EngineHandle texture);

} // extern "C"
