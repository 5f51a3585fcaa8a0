// Tessellation end to end: scene descriptions built by the reference host, the
// real plug-in library turning the current object into a mesh object through
// the current-object button (1018), and the mesh read back through BuildMesh.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "e2e_support.h"
#include "host/dialog_robot.h"
#include "host/plugin_host.h"
#include "host/scene_description.h"
#include "platform/standin_control.h"
#include "plugin_host_fixture.h"
#include "resources/resource.h"

using namespace host;
using ::testing::HasSubstr;

namespace {

using Vec = std::array<double, 3>;

Vec sub(const Vec& a, const Vec& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double dot(const Vec& a, const Vec& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double length(const Vec& a) {
    return std::sqrt(dot(a, a));
}

// A drawn mesh object as corners: every three make a triangle.
struct Soup {
    std::vector<Vec> positions, normals, uvs;
    size_t triangles() const { return positions.size() / 3; }
    double area() const {
        double total = 0;
        for (size_t t = 0; t < triangles(); ++t)
            total += 0.5 * length(cross(sub(positions[3 * t + 1], positions[3 * t]),
                                        sub(positions[3 * t + 2], positions[3 * t])));
        return total;
    }
};

std::vector<Vec> triples(const std::vector<double>& flat) {
    std::vector<Vec> out;
    for (size_t i = 0; i + 2 < flat.size(); i += 3)
        out.push_back({flat[i], flat[i + 1], flat[i + 2]});
    return out;
}

// Signed distance-like test: 0 on the box surface, positive outside.
double boxSurfaceDistance(const Vec& p, const Vec& lo, const Vec& hi) {
    double outside = 0, inside = 1e300;
    for (int a = 0; a < 3; ++a) {
        outside = std::max({outside, lo[a] - p[a], p[a] - hi[a]});
        inside = std::min({inside, p[a] - lo[a], hi[a] - p[a]});
    }
    return outside > 0 ? outside : inside;
}

class TessellateE2E : public e2e::PluginHostTest {
  protected:
    // Builds the description, makes `current` current and presses the current-object button.
    HostHandle tessellate(const std::string& json, const std::string& current = "") {
        DescribedScene described;
        std::string error;
        EXPECT_TRUE(BuildSceneDescription(h, robot, json, current, described, error)) << error;
        robot.plan({IDC_CURRENT_OBJECT});
        HostHandle handle = 0;
        EXPECT_EQ(h.createPluginObject(&handle), 0);
        return handle;
    }
    Soup draw(HostHandle handle) {
        MeshData mesh;
        Soup soup;
        if (!h.draw(handle, true, mesh))
            return soup;
        // The counted draw of the report and the contract check counts what a kept draw
        // keeps, in both forms.
        for (bool emit : {true, false}) {
            DrawnCounts counted;
            MeshData kept;
            EXPECT_TRUE(h.drawCounted(handle, emit, counted));
            EXPECT_TRUE(h.draw(handle, emit, kept));
            EXPECT_EQ(counted.faces, int32_t(kept.faces.size() / 3));
            EXPECT_EQ(counted.normals, !kept.normals.empty());
            EXPECT_EQ(counted.uvs, !kept.uvs.empty());
        }
        soup.positions = triples(mesh.vertices);
        soup.normals = triples(mesh.normals);
        soup.uvs = triples(mesh.uvs);
        return soup;
    }
    bool lastDialogEnabledCurrentObject() {
        return !robot.sightings().empty() &&
               robot.sightings().back().enabled.at(IDC_CURRENT_OBJECT);
    }
};

TEST_F(TessellateE2E, ASphereBecomesTrianglesOnItsSurfaceWithNormalsAndUVs) {
    HostHandle mesh = tessellate(R"({"objects": [{"name": "Ball", "kind": "sphere",
        "transform": {"scale": [2, 2, 2], "translate": [1, 2, 3]}}]})");
    ASSERT_TRUE(lastDialogEnabledCurrentObject());
    Soup soup = draw(mesh);
    ASSERT_GT(soup.triangles(), 50u);
    ASSERT_EQ(soup.normals.size(), soup.positions.size());
    ASSERT_EQ(soup.uvs.size(), soup.positions.size());
    const Vec centre{1, 2, 3};
    for (size_t i = 0; i < soup.positions.size(); ++i) {
        Vec radial = sub(soup.positions[i], centre);
        ASSERT_NEAR(length(radial), 2.0, 1e-4) << i;
        ASSERT_NEAR(length(soup.normals[i]), 1.0, 1e-4);
        ASSERT_GT(dot(soup.normals[i], radial) / 2.0, 0.999) << "normals point outward";
        ASSERT_GE(soup.uvs[i][0], -1e-6);
        ASSERT_LE(soup.uvs[i][0], 1 + 1e-6);
        ASSERT_GE(soup.uvs[i][1], -1e-6);
        ASSERT_LE(soup.uvs[i][1], 1 + 1e-6);
    }
    // Inscribed triangles: a little less than the sphere's area, but close.
    const double sphereArea = 4 * M_PI * 4;
    EXPECT_LT(soup.area(), sphereArea);
    EXPECT_GT(soup.area(), 0.97 * sphereArea);
}

