// What the host checks once the plug-in returns from an operation: every contract
// a single call could not see broken, on top of the misuses each service records.
#pragma once

#include <string>
#include <vector>

namespace host {

class PluginHost;

// The broken contracts of the scene as the plug-in left it: a child list left open,
// a polygon mesh filled with fewer vertices, edges, texture vertices or faces than it
// allocated, a plug-in object whose BuildMesh (either form) breaks the builder's rules.
// Empty when all hold; misuses the services recorded are not repeated here.
std::vector<std::string> ContractBreaks(PluginHost& host);

} // namespace host
