// Calls every slot the plug-in hands the host through a trampoline that measures
// the stack, so a slot built with the wrong calling convention is caught however
// the caller's frame would otherwise hide it.
#pragma once

#include <iosfwd>

#include "host/plugin_host.h"

namespace host {

// One line per slot; the number of slots that broke their calling convention.
int CheckSlotConventions(PluginHost& host, std::ostream& out);

} // namespace host
