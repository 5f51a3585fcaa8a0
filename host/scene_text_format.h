// Small pieces the scene-text writers share: values the plug-in wrote into an object's
// extension records, numbers and vectors in the scene language, and a child by its type.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/scene.h"

namespace host {

// A value of an extension record, by record offset.
inline double extDouble(const std::vector<uint8_t>& ext, size_t offset) {
    double v;
    std::memcpy(&v, ext.data() + offset, sizeof(v));
    return v;
}
inline int32_t extInt(const std::vector<uint8_t>& ext, size_t offset) {
    int32_t v;
    std::memcpy(&v, ext.data() + offset, sizeof(v));
    return v;
}

inline std::string sceneNumber(double v) {
    char b[32];
    std::snprintf(b, sizeof(b), "%.6g", v);
    return b;
}

inline std::string sceneVector(double x, double y, double z) {
    return "<" + sceneNumber(x) + ", " + sceneNumber(y) + ", " + sceneNumber(z) + ">";
}

// The first child of `parent` whose library-item type is `type`, or null.
inline SceneObject* childOfType(Scene& scene, const SceneObject& parent, int32_t type) {
    for (HostHandle h : parent.children)
        if (SceneObject* c = scene.find(h); c && c->itemType == type)
            return c;
    return nullptr;
}

} // namespace host
