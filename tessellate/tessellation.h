// Turning the host's current object into a mesh through the engine.
#pragma once

namespace tessoid {

// Fills PendingMesh with the current object's triangles (a triangle soup with
// normals and texture coordinates), or leaves it as it was when there is no
// current object or nothing to tessellate.
void tessellateCurrentObject();

} // namespace tessoid
