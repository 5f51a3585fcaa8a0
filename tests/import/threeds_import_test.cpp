// The 3DS import end to end: synthetic files through the "Mesh" command of the
// real plug-in, into the reference host's scene.
#include "threeds_fixture.h"

using namespace import_test;
using namespace tessoid;

TEST_F(ImportTest, OneMeshWithOneMaterialIsHandedOverDirectly) {
    FileSpec spec;
    spec.materials.push_back({.name = "Red Metal"});
    MeshSpec mesh = quad("Box 01");
    mesh.groups = {{"Red Metal", {0, 1}}};
    spec.meshes.push_back(mesh);
    EXPECT_EQ(import(spec), 0);

    auto meshes = ofKind(KIND_POLYGON_MESH);
    ASSERT_EQ(meshes.size(), 1u);
    EXPECT_EQ(meshes[0]->name, "Box_01");
    EXPECT_EQ(meshes[0]->textureName, "Red_Metal");
    EXPECT_EQ(meshes[0]->assignedMaterial, "Red_Metal");
    EXPECT_EQ(meshes[0]->mesh.vertices.size(), 4u * 3);
    EXPECT_EQ(meshes[0]->mesh.faces.size(), 2u * 3);
    EXPECT_TRUE(ofKind(KIND_GROUP).empty());
    EXPECT_EQ(h.importResult, meshes[0]->handle);
    EXPECT_EQ(h.hostStates, (std::vector<int32_t>{2, 5}));
    EXPECT_EQ(h.finishMaterialsCalls, 1);
}

TEST_F(ImportTest, FacesKeepReversedWindingAndEveryEdge) {
    FileSpec spec;
    MeshSpec mesh;
    mesh.name = "Tri";
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.faces = {0, 1, 2, 7};
    spec.meshes.push_back(mesh);
    import(spec);
    host::SceneObject* tri = named("Tri");
    ASSERT_NE(tri, nullptr);
    EXPECT_EQ(tri->mesh.faces, (std::vector<int32_t>{0, 2, 1}));
    EXPECT_EQ(tri->mesh.edges, (std::vector<int32_t>{0, 2, 2, 1, 1, 0}));
    EXPECT_TRUE(tri->textureName.empty());
}

TEST_F(ImportTest, ThreeGroupsCoveringTheMeshSplitIntoPartsUnderANamedGroup) {
    FileSpec spec;
    for (const char* m : {"A", "B", "C"})
        spec.materials.push_back({.name = m});
    MeshSpec mesh;
    mesh.name = "Car";
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}};
    mesh.faces = {0, 1, 2, 0, 0, 2, 3, 0, 0, 1, 4, 0, 1, 2, 4, 0};
    mesh.uv = {0, 0, 1, 0, 1, 1, 0, 1, 0.5f, 0.5f};
    mesh.groups = {{"A", {0}}, {"B", {1, 3}}, {"C", {2}}};
    spec.meshes.push_back(mesh);
    import(spec);

    host::SceneObject* group = named("Car");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->kind, KIND_GROUP);
    ASSERT_EQ(group->children.size(), 3u);
    EXPECT_EQ(h.importResult, group->handle);
    const char* names[] = {"Car_0", "Car_1", "Car_2"};
    const char* materials[] = {"A", "B", "C"};
    const size_t faces[] = {1, 2, 1};
    for (int k = 0; k < 3; ++k) {
        host::SceneObject* part = h.scene().find(group->children[k]);
        ASSERT_NE(part, nullptr);
        EXPECT_EQ(part->name, names[k]);
        EXPECT_EQ(part->textureName, materials[k]);
        EXPECT_EQ(part->mesh.faces.size(), 3 * faces[k]);
        EXPECT_EQ(part->mesh.vertices.size(), 9 * faces[k]) << "corners are not shared";
        EXPECT_EQ(part->mesh.uvs.size(), 9 * faces[k]);
    }
    // Car_1's second face is file face 3 (1, 2, 4): corners 3..5 hold its positions,
    // and the face runs (3, 5, 4).
    host::SceneObject* second = h.scene().find(group->children[1]);
    EXPECT_EQ(std::vector<double>(second->mesh.vertices.begin() + 9, second->mesh.vertices.end()),
              (std::vector<double>{1, 0, 0, 1, 1, 0, 0, 0, 1}));
    EXPECT_EQ(std::vector<int32_t>(second->mesh.faces.begin() + 3, second->mesh.faces.end()),
              (std::vector<int32_t>{3, 5, 4}));
    EXPECT_EQ(h.setting111, 1) << "setting 111 is restored";
}

