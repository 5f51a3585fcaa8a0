// The compiled tessoid.rc, read back from the bytes the Linux library embeds:
// both dialog templates control by control, the pictures, the icon and the version.
#include "platform/resource_format.h"
#include "platform/win32.h"
#include "resources/embedded_resources.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

using namespace standin;

namespace {

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

class Resources : public ::testing::Test {
  protected:
    void SetUp() override {
        unsigned size = 0;
        const unsigned char* bytes = TessoidResourceBytes(&size);
        image_.assign(bytes, bytes + size);
        std::string error;
        ASSERT_TRUE(ParseResImage(image_.data(), image_.size(), &entries_, &error)) << error;
    }

    std::vector<uint8_t> data(uint16_t type, uint16_t id) const {
        for (const ResEntry& e : entries_)
            if (e.type.isId && e.type.id == type && e.name.isId && e.name.id == id)
                return std::vector<uint8_t>(image_.begin() + e.offset,
                                            image_.begin() + e.offset + e.size);
        ADD_FAILURE() << "no resource " << type << "/" << id;
        return {};
    }

    DialogTemplate dialog(uint16_t id) const {
        std::vector<uint8_t> bytes = data(5, id);
        DialogTemplate t;
        std::string error;
        EXPECT_TRUE(ParseDialogTemplate(bytes.data(), bytes.size(), &t, &error)) << error;
        return t;
    }

