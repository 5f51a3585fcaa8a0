// The toolkit front: an owning handle whose calls report their outcome and still
// write the error list.
#include <gtest/gtest.h>

#include "chunk_writer.h"
#include "tds/extract/scene_file.h"

namespace tds::test {
namespace {

int openFiles() {
    int n = 0;
    for (ChunkFile* f : fileTable().slots)
        n += f != nullptr;
    return n;
}

std::vector<uint8_t> sceneWithOneLightAndOneMesh() {
    ChunkWriter w;
    w.begin(CK_MESH_FILE).begin(CK_EDITOR);
    w.begin(CK_NAMED_OBJECT).str("Lamp").begin(CK_LIGHT).point(1, 2, 3).end().end();
    w.begin(CK_NAMED_OBJECT).str("Tri").begin(CK_TRIANGLE_MESH);
    w.vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    w.beginFaces({0, 1, 2, 0}).end();
    w.end().end();
    w.end().end();
    return w.take();
}

TEST(SceneFileTest, OpenLoadsCountsAndFetchesThenClosesWithTheHandle) {
    TempFile temp(sceneWithOneLightAndOneMesh());
    const int before = openFiles();
    {
        ToolkitResult<SceneFile> opened = SceneFile::open(temp.c_str());
        ASSERT_TRUE(opened.status.ok()) << opened.status.message();
        const SceneFile& scene = opened.value;
        EXPECT_TRUE(scene.isOpen());
        EXPECT_EQ(openFiles(), before + 1);
        EXPECT_EQ(scene.count(RecordSet::OmniLights).value, 1u);
        EXPECT_EQ(scene.count(RecordSet::Spotlights).value, 0u);
        EXPECT_EQ(scene.count(RecordSet::Meshes).value, 1u);
        auto light = scene.omniLight(0);
        ASSERT_TRUE(light.status.ok());
        ASSERT_NE(light.value, nullptr);
        EXPECT_STREQ(light.value->name, "Lamp");
        EXPECT_EQ(light.value->position.z, 3.0f);
        auto mesh = scene.mesh(0);
        ASSERT_NE(mesh.value, nullptr);
        EXPECT_EQ(mesh.value->vertexCount, 3);
        EXPECT_EQ(mesh.value->faceCount, 1);
        // Moving the handle moves the ownership: one close, by the new owner.
        SceneFile moved = std::move(opened.value);
        EXPECT_FALSE(opened.value.isOpen());
        EXPECT_TRUE(moved.isOpen());
    }
    EXPECT_EQ(openFiles(), before);
}

TEST(SceneFileTest, FailuresComeBackAsStatusAndStayInTheErrorList) {
    const int before = openFiles();
    ToolkitResult<SceneFile> missing = SceneFile::open("/nonexistent-dir/none.3ds");
    EXPECT_FALSE(missing.status.ok());
    EXPECT_FALSE(missing.value.isOpen());
    ASSERT_TRUE(errorPending());
    EXPECT_EQ(missing.status.code, errorList().entries[0].code);
    EXPECT_STREQ(missing.status.message(), errorMessage(errorList().entries[0].code));

    TempFile notAScene(std::vector<uint8_t>{0x4D, 0x4D, 6}); // cut inside its header
    ToolkitResult<SceneFile> wrong = SceneFile::open(notAScene.c_str());
    EXPECT_FALSE(wrong.status.ok());
    EXPECT_FALSE(wrong.value.isOpen());
    EXPECT_EQ(wrong.status.code, errorList().entries[0].code);
    EXPECT_EQ(openFiles(), before); // the file of a failed load is closed at once
}

TEST(SceneFileTest, EachCallStartsWithAnEmptyErrorList) {
    TempFile temp(sceneWithOneLightAndOneMesh());
    ToolkitResult<SceneFile> opened = SceneFile::open(temp.c_str());
    ASSERT_TRUE(opened.status.ok());
    pushError(ERR_INVALID_DATA); // left over from an earlier failure
    const ToolkitResult<uint32_t> lights = opened.value.count(RecordSet::OmniLights);
    EXPECT_TRUE(lights.status.ok());
    EXPECT_FALSE(errorPending());
    EXPECT_EQ(lights.value, 1u);
}

} // namespace
} // namespace tds::test