TEST_F(ImportTest, GroupsThatDoNotCoverTheMeshBuildOneObjectWithTheFirstMaterial) {
    FileSpec spec;
    spec.materials = {{.name = "First"}, {.name = "Second"}};
    MeshSpec mesh = quad("Part");
    mesh.faces.insert(mesh.faces.end(), {0, 1, 3, 0});
    mesh.groups = {{"First", {0}}, {"Second", {1}}};
    spec.meshes.push_back(mesh);
    import(spec);
    auto meshes = ofKind(KIND_POLYGON_MESH);
    ASSERT_EQ(meshes.size(), 1u);
    EXPECT_EQ(meshes[0]->textureName, "First");
    EXPECT_EQ(meshes[0]->mesh.faces.size(), 9u);
}

TEST_F(ImportTest, TextureVerticesPassOnlyWhenThereIsOnePerVertex) {
    FileSpec spec;
    MeshSpec full = quad("Full");
    full.uv = {0, 0, 1, 0, 1, 1, 0, 1};
    MeshSpec partial = quad("Partial");
    partial.uv = {0, 0, 1, 0, 1, 1};
    spec.meshes = {full, partial};
    import(spec);
    ASSERT_NE(named("Full"), nullptr);
    ASSERT_NE(named("Partial"), nullptr);
    EXPECT_EQ(named("Full")->mesh.uvs, (std::vector<double>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}));
    EXPECT_TRUE(named("Partial")->mesh.uvs.empty());
}

TEST_F(ImportTest, TwoMeshesGoUnderOneTopGroupAndOnlyItIsHandedOver) {
    FileSpec spec;
    spec.meshes = {quad("One"), quad("Two")};
    import(spec);
    auto groups = ofKind(KIND_GROUP);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(h.importResult, groups[0]->handle);
    ASSERT_EQ(groups[0]->children.size(), 2u);
    EXPECT_EQ(h.scene().find(groups[0]->children[0])->name, "One");
    EXPECT_EQ(h.scene().find(groups[0]->children[1])->name, "Two");
}

TEST_F(ImportTest, NoUsableMeshShowsTheErrorBoxAndCreatesNothing) {
    FileSpec spec;
    MeshSpec line;
    line.name = "Line";
    line.vertices = {{0, 0, 0}, {1, 0, 0}};
    line.faces = {0, 1, 1, 0};
    spec.meshes.push_back(line);
    EXPECT_EQ(import(spec, "empty.3ds"), 0);
    EXPECT_TRUE(ofKind(KIND_POLYGON_MESH).empty());
    EXPECT_EQ(h.importResult, 0u);
    auto boxes = standin::MessageBoxLog();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, "No valid meshes found in '" + file->path() + "'");
    EXPECT_EQ(boxes[0].owner, nullptr);
}

TEST_F(ImportTest, NamesAreCleanedForTheHost) {
    FileSpec spec;
    spec.meshes = {quad("3D Box"), quad("  "), quad("  wheel")};
    spec.lights.push_back({.name = "1st Lamp", .position = {0, 0, 5}, .colour = {255, 255, 255}});
    import(spec);
    EXPECT_NE(named("x3D_Box"), nullptr);
    EXPECT_NE(named("temptex"), nullptr);
    EXPECT_NE(named("wheel"), nullptr);
    EXPECT_NE(named("x1st_Lamp"), nullptr);
}

TEST_F(ImportTest, AnUndefinedMaterialIsStillAssignedAndTheRefusalIsOnlyADebugLine) {
    FileSpec spec;
    MeshSpec mesh = quad("Ghostly");
    mesh.groups = {{"Ghost", {0, 1}}};
    spec.meshes.push_back(mesh);
    import(spec);
    auto meshes = ofKind(KIND_POLYGON_MESH);
    ASSERT_EQ(meshes.size(), 1u);
    host::SceneObject* ghostly = meshes[0];
    EXPECT_EQ(ghostly->assignedMaterial, "Ghost");
    EXPECT_TRUE(ghostly->textureName.empty()) << "the host refused a texture it does not know";
    EXPECT_TRUE(debugSaid("Failed to assign mesh texture, 'Ghost'\n"));
    EXPECT_EQ(ghostly->mesh.faces.size(), 6u) << "the build goes on";
}

