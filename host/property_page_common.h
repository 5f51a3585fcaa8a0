// What showing the property page means on every platform: the checks, the edit of
// property 1003 through its descriptor, and the printout of the page's controls.
// The platform files only make, paint and read the window.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "host/plugin_host.h"

namespace host {

// The object whose page is shown (made current), with the angle set when asked, and in
// *page the template the type gave (the caller releases it); null after a reported
// failure, with nothing to release.
SceneObject* BeginPropertyPage(PluginHost& host, HostHandle handle, bool setAngle, double angle,
                               std::ostream& out, void** page);

// Prints the page's controls, read through `text` and `ticked` (by control id), and
// the angle from the descriptor.
void PrintPropertyPage(PluginHost& host, const SceneObject& object,
                       const std::function<std::string(int)>& text,
                       const std::function<bool(int)>& ticked, std::ostream& out);

} // namespace host
