// Keyframer naming pass: gives every keyframer node header a CK_PARENT_NAME
// child with its parent's name, so the tree carries the hierarchy by name.
#pragma once

namespace tds {

struct ChunkDatabase;

// Run by readDatabase() once the tree is complete.
void nameKeyframerNodes(ChunkDatabase* db);

} // namespace tds