TEST_F(TessellateE2E, ATransformedBoxIsScaledBeforeItIsTurnedAndMoved) {
    // Scaled (1, 2, 0.5) first, then a quarter turn about z, then moved by 5 along x:
    // x from 3 to 7, y from -1 to 1, z from -0.5 to 0.5.
    HostHandle mesh = tessellate(R"({"objects": [{"name": "Crate", "kind": "box",
        "transform": {"scale": [1, 2, 0.5], "rotate": [0, 0, 90], "translate": [5, 0, 0]}}]})");
    Soup soup = draw(mesh);
    ASSERT_GE(soup.triangles(), 12u);
    const Vec lo{3, -1, -0.5}, hi{7, 1, 0.5};
    for (size_t i = 0; i < soup.positions.size(); ++i) {
        const Vec& p = soup.positions[i];
        ASSERT_NEAR(boxSurfaceDistance(p, lo, hi), 0.0, 1e-5) << p[0] << " " << p[1] << " " << p[2];
        // The normal is the outward axis of the face the triangle lies on.
        const Vec& n = soup.normals[i];
        Vec outward = {0, 0, 0};
        for (int a = 0; a < 3; ++a) {
            if (std::abs(n[a]) > 0.5)
                outward[a] = n[a] > 0 ? 1 : -1;
        }
        ASSERT_NEAR(length(n), 1.0, 1e-5);
        ASSERT_NEAR(dot(n, outward), 1.0, 1e-5);
        for (int a = 0; a < 3; ++a) {
            if (outward[a] != 0) {
                ASSERT_NEAR(p[a], outward[a] > 0 ? hi[a] : lo[a], 1e-5);
            }
        }
    }
    EXPECT_NEAR(soup.area(), 2 * (4 * 2 + 4 * 1 + 2 * 1), 1e-3);
}

TEST_F(TessellateE2E, ACsgUnionKeepsOnlySurfacesOfItsParts) {
    HostHandle mesh = tessellate(R"({"objects": [{"name": "Blend", "kind": "group",
        "operation": "union", "transform": {"scale": [1.5, 1.5, 1.5], "translate": [0, 0, 2]},
        "children": [{"name": "Block", "kind": "box"},
                     {"name": "Ball", "kind": "sphere",
                      "transform": {"scale": [1.2, 1.2, 1.2], "translate": [1, 0, 0]}}]}]})");
    Soup soup = draw(mesh);
    ASSERT_GT(soup.triangles(), 12u);
    // In the group's own frame: the box -1..1 and the sphere of radius 1.2 about (1, 0, 0).
    auto local = [](const Vec& p) { return Vec{p[0] / 1.5, p[1] / 1.5, (p[2] - 2) / 1.5}; };
    size_t onBox = 0, onSphere = 0;
    for (size_t t = 0; t < soup.triangles(); ++t) {
        bool allBox = true, allSphere = true;
        for (int j = 0; j < 3; ++j) {
            Vec p = local(soup.positions[3 * t + j]);
            allBox = allBox && std::abs(boxSurfaceDistance(p, {-1, -1, -1}, {1, 1, 1})) < 1e-4;
            allSphere = allSphere && std::abs(length(sub(p, {1, 0, 0})) - 1.2) < 1e-4;
        }
        ASSERT_TRUE(allBox || allSphere) << "triangle " << t << " lies on neither part";
        onBox += allBox;
        onSphere += allSphere;
    }
    EXPECT_GT(onBox, 0u);
    EXPECT_GT(onSphere, 0u);
    for (const Vec& n : soup.normals)
        ASSERT_NEAR(length(n), 1.0, 1e-4);
}

