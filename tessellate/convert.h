// Host objects rebuilt as primitives of an engine scene.
//
// Each shape is made in its canonical size at the origin and then given the
// object's transformation; groups become CSG trees of their children. Every
// primitive belongs to the scene and goes away with FreeScene.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/engine_api.h"
#include "plugin/abi.h"

namespace tessoid {

// The primitive for the host object, 0 when it yields none (not marked for
// conversion, a kind without a shape, bad host data, or a reference that
// leads back into itself).
EngineHandle convertObject(EngineHandle scene, HostHandle handle);

// Converts each child of the group in child order and appends the non-zero
// primitives to `list`.
void collectChildren(EngineHandle scene, HostHandle handle, std::vector<EngineHandle>& list);

// Operands operands[first .. first + count) joined by `operation` as a balanced
// tree: the first count / 2 operands on the left, the rest on the right. Each
// operand is wrapped by CreateCSGPrim exactly once. 0 for count < 1.
EngineHandle combineBalanced(EngineHandle scene, std::size_t first, std::size_t count,
                             const std::vector<EngineHandle>& operands, int operation);

} // namespace tessoid