    std::vector<uint8_t> image_;
    std::vector<ResEntry> entries_;
};

struct Control {
    int id;
    const char* className;
    const char* text;
    int x, y, cx, cy;
    uint32_t style;
};

void expectControls(const DialogTemplate& t, const std::vector<Control>& want) {
    ASSERT_EQ(t.items.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        const DialogItem& it = t.items[i];
        const Control& w = want[i];
        SCOPED_TRACE("control " + std::to_string(i) + " '" + w.text + "'");
        // Labels and group boxes have no id of their own: -1 as a WORD.
        EXPECT_EQ(it.id, static_cast<uint32_t>(w.id == -1 ? 0xFFFF : w.id));
        EXPECT_TRUE(it.windowClass.isOrdinal);
        EXPECT_EQ(it.className, w.className);
        EXPECT_FALSE(it.text.isOrdinal);
        EXPECT_EQ(it.text.text, w.text);
        EXPECT_EQ(it.x, w.x);
        EXPECT_EQ(it.y, w.y);
        EXPECT_EQ(it.cx, w.cx);
        EXPECT_EQ(it.cy, w.cy);
        EXPECT_EQ(it.style, w.style) << std::hex << it.style << " vs " << w.style;
        EXPECT_EQ(it.exStyle, 0u);
        EXPECT_TRUE(it.creationData.empty());
    }
}

const uint32_t kChild = WS_CHILD | WS_VISIBLE;
const uint32_t kGroupBox = kChild | BS_GROUPBOX;
const uint32_t kLabel = kChild | WS_GROUP | SS_RIGHT;
const uint32_t kReadOnlyEdit = kChild | WS_BORDER | WS_TABSTOP | ES_CENTER | ES_READONLY;
const uint32_t kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_CENTER;
const uint32_t kPicture = kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_BITMAP;

TEST_F(Resources, SelectPredefinedMeshDialog) {
    DialogTemplate t = dialog(IDD_SELECT_MESH);
    EXPECT_EQ(t.style, static_cast<uint32_t>(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION |
                                             WS_SYSMENU));
    EXPECT_EQ(t.title, "Select Predefined Mesh");
    EXPECT_EQ(t.cx, 121);
    EXPECT_EQ(t.cy, 106);
    EXPECT_EQ(t.faceName, "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_TRUE(t.menu.text.empty() && !t.menu.isOrdinal);
    EXPECT_TRUE(t.windowClass.text.empty() && !t.windowClass.isOrdinal);
    expectControls(
        t, {
               {IDC_TETRAHEDRON, "Button", "Tetrahedron", 7, 7, 31, 25, kPicture},
               {IDC_CUBE, "Button", "Cube", 45, 7, 31, 25, kPicture},
               {IDC_OCTAHEDRON, "Button", "Octahedron", 83, 7, 31, 25, kPicture},
               {IDC_DODECAHEDRON, "Button", "Dodecahedron", 7, 36, 31, 25, kPicture},
               {IDC_ICOSAHEDRON, "Button", "Icosahedron", 45, 36, 31, 25, kPicture},
               {IDC_CURRENT_OBJECT, "Button", "Current\nObject", 83, 36, 31, 25,
                kChild | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_MULTILINE},
               {IDCANCEL, "Button", "Cancel", 7, 82, 107, 17, kChild | WS_TABSTOP | BS_PUSHBUTTON},
           });
}

TEST_F(Resources, PropertyPage) {
    DialogTemplate t = dialog(IDD_PROPERTY_PAGE);
    EXPECT_EQ(t.style, static_cast<uint32_t>(DS_SETFONT | WS_CHILD)); // no caption
    EXPECT_EQ(t.title, "");
    EXPECT_EQ(t.cx, 110);
    EXPECT_EQ(t.cy, 116);
    EXPECT_EQ(t.faceName, "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    expectControls(t, {
                          {-1, "Button", "Mesh Properties", 4, 13, 100, 52, kGroupBox},
                          {-1, "Static", "Source File:", 7, 25, 37, 8, kLabel},
                          {IDC_SOURCE_FILE, "Edit", "", 46, 23, 54, 12, kReadOnlyEdit},
                          {-1, "Static", "Vertices:", 13, 39, 31, 8, kLabel},
                          {IDC_VERTEX_COUNT, "Edit", "", 46, 37, 54, 12, kReadOnlyEdit},
                          {-1, "Static", "Faces:", 21, 53, 23, 8, kLabel},
                          {IDC_FACE_COUNT, "Edit", "", 46, 51, 54, 12, kReadOnlyEdit},
                          {-1, "Button", "Mesh Modifications", 4, 69, 100, 44, kGroupBox},
                          {IDC_SMOOTH_ANGLE, "Edit", "", 46, 80, 54, 12, kEdit},
                          {-1, "Static", "Angle:", 17, 82, 27, 8, kLabel},
                          {IDC_INVERT, "Button", "Invert Triangles", 9, 99, 64, 11,
                           kChild | WS_TABSTOP | BS_AUTOCHECKBOX},
                      });
}

TEST_F(Resources, ExactlyTheResourcesTheLibraryUses) {
    std::set<std::pair<int, int>> got;
    for (const ResEntry& e : entries_) {
        ASSERT_TRUE(e.type.isId && e.name.isId);
        EXPECT_EQ(e.language, 0x0409);
        got.insert({e.type.id, e.name.id});
    }
    std::set<std::pair<int, int>> want = {{2, IDB_TYPE_PICTURE},
                                          {2, IDB_TETRAHEDRON},
                                          {2, IDB_CUBE},
                                          {2, IDB_OCTAHEDRON},
                                          {2, IDB_DODECAHEDRON},
                                          {2, IDB_ICOSAHEDRON},
                                          {3, 1},
                                          {3, 2},
                                          {5, IDD_PROPERTY_PAGE},
                                          {5, IDD_SELECT_MESH},
                                          {14, IDI_TESSOID},
                                          {16, 1}};
    EXPECT_EQ(got, want);
    // The embedded bytes are windres's output, unchanged.
    EXPECT_EQ(image_, readFile(TESSOID_RES_FILE));
}

TEST_F(Resources, SolidPicturesAreDistinct2344ByteBitmaps) {
    std::set<std::vector<uint8_t>> seen;
    const char* files[] = {"tetrahedron", "cube", "octahedron", "dodecahedron", "icosahedron"};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(files[i]);
        std::vector<uint8_t> bytes = data(2, uint16_t(IDB_TETRAHEDRON + i));
        EXPECT_EQ(bytes.size(), 2344u);
        BitmapHeader h;
        std::string error;
        ASSERT_TRUE(ParseBitmapResource(bytes.data(), bytes.size(), &h, &error)) << error;
        EXPECT_EQ(h.width, 40);
        EXPECT_EQ(h.height, 32);
        EXPECT_EQ(h.bitCount, 8);
        EXPECT_EQ(size_t(h.pixelOffset) + h.pixelBytes, bytes.size());
        // A picture, not a blank: a good share of pixels differ from the corner's.
        uint8_t corner = bytes[h.pixelOffset];
        size_t drawn = 0;
        for (size_t p = h.pixelOffset; p < bytes.size(); ++p)
            drawn += bytes[p] != corner;
        EXPECT_GT(drawn, 200u);
        seen.insert(std::vector<uint8_t>(bytes.begin() + h.pixelOffset, bytes.end()));
        // The committed .bmp is the resource behind a 14-byte file header.
        std::vector<uint8_t> file =
            readFile(std::string(TESSOID_SOURCE_DIR) + "/resources/bitmaps/" + files[i] + ".bmp");
        ASSERT_EQ(file.size(), bytes.size() + 14);
        EXPECT_EQ(std::vector<uint8_t>(file.begin() + 14, file.end()), bytes);
    }
    EXPECT_EQ(seen.size(), 5u);
    std::vector<uint8_t> type = data(2, IDB_TYPE_PICTURE);
    BitmapHeader h;
    std::string error;
    EXPECT_TRUE(ParseBitmapResource(type.data(), type.size(), &h, &error)) << error;
}