TEST_F(TessellateE2E, NothingConvertibleGivesAnEmptyMeshAndLeavesNothingPending) {
    // Tessellable by kind, but not marked for conversion: the engine gets nothing.
    HostHandle empty = tessellate(R"({"objects": [{"name": "Hidden", "kind": "group",
        "children": [{"name": "Can", "kind": "cylinder", "convertible": false}]}]})");
    ASSERT_TRUE(lastDialogEnabledCurrentObject());
    MeshData none;
    h.draw(empty, false, none);
    EXPECT_TRUE(none.vertices.empty() && none.faces.empty());

    // The next object still gets exactly its own geometry.
    robot.plan({1014});
    HostHandle cube = 0;
    ASSERT_EQ(h.createPluginObject(&cube), 0);
    MeshData indexed;
    ASSERT_TRUE(h.draw(cube, false, indexed));
    EXPECT_EQ(indexed.vertices.size(), 8u * 3);
    EXPECT_EQ(indexed.faces.size(), 12u * 3);
    EXPECT_TRUE(indexed.normals.empty());
}

TEST_F(TessellateE2E, ButtonIsDisabledForLightsAndLoopsAndTheBadMeshBoxIsShown) {
    DescribedScene described;
    std::string error;
    ASSERT_TRUE(BuildSceneDescription(h, robot, R"({"objects": [
        {"name": "Lamp", "kind": "light"},
        {"name": "Loop", "kind": "reference", "of": "Loop"},
        {"name": "Hollow", "kind": "triangle_mesh", "mesh_name": "hollow.msh",
         "vertices": [[0,0,0],[1,0,0],[0,1,0],[0,0,1],[1,1,0],[1,0,1],[0,1,1],[1,1,1]]}]})",
                                      "", described, error))
        << error;
    for (const char* name : {"Lamp", "Loop"}) {
        h.scene().current = described.objects.at(name);
        robot.plan({IDC_CURRENT_OBJECT});
        HostHandle none = 0;
        EXPECT_NE(h.createPluginObject(&none), 0) << name;
        EXPECT_FALSE(lastDialogEnabledCurrentObject()) << name;
    }
    h.scene().current = described.objects.at("Hollow");
    robot.plan({IDC_CURRENT_OBJECT});
    HostHandle mesh = 0;
    ASSERT_EQ(h.createPluginObject(&mesh), 0);
    EXPECT_THAT(MessageBoxes(),
                ::testing::ElementsAre("Error: Bad mesh [hollow.msh], vertices: 8, faces: 0\n"));
}

