// Scene descriptions: a JSON file from which the reference host builds shape
// objects, groups, references, lights and meshes, so that the plug-in's
// tessellation can be run on them from the command line.
//
// The file is one JSON object:
//
//   {
//     "current": "Shape",          optional; the first top-level object otherwise
//     "objects": [ OBJECT, ... ]   top-level objects, in scene order
//   }
//
// OBJECT fields every kind accepts:
//
//   "name"         text, required, unique, at most 63 characters
//   "kind"         a kind name from the table below, or a kind code (0 to 31);
//                  a code without a name (5 camera, 9, 11, 14, 15, 16, 24 ...)
//                  builds an object with no fields
//   "convertible"  true (default) or false: state flag bit 3, which says the
//                  object may be turned into engine primitives
//   "texture"      the object's texture (material) name
//   "transform"    { "scale": [x, y, z], "rotate": [x, y, z], "translate": [x, y, z],
//                    "pre": { "scale": ..., "rotate": ..., "translate": ... } }
//                  every part optional; rotations in degrees; "pre" is applied first
//
// Kinds and their own fields (reals unless said otherwise):
//
//   "container"      1   "children": [OBJECT, ...]
//   "group"          12  "children": [OBJECT, ...], "operation": "union" | "intersection"
//                        | "difference" | "merge" or an operation code (int, default union)
//   "box"            2   the cube from -1 to 1
//   "sphere"         3   radius 1 about the origin
//   "cylinder"       4   radius 1, z from 0 to 1; "open": bool
//   "sweep"          6   a closed profile extruded along z:
//                        "points": [[x, y], [x, y, flags], ...] (flags int; bit 1 marks
//                        a control point of a Bezier profile),
//                        "curve": "linear" | "spline" | "cubic" | "bezier" or code 1-4,
//                        "uv_steps": int
//   "lathe"          7   an open profile turned about the axis; fields as "sweep"
//   "glyph"          8   fields as "sweep", plus "depth" and "end_scale"
//   "light"          10  "color": [r, g, b], "radius", "attenuation" (below 0.5 none,
//                        below 1.5 linear, else quadratic), "attenuated": int,
//                        "volumetric": bool, "shadows": bool (default true)
//   "patch_mesh"     13  "points": [[x, y, z], ...], "patches": [[16 point indices], ...],
//                        "levels": [u, v] (ints: 2^level + 1 steps each way)
//   "cone"           17  z from 0 to 1; "base_radius", "cap_radius", "open": bool
//   "torus"          18  about z; "major_radius", "minor_radius", "precise": bool
//   "spotlight"      19  the light fields, plus "spot": [three coefficients]
//   "area_light"     20  the light fields, plus "samples": [u, v] (ints),
//                        "area_flags": int, "jitter": bool
//   "plane"          21  the plane z = 0
//   "disc"           22  radius 1 in z = 0; "hole": inner radius
//   "triangle_mesh"  23  "vertices": [[x, y, z], ...], "faces": [[a, b, c], ...],
//                        "mesh_name": text (at most 127 characters), "smooth_angle"
//   "reference"      25  "of": the name of any object of the file; references may
//                        lead back to themselves
//   "blob"           26  "threshold", "precise": bool, "components": [
//                          {"sphere": [x, y, z], "radius": r, "strength": s},
//                          {"cylinder": [[x, y, z], [x, y, z]], "radius": r, "strength": s},
//                          {"type": int, "strength": s} ]  (an unknown component type)
//   "superquadric"   27  "e", "n"
//   "counted_mesh"   28  "vertices": [[x, y, z], ...]; yields no primitive
//   "tessoid"        29  a mesh object of the plug-in's own type, made through its
//                        predefined-mesh dialog: "solid": "tetrahedron" | "cube" |
//                        "octahedron" | "dodecahedron" | "icosahedron",
//                        "smooth_angle" (set through the type's value slot)
//
// Unknown fields are errors, so a misspelt field never goes unnoticed.
//
// Example: a box and a sphere in a union, the whole turned and moved.
//
//   { "current": "Blend",
//     "objects": [
//       { "name": "Blend", "kind": "group", "operation": "union",
//         "transform": { "rotate": [0, 0, 30], "translate": [0, 0, 2] },
//         "children": [
//           { "name": "Block", "kind": "box" },
//           { "name": "Ball", "kind": "sphere",
//             "transform": { "scale": [1.2, 1.2, 1.2], "translate": [1, 0, 0] } } ] } ] }
#pragma once

#include <iosfwd>
#include <map>
#include <string>

#include "host/dialog_robot.h"
#include "host/plugin_host.h"

namespace host {

struct DescribedScene {
    std::map<std::string, HostHandle> objects; // every described object by name
    HostHandle current = 0;                    // also made the scene's current object
};

// Builds the described objects into the host's scene and makes the chosen one
// current (`currentName` overrides the file's "current" when not empty). The
// robot answers the dialogs of "tessoid" objects. False with `error` on a bad
// description; objects built before the fault stay in the scene.
bool BuildSceneDescription(PluginHost& host, DialogRobot& robot, const std::string& json,
                           const std::string& currentName, DescribedScene& out, std::string& error);
bool LoadSceneDescription(PluginHost& host, DialogRobot& robot, const std::string& path,
                          const std::string& currentName, DescribedScene& out, std::string& error);

// The scene text of one plug-in object; false when the object is not one.
bool WriteObjectSceneText(PluginHost& host, HostHandle handle, std::ostream& out);

} // namespace host
