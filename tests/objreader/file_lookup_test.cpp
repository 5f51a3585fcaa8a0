#include "objreader/file_lookup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/real_files.h"

using namespace tessoid::obj;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tessoid_lookup_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        for (const char* file : {"textures/wood.jpg", "Maps/Stone.PNG", "my texture.png", "a.jpg",
                                 "sub/inner/deep.png", "CASE.png", "case.PNG", "one.mtl", "two.mtl",
                                 "cube with white spaces.mtl"})
            create(file);
        fs::create_directories(dir_ + "/fake.png");
    }
    void TearDown() override {
        if (!dir_.empty())
            fs::remove_all(dir_);
    }
    void create(const std::string& relative) {
        const fs::path path = fs::path(dir_) / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
    }
    std::string find(std::string_view name) const { return findFile(dir_, name); }

    std::string dir_;
};

} // namespace

TEST_F(ScratchFolder, WindowsSeparatorsLetterCaseAndDotsAreResolved) {
    const std::string wood = dir_ + "/textures/wood.jpg";
    EXPECT_EQ(find("textures/wood.jpg"), wood);
    EXPECT_EQ(find("textures\\wood.jpg"), wood);
    EXPECT_EQ(find("textures\\\\wood.jpg"), wood); // doubled, as an escaping writer leaves it
    EXPECT_EQ(find(".\\textures\\.\\wood.jpg"), wood);
    EXPECT_EQ(find("Textures/WOOD.JPG"), wood);
    EXPECT_EQ(find("maps\\stone.png"), dir_ + "/Maps/Stone.PNG");
    EXPECT_EQ(find("sub/inner/../inner/DEEP.png"), dir_ + "/sub/inner/../inner/deep.png");
    EXPECT_EQ(find("my texture.png"), dir_ + "/my texture.png");
    EXPECT_EQ(find("\"my texture.png\""), dir_ + "/my texture.png");
    EXPECT_EQ(find("case.png"), dir_ + "/CASE.png"); // first by byte order of two
    EXPECT_EQ(find("case.PNG"), dir_ + "/case.PNG"); // the exact one first
    EXPECT_EQ(findFile("", dir_ + "/A.JPG"), dir_ + "/a.jpg");
}

TEST_F(ScratchFolder, OnlyExistingRegularFilesAndPathsFromOtherMachinesByTheirTail) {
    EXPECT_EQ(find("missing.png"), "");
    EXPECT_EQ(find("fake.png"), ""); // a folder
    EXPECT_EQ(find("textures"), "");
    EXPECT_EQ(find("textures/wood.jpg/x"), "");
    EXPECT_EQ(find(""), "");
    EXPECT_EQ(find(" \t"), "");
    EXPECT_EQ(find("C:\\Users\\x\\Textures\\wood.jpg"), dir_ + "/textures/wood.jpg");
    EXPECT_EQ(find("D:\\work\\tex\\a.jpg"), dir_ + "/a.jpg");
    EXPECT_EQ(find("/no/such/folder/sub/inner/deep.png"), dir_ + "/sub/inner/deep.png");
    EXPECT_EQ(find("..\\maps\\a.jpg"), dir_ + "/a.jpg");
    EXPECT_EQ(find(std::string(5000, 'a')), "");
}

TEST_F(ScratchFolder, LibraryNamesTakeTheWholeLineWhenItNamesAFileElseItsWords) {
    EXPECT_EQ(libraryNames(" cube with white spaces.mtl # comment", dir_),
              Names{"cube with white spaces.mtl"});
    EXPECT_EQ(libraryNames("Cube With White Spaces.MTL", dir_),
              Names{"Cube With White Spaces.MTL"});
    EXPECT_EQ(libraryNames("one.mtl\ttwo.mtl  missing.mtl", dir_),
              (Names{"one.mtl", "two.mtl", "missing.mtl"}));
    EXPECT_EQ(libraryNames("lib#1.mtl", dir_), Names{"lib#1.mtl"});
    EXPECT_EQ(libraryNames("  # none", dir_), Names{});
    EXPECT_EQ(libraryNames("", dir_), Names{});
}

TEST(FileNames, CommentsAndFolders) {
    EXPECT_EQ(nameWithoutComment("  Red # note "), "Red");
    EXPECT_EQ(nameWithoutComment("\ttex#2.png\t#x"), "tex#2.png");
    EXPECT_EQ(nameWithoutComment("# all"), "");
    EXPECT_EQ(folderOf("a/b/c.obj"), "a/b");
    EXPECT_EQ(folderOf("a\\b\\c.obj"), "a\\b");
    EXPECT_EQ(folderOf("/c.obj"), "/");
    EXPECT_EQ(folderOf("c.obj"), "");
    EXPECT_EQ(folderOf("C:\\c.obj"), "C:\\");
}

TEST(FileLookupRealFiles, LibrariesAndMapsOfTheTexturedModels) {
    const std::string base = realfiles::dataDir() + "/obj-textured";
    if (!fs::is_directory(base))
        GTEST_SKIP() << "no " << base;
    const std::string box = base + "/box-windows-paths";
    const std::string lib = findFile(box, "materials\\\\box-windows-paths.mtl");
    EXPECT_EQ(lib, box + "/materials/box-windows-paths.mtl");
    EXPECT_EQ(findFile(folderOf(lib), ".\\images\\cesium.png"),
              box + "/materials/images/cesium.png");
    const std::string cube = base + "/cube_with_white_spaces";
    EXPECT_EQ(libraryNames("cube with white spaces.mtl # comment", cube),
              Names{"cube with white spaces.mtl"});
    EXPECT_EQ(findFile(base + "/box-subdirectories/materials", "images/cesium.png"),
              base + "/box-subdirectories/materials/images/cesium.png");
}
