// Shows the plug-in's property page the way the modeller's panel does: the
// template from GetPropertyPage, the window procedure from record 3.
#include <ostream>

#include "host/report.h"
#include "platform/standin_control.h"

namespace host {

using namespace tessoid;

bool ShowPropertyPage(PluginHost& host, HostHandle handle, bool setAngle, double angle,
                      std::ostream& out) {
    ObjectTypeInterface& type = host.objectType();
    SceneObject* object = host.scene().find(handle);
    if (!object || !object->pluginObject || !type.getPropertyPage || !type.pageWindowProc ||
        !type.releasePropertyPage) {
        host.fail("property page: the type offers no page for this object");
        return false;
    }
    host.scene().current = handle;
    if (setAngle) {
        // The host edits property 1003 itself, through the value descriptor.
        ValueDescriptor descriptor{};
        if (!type.getValueInfo ||
            !type.getValueInfo(object->pluginObject, SMOOTH_ANGLE_PROPERTY, &descriptor)) {
            host.fail("property page: no value descriptor for property 1003");
            return false;
        }
        if (angle < descriptor.minimum || angle > descriptor.maximum) {
            out << "angle " << angle << " outside " << descriptor.minimum << " to "
                << descriptor.maximum << "\n";
            return false;
        }
        type.valueChanged(object->pluginObject, SMOOTH_ANGLE_PROPERTY, angle);
    }
    void* page = type.getPropertyPage();
    if (!page) {
        host.fail("property page: GetPropertyPage gave no template");
        return false;
    }
    HWND panel = standin::CreateHostWindow("Properties");
    HWND window = standin::CreateWindowFromTemplate(
        nullptr, page, 0, panel, reinterpret_cast<WNDPROC>(type.pageWindowProc), 0);
    if (!window) {
        type.releasePropertyPage(page);
        host.fail("property page: the template does not make a window");
        return false;
    }
    standin::Send(window, WM_PAINT, 0, 0);
    static const int ids[] = {1000, 1001, 1002, 1003, 5001};
    out << "property page of " << object->name << "\n";
    for (int id : ids) {
        HWND control = standin::FindControl(window, id);
        out << "  " << id << ": \"" << standin::WindowText(control) << "\"";
        if (id == 5001)
            out << (standin::CheckState(control) == BST_CHECKED ? " (ticked)" : " (not ticked)");
        out << "\n";
    }
    ValueDescriptor descriptor{};
    if (type.getValueInfo &&
        type.getValueInfo(object->pluginObject, SMOOTH_ANGLE_PROPERTY, &descriptor))
        out << "  angle " << descriptor.value << "\n";
    DestroyWindow(window);
    DestroyWindow(panel);
    type.releasePropertyPage(page);
    return true;
}

} // namespace host