TEST_F(TessellateE2E, EveryShapeKindOfADescriptionReachesTheEngine) {
    DescribedScene described;
    std::string error;
    ASSERT_TRUE(BuildSceneDescription(h, robot, R"({"objects": [
        {"name": "Box", "kind": "box"},
        {"name": "Can", "kind": "cylinder"},
        {"name": "Cone", "kind": "cone", "base_radius": 1, "cap_radius": 0.5},
        {"name": "Ring", "kind": "torus", "major_radius": 2, "minor_radius": 0.5},
        {"name": "Disc", "kind": "disc", "hole": 0.25},
        {"name": "Floor", "kind": "plane"},
        {"name": "Blobby", "kind": "superquadric", "e": 0.5, "n": 0.5},
        {"name": "Rail", "kind": "sweep", "points": [[0,0],[1,0],[1,1],[0,1]], "uv_steps": 2},
        {"name": "Vase", "kind": "lathe", "curve": "spline",
         "points": [[0.5,0],[1,0.5],[0.6,1],[0.8,1.5]], "uv_steps": 4},
        {"name": "Letter", "kind": "glyph", "points": [[0,0],[1,0],[0.5,1]], "depth": 0.2},
        {"name": "Patch", "kind": "patch_mesh", "levels": [2, 2],
         "points": [[0,0,0],[1,0,0],[2,0,0],[3,0,0],[0,1,0],[1,1,1],[2,1,1],[3,1,0],
                    [0,2,0],[1,2,1],[2,2,1],[3,2,0],[0,3,0],[1,3,0],[2,3,0],[3,3,0]],
         "patches": [[0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15]]},
        {"name": "Wedge", "kind": "triangle_mesh", "smooth_angle": 30,
         "vertices": [[0,0,0],[1,0,0],[0,1,0],[0,0,1]], "faces": [[0,2,1],[0,1,3],[0,3,2],[1,2,3]]},
        {"name": "Drops", "kind": "blob", "threshold": 0.5, "components": [
          {"sphere": [0,0,0], "radius": 1, "strength": 1},
          {"cylinder": [[0,0,0],[2,0,0]], "radius": 0.5, "strength": 1},
          {"type": 9}]},
        {"name": "Solid", "kind": "tessoid", "solid": "octahedron", "smooth_angle": 20},
        {"name": "Copy", "kind": "reference", "of": "Ring",
         "transform": {"translate": [0, 0, 5]}},
        {"name": "Set", "kind": "container", "children": [
          {"name": "Inner", "kind": "sphere"}, {"name": "Cam", "kind": 5}]},
        {"name": "Cut", "kind": "group", "operation": "difference", "children": [
          {"name": "Outer", "kind": "box"},
          {"name": "Hole", "kind": "cylinder", "transform": {"scale": [0.5, 0.5, 4],
                                                             "translate": [0, 0, -2]}}]}]})",
                                      "", described, error))
        << error;
    for (const auto& [name, handle] : described.objects) {
        if (name == "Inner" || name == "Cam" || name == "Outer" || name == "Hole")
            continue;
        h.scene().current = handle;
        robot.plan({IDC_CURRENT_OBJECT});
        HostHandle mesh = 0;
        ASSERT_EQ(h.createPluginObject(&mesh), 0) << name;
        Soup soup = draw(mesh);
        EXPECT_GT(soup.triangles(), 0u) << name;
        EXPECT_EQ(soup.normals.size(), soup.positions.size()) << name;
    }
    EXPECT_THAT(MessageBoxes(), ::testing::IsEmpty());
}

TEST_F(TessellateE2E, DescriptionFaultsAreReportedWithTheObject) {
    const std::pair<const char*, const char*> faults[] = {
        {R"({"objects": [{"name": "A", "kind": "box", "radius": 2}]})", "\"radius\""},
        {R"({"objects": [{"name": "A", "kind": "box"}, {"name": "A", "kind": "box"}]})",
         "used twice"},
        {R"({"objects": [{"name": "R", "kind": "reference", "of": "Nobody"}]})", "Nobody"},
        {R"({"objects": [{"name": "A", "kind": "cube"}]})", "unknown kind"},
        {R"({"objects": [{"name": "A", "kind": "box"}], "current": "B"})", "\"B\""},
        {R"({"objects": [{"name": "A", "kind": "box", "transform": {"scale": [1, 2]}}]})",
         "A.transform.scale"},
        {R"({"objects": [)", "parse"},
    };
    for (const auto& [json, expected] : faults) {
        PluginHost fresh;
        ASSERT_TRUE(fresh.load(e2e::pluginPath()));
        DescribedScene described;
        std::string error;
        EXPECT_FALSE(BuildSceneDescription(fresh, robot, json, "", described, error)) << json;
        EXPECT_THAT(error, HasSubstr(expected)) << json;
    }
}

TEST(TessellateCli, TurnsTheExampleIntoAMeshObjectAndWritesItsSceneText) {
    const std::string example = e2e::sourceDir() + "/examples/tessellate.json";
    e2e::RunResult run = e2e::runHost("tessellate '" + example + "'");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_THAT(run.out, HasSubstr("Blend  (group)"));
    EXPECT_THAT(run.out, HasSubstr("Tessoid1  (mesh object)"));
    EXPECT_THAT(run.out, HasSubstr("normals yes  uvs yes"));
    EXPECT_THAT(run.out, HasSubstr("mesh {"));
    EXPECT_THAT(run.out, HasSubstr("triangle"));

    e2e::RunResult lamp = e2e::runHost("tessellate '" + example + "' --object Lamp");
    EXPECT_EQ(lamp.exitCode, 1);
    EXPECT_THAT(lamp.out, HasSubstr("cannot be tessellated"));

    e2e::RunResult missing = e2e::runHost("tessellate '" + example + "' --object Nobody");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(missing.out, HasSubstr("no object named \"Nobody\""));
}

} // namespace
