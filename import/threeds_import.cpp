#include "import/threeds_import.h"

namespace tessoid {

// The driver over the chunk toolkit and the extraction records replaces this
// once both are in; until then a .3ds file imports nothing.
int32_t ImportThreeDS(const char*, HostInterface*) { return 0; }

} // namespace tessoid