TEST_F(ImportTest, SolidColourMaterialBuildsTheWholeItemTree) {
    FileSpec spec;
    MaterialSpec glass{.name = "2-tone", .diffuse = {255, 128, 0}, .ambient = {51, 0, 0}};
    glass.transparency = 40;
    glass.shininessStrength = 25;
    spec.materials.push_back(glass);
    spec.meshes.push_back(quad("M"));
    import(spec);

    host::SceneObject* material = named("x2_tone");
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->itemType, ITEM_MATERIAL);
    ASSERT_EQ(material->children.size(), 1u);
    host::SceneObject* texture = h.scene().find(material->children[0]);
    EXPECT_EQ(texture->itemType, ITEM_STANDARD_TEXTURE);
    ASSERT_EQ(texture->children.size(), 2u);
    host::SceneObject* pigment = h.scene().find(texture->children[0]);
    host::SceneObject* finish = h.scene().find(texture->children[1]);
    EXPECT_EQ(pigment->itemType, ITEM_PIGMENT);
    EXPECT_EQ(finish->itemType, ITEM_FINISH);
    ASSERT_EQ(pigment->children.size(), 1u);
    host::SceneObject* colour = h.scene().find(pigment->children[0]);
    EXPECT_EQ(colour->itemType, ITEM_SOLID_COLOUR);
    EXPECT_DOUBLE_EQ(ext2Double(*colour, 20), 1.0);
    EXPECT_NEAR(ext2Double(*colour, 28), 128 / 255.0, 1e-6);
    EXPECT_DOUBLE_EQ(ext2Double(*colour, 36), 0.0);
    EXPECT_DOUBLE_EQ(ext2Double(*colour, 44), 0.0) << "not additive: component 5";
    EXPECT_NEAR(ext2Double(*colour, 52), 0.4, 1e-6);
    EXPECT_DOUBLE_EQ(ext2Double(*finish, 20), 1.0);
    EXPECT_DOUBLE_EQ(ext2Double(*finish, 28), 1.0);
    EXPECT_NEAR(ext2Double(*finish, 44), 0.25, 1e-6);
    EXPECT_DOUBLE_EQ(ext2Double(*finish, 52), 40.0);
    EXPECT_DOUBLE_EQ(ext2Double(*finish, 68), 1.0);
    ASSERT_EQ(finish->children.size(), 1u);
    host::SceneObject* ambient = h.scene().find(finish->children[0]);
    EXPECT_EQ(ambient->itemType, ITEM_AMBIENT_COLOUR);
    EXPECT_NEAR(ext2Double(*ambient, 20), 0.2, 1e-6);
}

TEST_F(ImportTest, AdditiveTransparencyAndBlackAmbient) {
    FileSpec spec;
    MaterialSpec glow{.name = "Glow"};
    glow.transparency = 50;
    glow.additive = true;
    spec.materials.push_back(glow);
    spec.meshes.push_back(quad("M"));
    import(spec);
    host::SceneObject* texture = h.scene().find(named("Glow")->children[0]);
    host::SceneObject* pigment = h.scene().find(texture->children[0]);
    host::SceneObject* colour = h.scene().find(pigment->children[0]);
    EXPECT_NEAR(ext2Double(*colour, 44), 0.5, 1e-6);
    EXPECT_DOUBLE_EQ(ext2Double(*colour, 52), 0.0);
    host::SceneObject* finish = h.scene().find(texture->children[1]);
    EXPECT_TRUE(finish->children.empty()) << "black ambient makes no item";
}

