// A minimal host for timing the 3DS import through the plug-in boundary: it loads the
// plug-in with the reference host's handshake, then answers the import's services with
// slots that only count what they are given. The reference host's checks and scene
// bookkeeping cost far more than a modeller's, and would be measured instead of the import.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

struct ImportCounts {
    int32_t meshes = 0; // polygon-mesh objects
    int32_t groups = 0;
    int32_t materials = 0;    // library items of the material type
    int32_t libraryItems = 0; // every library item, materials included
    int32_t otherObjects = 0; // lights, cameras and anything else
    int32_t removed = 0;
    int32_t accepted = 0; // handle of the import's result, 0 when none
    int64_t vertices = 0;
    int64_t textureVertices = 0;
    int64_t edges = 0;
    int64_t faces = 0;
    double importSeconds = 0; // the import command alone, from its call until it returns
};

// Runs the plug-in's import command on `file` once (timed without loading the plug-in,
// which a modeller does once per session); false when the plug-in could not be
// loaded. One per process: the slots count into process-wide counters.
bool CountedImport(const std::string& pluginPath, const std::string& file, ImportCounts* counts);

} // namespace bench
