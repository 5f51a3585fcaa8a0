#include "host/property_page_common.h"

#include <ostream>

namespace host {

using namespace tessoid;

namespace {

SceneObject* preparePage(PluginHost& host, HostHandle handle, bool setAngle, double angle,
                         std::ostream& out) {
    ObjectTypeInterface& type = host.objectType();
    SceneObject* object = host.scene().find(handle);
    if (!object || !object->pluginObject || !type.getPropertyPage || !type.pageWindowProc ||
        !type.releasePropertyPage) {
        host.fail("property page: the type offers no page for this object");
        return nullptr;
    }
    host.scene().current = handle;
    if (!setAngle)
        return object;
    // The host edits property 1003 itself, through the value descriptor.
    ValueDescriptor descriptor{};
    if (!type.getValueInfo ||
        !type.getValueInfo(object->pluginObject, SMOOTH_ANGLE_PROPERTY, &descriptor)) {
        host.fail("property page: no value descriptor for property 1003");
        return nullptr;
    }
    if (angle < descriptor.minimum || angle > descriptor.maximum) {
        out << "angle " << angle << " outside " << descriptor.minimum << " to "
            << descriptor.maximum << "\n";
        return nullptr;
    }
    type.valueChanged(object->pluginObject, SMOOTH_ANGLE_PROPERTY, angle);
    return object;
}

} // namespace

SceneObject* BeginPropertyPage(PluginHost& host, HostHandle handle, bool setAngle, double angle,
                               std::ostream& out, void** page) {
    *page = nullptr;
    SceneObject* object = preparePage(host, handle, setAngle, angle, out);
    if (!object)
        return nullptr;
    *page = host.objectType().getPropertyPage();
    if (!*page) {
        host.fail("property page: GetPropertyPage gave no template");
        return nullptr;
    }
    return object;
}

void PrintPropertyPage(PluginHost& host, const SceneObject& object,
                       const std::function<std::string(int)>& text,
                       const std::function<bool(int)>& ticked, std::ostream& out) {
    static const int ids[] = {1000, 1001, 1002, 1003, 5001};
    out << "property page of " << object.name << "\n";
    for (int id : ids) {
        out << "  " << id << ": \"" << text(id) << "\"";
        if (id == 5001)
            out << (ticked(id) ? " (ticked)" : " (not ticked)");
        out << "\n";
    }
    ObjectTypeInterface& type = host.objectType();
    ValueDescriptor descriptor{};
    if (type.getValueInfo &&
        type.getValueInfo(object.pluginObject, SMOOTH_ANGLE_PROPERTY, &descriptor))
        out << "  angle " << descriptor.value << "\n";
}

} // namespace host
