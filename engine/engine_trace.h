// Control API of the engine stand-in, for tests and the reference host; the
// plug-in never uses it.
//
// Trace: every engine call appends one line
//     Name(arg, arg, ...) -> result
// Handles print as labels given in order of first appearance since the last
// ClearTrace: scenes S1, S2 ..., views V1 ..., primitives (shapes, lights,
// clones, CSG operands) P1 ..., textures T1 ...; 0 prints as 0 and a value that
// names nothing live as #<decimal>. Ints print in decimal. Reals print in the
// shortest form that reads back to the same double ("1", "-30", "0.005"),
// negative zero as 0; floats likewise as floats. Text prints in double quotes
// with \" and \\ escaped. Arrays print as [a b c; d e f] (one group per point,
// face or patch), "null" for a null pointer and "ptr" when the count given
// with it is unusable. The callback and context of TesselatePrim print as
// fn/null and ctx/null.
#pragma once

#include <string>
#include <vector>

#include "engine/engine_api.h"

#if defined(_WIN32)
#define ENGINE_CONTROL
#else
#define ENGINE_CONTROL __attribute__((visibility("default")))
#endif

namespace engine {

ENGINE_CONTROL std::vector<std::string> TraceLines();
ENGINE_CONTROL std::string TraceText(); // the lines, each ending in '\n'
ENGINE_CONTROL void ClearTrace();       // also restarts the handle labels

// Registers `prim` under `name` in the scene, as GetNameValue looks it up.
// False when the scene or primitive is unknown. Not traced.
ENGINE_CONTROL bool DefineName(EngineHandle scene, const std::string& name, EngineHandle prim);
// A new texture of the scene (0 for an unknown scene). Not traced.
ENGINE_CONTROL EngineHandle CreateTexture(EngineHandle scene);
// Scenes made by NewScene and not yet freed.
ENGINE_CONTROL int LiveSceneCount();

} // namespace engine