TEST_F(Resources, IconGroupPointsAtItsImages) {
    std::vector<uint8_t> group = data(14, IDI_TESSOID);
    std::vector<GroupIconEntry> icons;
    std::string error;
    ASSERT_TRUE(ParseGroupIcon(group.data(), group.size(), &icons, &error)) << error;
    std::set<int> sides;
    for (const GroupIconEntry& e : icons) {
        sides.insert(e.width);
        EXPECT_EQ(e.width, e.height);
        std::vector<uint8_t> image = data(3, e.id);
        EXPECT_EQ(image.size(), e.bytesInRes);
        // Each image is a 256-colour DIB whose height counts the colour rows and the
        // mask rows: header, palette, pixels, then the 1-bit mask.
        ASSERT_GE(image.size(), 40u);
        auto u32 = [&](size_t at) {
            return uint32_t(image[at]) | uint32_t(image[at + 1]) << 8 |
                   uint32_t(image[at + 2]) << 16 | uint32_t(image[at + 3]) << 24;
        };
        EXPECT_EQ(u32(0), 40u);
        EXPECT_EQ(u32(4), uint32_t(e.width));
        EXPECT_EQ(u32(8), uint32_t(2 * e.height));
        EXPECT_EQ(e.bitCount, 8);
        size_t stride = (size_t(e.width) + 3) / 4 * 4, maskStride = (size_t(e.width) + 31) / 32 * 4;
        EXPECT_EQ(image.size(), 40 + 1024 + e.height * (stride + maskStride));
    }
    EXPECT_EQ(sides, (std::set<int>{16, 32}));
}

TEST_F(Resources, VersionBlock) {
    std::vector<uint8_t> v = data(16, 1);
    ASSERT_GE(v.size(), 92u);
    auto u32 = [&](size_t at) {
        return uint32_t(v[at]) | uint32_t(v[at + 1]) << 8 | uint32_t(v[at + 2]) << 16 |
               uint32_t(v[at + 3]) << 24;
    };
    EXPECT_EQ(u32(40), 0xFEEF04BDu); // fixed file info signature
    EXPECT_EQ(u32(48), 0x00010000u); // file version 1.0
    auto wide = [](const std::string& s) {
        std::vector<uint8_t> w;
        for (char c : s) {
            w.push_back(uint8_t(c));
            w.push_back(0);
        }
        return w;
    };
    for (const char* text : {"VS_VERSION_INFO", "3DS and Wavefront Mesh Importer", "Tessoid.dll"}) {
        std::vector<uint8_t> w = wide(text);
        EXPECT_NE(std::search(v.begin(), v.end(), w.begin(), w.end()), v.end()) << text;
    }
}

} // namespace
