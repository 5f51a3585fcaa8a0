#include "host/scene.h"

#include <algorithm>

namespace host {

SceneObject& Scene::add(int32_t kind, std::string name) {
    auto object = std::make_unique<SceneObject>();
    object->handle = nextHandle_++;
    object->kind = kind;
    object->name = std::move(name);
    SceneObject& ref = *object;
    objects_[ref.handle] = std::move(object);
    byHandle_[ref.handle] = &ref;
    return ref;
}

SceneObject* Scene::findUncached(HostHandle handle) {
    auto it = byHandle_.find(handle);
    if (it == byHandle_.end())
        return nullptr;
    return lastFound_ = it->second;
}

SceneObject* Scene::findMeshUncached(HostHandle handle) {
    SceneObject* object = find(handle);
    if (!object || object->kind != tessoid::KIND_POLYGON_MESH)
        return nullptr;
    return lastMesh_ = object;
}

SceneObject* Scene::findByName(const std::string& name) {
    for (auto& [handle, object] : objects_)
        if (object->name == name)
            return object.get();
    return nullptr;
}

std::unique_ptr<SceneObject> Scene::remove(HostHandle handle) {
    auto it = objects_.find(handle);
    if (it == objects_.end())
        return nullptr;
    std::unique_ptr<SceneObject> object = std::move(it->second);
    objects_.erase(it);
    byHandle_.erase(handle);
    if (lastFound_ == object.get())
        lastFound_ = nullptr;
    if (lastMesh_ == object.get())
        lastMesh_ = nullptr;
    if (SceneObject* parent = find(object->parent)) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
    }
    for (HostHandle child : object->children)
        if (SceneObject* c = find(child))
            c->parent = 0;
    if (current == handle)
        current = 0;
    return object;
}

std::vector<SceneObject*> Scene::objects() {
    std::vector<SceneObject*> all;
    for (auto& [handle, object] : objects_)
        all.push_back(object.get());
    return all;
}

std::vector<SceneObject*> Scene::topLevel() {
    std::vector<SceneObject*> top;
    for (auto& [handle, object] : objects_)
        if (!object->parent)
            top.push_back(object.get());
    return top;
}

} // namespace host