TEST_F(ImportTest, ImageMapPigmentsCarryTheFileTypeAndTiling) {
    struct Case {
        const char* file;
        int16_t tiling;
        int32_t type;
        int32_t once;
    } cases[] = {{"WOOD.JPG", -1, 6, 0},
                 {"sky.Tga", 0x11, 1, 1},
                 {"plain", 0x01, 6, 0},
                 {"leaf.png", 0x10, 5, 0}}; // words: 0x11 decal, 0x01 tiled, 0x10 plain
    FileSpec spec;
    int i = 0;
    for (const Case& c : cases) {
        MaterialSpec m{.name = "Map" + std::to_string(i++)};
        m.mapFile = c.file;
        m.tilingWord = c.tiling;
        spec.materials.push_back(m);
    }
    MaterialSpec off{.name = "Off"};
    off.mapFile = "unused.gif";
    off.mapPercent = 0;
    spec.materials.push_back(off);
    spec.meshes.push_back(quad("M"));
    import(spec);
    for (int k = 0; k < 4; ++k) {
        host::SceneObject* texture = h.scene().find(named("Map" + std::to_string(k))->children[0]);
        host::SceneObject* pigment = h.scene().find(texture->children[0]);
        host::SceneObject* image = h.scene().find(pigment->children[0]);
        ASSERT_EQ(image->itemType, ITEM_IMAGE_MAP) << k;
        EXPECT_STREQ(reinterpret_cast<const char*>(image->extension2.data()) + 24, cases[k].file);
        EXPECT_EQ(ext2Int(*image, 276), cases[k].type) << cases[k].file;
        EXPECT_EQ(ext2Int(*image, 280), 8);
        EXPECT_EQ(ext2Int(*image, 284), cases[k].once) << cases[k].file;
        EXPECT_EQ(ext2Int(*image, 288), 1);
        EXPECT_EQ(ext2Int(*image, 292), 2);
    }
    host::SceneObject* texture = h.scene().find(named("Off")->children[0]);
    host::SceneObject* pigment = h.scene().find(texture->children[0]);
    EXPECT_EQ(h.scene().find(pigment->children[0])->itemType, ITEM_SOLID_COLOUR);
}

TEST_F(ImportTest, LightsCarryColourTimesMultiplierAndSpotlightsOnlyTheirPosition) {
    FileSpec spec;
    spec.lights.push_back(
        {.name = "Omni", .position = {1, 2, 3}, .colour = {255, 128, 0}, .multiplier = 2});
    spec.lights.push_back({.name = "Spot",
                           .position = {4, 5, 6},
                           .colour = {0, 0, 255},
                           .multiplier = 0,
                           .spot = true});
    spec.meshes.push_back(quad("M"));
    import(spec);
    host::SceneObject* omni = named("Omni");
    ASSERT_NE(omni, nullptr);
    EXPECT_EQ(omni->kind, KIND_LIGHT);
    EXPECT_DOUBLE_EQ(ext1Double(*omni, 8), 2.0);
    EXPECT_NEAR(ext1Double(*omni, 16), 2 * 128 / 255.0, 1e-6);
    EXPECT_DOUBLE_EQ(ext1Double(*omni, 24), 0.0);
    EXPECT_TRUE(omni->hasPosition);
    EXPECT_EQ(std::vector<double>(omni->position, omni->position + 3),
              (std::vector<double>{1, 2, 3}));
    host::SceneObject* spot = named("Spot");
    ASSERT_NE(spot, nullptr);
    EXPECT_EQ(spot->kind, KIND_LIGHT);
    EXPECT_DOUBLE_EQ(ext1Double(*spot, 24), 1.0);
    EXPECT_EQ(spot->position[2], 6.0);
    EXPECT_FALSE(spot->hasTarget);
}

TEST_F(ImportTest, CamerasCarryLensValuesPositionAndTarget) {
    FileSpec spec;
    spec.cameras.push_back({.name = "Cam",
                            .position = {0, -10, 2},
                            .target = {0, 0, 1},
                            .focal = 48,
                            .seeCone = false});
    spec.cameras.push_back({.name = "Coned",
                            .position = {1, 1, 1},
                            .target = {0, 0, 0},
                            .focal = 24,
                            .seeCone = true});
    spec.meshes.push_back(quad("M"));
    import(spec);
    host::SceneObject* cam = named("Cam");
    ASSERT_NE(cam, nullptr);
    EXPECT_EQ(cam->kind, KIND_CAMERA);
    EXPECT_DOUBLE_EQ(ext1Double(*cam, 8), 2400.0 / 48);
    EXPECT_DOUBLE_EQ(ext1Double(*cam, 24), 1.0);
    EXPECT_DOUBLE_EQ(ext1Double(*cam, 32), 2.0);
    EXPECT_EQ(ext1Int(*cam, 40), 1);
    EXPECT_DOUBLE_EQ(ext1Double(*cam, 100), 0.1);
    EXPECT_EQ(ext1Int(*named("Coned"), 40), 0);
    EXPECT_TRUE(cam->hasPosition && cam->hasTarget);
    EXPECT_EQ(cam->position[1], -10.0);
    EXPECT_EQ(cam->target[2], 1.0);
}

