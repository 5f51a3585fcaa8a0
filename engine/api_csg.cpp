// Exported CSG constructors: operands and the operations that combine two primitives.
#include "engine/api_state.h"

using namespace engine;
using namespace engine::detail;

// Definitions take C linkage from their declarations in the header.

EngineHandle ENGINE_CALL CreateCSGPrim(EngineHandle scene, EngineHandle prim) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateCSGPrim");
        call.h(scene).h(prim);
        Prim* operand = primOf(scene, prim);
        if (!operand)
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<CsgPrim>(operand)));
    });
}

EngineHandle ENGINE_CALL CreateCSG(EngineHandle scene, int operation, EngineHandle left,
                                   EngineHandle right) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateCSG");
        call.h(scene).i(operation).h(left).h(right);
        Prim* l = primOf(scene, left);
        Prim* r = primOf(scene, right);
        if (!l || !r || operation < 1 || operation > 4)
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<CsgPrim>(operation, l, r)));
    });
}
