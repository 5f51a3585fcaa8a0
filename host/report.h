// Readable summaries of what the plug-in told and built.
#pragma once

#include <iosfwd>

#include "host/plugin_host.h"

namespace host {

void PrintPluginInfo(PluginHost& host, std::ostream& out);
void PrintScene(PluginHost& host, std::ostream& out);
// Shows the type's property page for the object, prints its controls and, when
// asked, sets property 1003 (the smoothing angle) through the value descriptor.
bool ShowPropertyPage(PluginHost& host, HostHandle handle, bool setAngle, double angle,
                      std::ostream& out);

} // namespace host