TEST_F(ImportTest, OneBadMaterialDoesNotSinkTheRestOfTheImport) {
    FileSpec spec;
    spec.materials = {{.name = "Good1"}, {.name = "Bad"}, {.name = "Good2"}};
    spec.meshes.push_back(quad("Still"));
    spec.cameras.push_back({.name = "Cam", .position = {0, 0, 5}, .target = {0, 0, 0}});
    std::vector<uint8_t> bytes = build(spec);
    // An unknown chunk inside the second material: its fetch records an error.
    ChunkWriter w;
    w.begin(0x4D4D).begin(0x3D3D);
    writeMaterial(w, spec.materials[0]);
    w.begin(0xAFFF).stringChunk(0xA000, "Bad").rawChunk(0x1234, {1, 2, 3, 4}).end();
    writeMaterial(w, spec.materials[2]);
    writeMesh(w, spec.meshes[0]);
    w.begin(0x4000)
        .str("Cam")
        .begin(0x4700)
        .point(0, 0, 5)
        .point(0, 0, 0)
        .f32(0)
        .f32(50)
        .end()
        .end();
    w.end().end();
    file = std::make_unique<tds::test::TempFile>(w.take(), "-bad.3ds");
    h.chosenFile = file->path();
    h.runImportCommand();
    EXPECT_NE(named("Good1"), nullptr);
    EXPECT_NE(named("Good2"), nullptr) << "the material after the bad one keeps its name";
    EXPECT_NE(named("Cam"), nullptr);
    EXPECT_NE(named("Still"), nullptr);
    EXPECT_TRUE(standin::MessageBoxLog().empty());
}

TEST_F(ImportTest, EmptyGroupsMakeNoObjectsAndPartsKeepTheirGroupIndex) {
    FileSpec spec;
    MeshSpec mesh = quad("Multi");
    mesh.groups = {{"A", {}}, {"B", {0}}, {"C", {}}, {"D", {1}}};
    spec.materials = {{.name = "A"}, {.name = "B"}, {.name = "C"}, {.name = "D"}};
    spec.meshes.push_back(mesh);
    import(spec);
    EXPECT_EQ(ofKind(KIND_POLYGON_MESH).size(), 2u);
    EXPECT_NE(named("Multi_1"), nullptr);
    EXPECT_NE(named("Multi_3"), nullptr);
    EXPECT_EQ(named("Multi_0"), nullptr);
}

TEST_F(ImportTest, FacesOutsideTheMeshAreDroppedNotReadThrough) {
    FileSpec spec;
    MeshSpec whole = quad("Whole");
    whole.faces.insert(whole.faces.end(), {0, 1, 900, 0});
    MeshSpec split = quad("Split");
    split.faces.insert(split.faces.end(), {0, 1, 3, 0});
    split.groups = {{"A", {0, 77}}, {"B", {1}}}; // counts cover the three faces
    spec.materials = {{.name = "A"}, {.name = "B"}};
    spec.meshes = {whole, split};
    import(spec);
    ASSERT_NE(named("Whole"), nullptr);
    ASSERT_NE(named("Split_0"), nullptr);
    ASSERT_NE(named("Split_1"), nullptr);
    EXPECT_EQ(named("Whole")->mesh.faces.size(), 6u);
    EXPECT_EQ(named("Split_0")->mesh.faces.size(), 3u);
    EXPECT_EQ(named("Split_1")->mesh.faces.size(), 3u);
    EXPECT_TRUE(debugSaid("Mesh 'Whole': 1 faces with vertex indices outside the mesh dropped\n"));
}

TEST_F(ImportTest, CapitalExtensionTakesThe3dsPathAndAMissingFileImportsNothing) {
    FileSpec spec;
    spec.meshes.push_back(quad("Caps"));
    EXPECT_EQ(import(spec, "SHOUT.3DS"), 0);
    EXPECT_NE(named("Caps"), nullptr);
    size_t before = h.scene().size();
    h.chosenFile = e2e::tempPath("does-not-exist.3ds");
    EXPECT_EQ(h.runImportCommand(), 0);
    EXPECT_EQ(h.scene().size(), before);
    EXPECT_TRUE(standin::MessageBoxLog().empty());
}
