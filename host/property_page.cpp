// Shows the plug-in's property page the way the modeller's panel does: the
// template from GetPropertyPage, the window procedure from record 3.
#include <ostream>

#include "host/property_page_common.h"
#include "host/report.h"
#include "platform/standin_control.h"

namespace host {

using namespace tessoid;

bool ShowPropertyPage(PluginHost& host, HostHandle handle, bool setAngle, double angle,
                      std::ostream& out) {
    void* page = nullptr;
    SceneObject* object = BeginPropertyPage(host, handle, setAngle, angle, out, &page);
    if (!object)
        return false;
    ObjectTypeInterface& type = host.objectType();
    HWND panel = standin::CreateHostWindow("Properties");
    HWND window = standin::CreateWindowFromTemplate(
        nullptr, page, 0, panel, reinterpret_cast<WNDPROC>(type.pageWindowProc), 0);
    if (!window) {
        type.releasePropertyPage(page);
        host.fail("property page: the template does not make a window");
        return false;
    }
    standin::Send(window, WM_PAINT, 0, 0);
    PrintPropertyPage(
        host, *object,
        [&](int id) { return standin::WindowText(standin::FindControl(window, id)); },
        [&](int id) {
            return standin::CheckState(standin::FindControl(window, id)) == BST_CHECKED;
        },
        out);
    DestroyWindow(window);
    DestroyWindow(panel);
    type.releasePropertyPage(page);
    return true;
}

} // namespace host
