// The resource readers against hand-made images and every truncation of real ones.
#include "platform/resource_format.h"
#include "resources/embedded_resources.h"
#include "tests/platform/res_builder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace standin;
using testres::put16;
using testres::put32;
using testres::putWide;

namespace {

std::vector<uint8_t> realImage() {
    unsigned size = 0;
    const unsigned char* bytes = TessoidResourceBytes(&size);
    return std::vector<uint8_t>(bytes, bytes + size);
}

const ResEntry* findEntry(const std::vector<ResEntry>& entries, uint16_t type, uint16_t id) {
    for (const ResEntry& e : entries)
        if (e.type.isId && e.type.id == type && e.name.isId && e.name.id == id)
            return &e;
    return nullptr;
}

TEST(ResImage, ListsEntriesWithNamesTypesAndData) {
    std::vector<uint8_t> image = testres::Image({
        {"", 10, "config", 0, {1, 2, 3}}, // odd size: the next header is padded
        {"MyType", 0, "", 7, {9, 8, 7, 6, 5}},
    });
    std::vector<ResEntry> entries;
    std::string error;
    ASSERT_TRUE(ParseResImage(image.data(), image.size(), &entries, &error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].type.isId);
    EXPECT_EQ(entries[0].type.id, 10);
    EXPECT_FALSE(entries[0].name.isId);
    EXPECT_EQ(entries[0].name.text, "CONFIG"); // names compare case-insensitively
    EXPECT_EQ(entries[0].language, 0x0409);
    ASSERT_EQ(entries[0].size, 3u);
    EXPECT_EQ(image[entries[0].offset + 2], 3);
    EXPECT_EQ(entries[1].type.text, "MYTYPE");
    EXPECT_EQ(entries[1].name.id, 7);
    ASSERT_EQ(entries[1].size, 5u);
    EXPECT_EQ(entries[1].offset % 4, 0u);
    EXPECT_EQ(image[entries[1].offset], 9);
}

TEST(ResImage, RejectsLyingSizesAndSurvivesEveryTruncation) {
    std::vector<uint8_t> image = realImage();
    std::vector<ResEntry> full;
    std::string error;
    ASSERT_TRUE(ParseResImage(image.data(), image.size(), &full, &error)) << error;

    // A truncated image either fails or lists only entries that lie inside it.
    for (size_t n = 0; n < image.size(); ++n) {
        std::vector<uint8_t> cut(image.begin(), image.begin() + n);
        std::vector<ResEntry> entries;
        if (ParseResImage(cut.data(), cut.size(), &entries, &error)) {
            EXPECT_LT(entries.size(), full.size()) << n;
            for (const ResEntry& e : entries)
                EXPECT_LE(size_t(e.offset) + e.size, n);
        }
    }

    std::vector<uint8_t> bad = image;
    bad[32] = 0xFF; // data size of the first real entry
    bad[35] = 0x7F;
    EXPECT_FALSE(ParseResImage(bad.data(), bad.size(), &full, &error));
    bad = image;
    bad[36] = 8; // header size smaller than a header
    bad[37] = 0;
    EXPECT_FALSE(ParseResImage(bad.data(), bad.size(), &full, &error));
}

// A DIALOGEX with one custom-class control whose text is an ordinal and which
// carries creation data.
std::vector<uint8_t> extendedTemplate() {
    std::vector<uint8_t> b;
    put16(b, 1);
    put16(b, 0xFFFF);
    put32(b, 42);                 // help id
    put32(b, 0x00010000);         // ex style
    put32(b, 0x40 | 0x80000000u); // DS_SETFONT | WS_POPUP
    put16(b, 1);
    put16(b, 1);
    put16(b, 2);
    put16(b, 30);
    put16(b, 40);
    put16(b, 0);         // no menu
    putWide(b, "Frame"); // class by name
    putWide(b, "Title");
    put16(b, 9);
    put16(b, 700);
    b.push_back(1);
    b.push_back(0);
    putWide(b, "Tahoma");
    testres::align4(b);
    put32(b, 5); // help id
    put32(b, 0);
    put32(b, 0x50000000);
    put16(b, 3);
    put16(b, 4);
    put16(b, 20);
    put16(b, 10);
    put32(b, 0x12345); // ids are 32-bit here
    putWide(b, "Custom");
    put16(b, 0xFFFF);
    put16(b, 77); // ordinal text
    put16(b, 2);
    b.push_back(0xAB);
    b.push_back(0xCD);
    return b;
}

TEST(DialogTemplate, ReadsExtendedTemplates) {
    std::vector<uint8_t> b = extendedTemplate();
    DialogTemplate t;
    std::string error;
    ASSERT_TRUE(ParseDialogTemplate(b.data(), b.size(), &t, &error)) << error;
    EXPECT_TRUE(t.extended);
    EXPECT_EQ(t.helpId, 42u);
    EXPECT_EQ(t.exStyle, 0x00010000u);
    EXPECT_EQ(t.cy, 40);
    EXPECT_EQ(t.windowClass.text, "Frame");
    EXPECT_EQ(t.title, "Title");
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_EQ(t.weight, 700);
    EXPECT_EQ(t.italic, 1);
    EXPECT_EQ(t.faceName, "Tahoma");
    ASSERT_EQ(t.items.size(), 1u);
    const DialogItem& it = t.items[0];
    EXPECT_EQ(it.helpId, 5u);
    EXPECT_EQ(it.id, 0x12345u);
    EXPECT_EQ(it.className, "Custom");
    EXPECT_TRUE(it.text.isOrdinal);
    EXPECT_EQ(it.text.ordinal, 77);
    EXPECT_EQ(it.creationData, (std::vector<uint8_t>{0xAB, 0xCD}));

    for (size_t n = 0; n < b.size(); ++n)
        EXPECT_FALSE(ParseDialogTemplate(b.data(), n, &t, &error)) << "accepted " << n << " bytes";
}

TEST(DialogTemplate, RejectsEveryTruncationAndImpossibleCounts) {
    std::vector<uint8_t> image = realImage();
    std::vector<ResEntry> entries;
    std::string error;
    ASSERT_TRUE(ParseResImage(image.data(), image.size(), &entries, &error));
    for (uint16_t id : {106, 109}) {
        const ResEntry* e = findEntry(entries, 5, id);
        ASSERT_NE(e, nullptr);
        std::vector<uint8_t> bytes(image.begin() + e->offset, image.begin() + e->offset + e->size);
        DialogTemplate t;
        ASSERT_TRUE(ParseDialogTemplate(bytes.data(), bytes.size(), &t, &error)) << error;
        // The last item ends with its creation-data count, so every shorter view fails.
        for (size_t n = 0; n < bytes.size(); ++n) {
            std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);
            EXPECT_FALSE(ParseDialogTemplate(cut.data(), cut.size(), &t, &error))
                << id << " at " << n;
        }
        bytes[8] = 0xFF; // item count
        bytes[9] = 0xFF;
        EXPECT_FALSE(ParseDialogTemplate(bytes.data(), bytes.size(), &t, &error));
    }
    // An unknown predefined class atom is not a control anyone can create.
    std::vector<uint8_t> b = extendedTemplate();
    std::vector<uint8_t> custom = {'C', 0, 'u', 0, 's', 0, 't', 0, 'o', 0, 'm', 0, 0, 0};
    auto at = std::search(b.begin(), b.end(), custom.begin(), custom.end());
    ASSERT_NE(at, b.end());
    std::vector<uint8_t> atom = {0xFF, 0xFF, 0x99, 0x00};
    b.erase(at, at + custom.size());
    b.insert(at, atom.begin(), atom.end());
    DialogTemplate t;
    EXPECT_FALSE(ParseDialogTemplate(b.data(), b.size(), &t, &error));
}

std::vector<uint8_t> bitmap(int32_t w, int32_t h, uint16_t bits, uint32_t compression,
                            uint32_t used, size_t pixels) {
    std::vector<uint8_t> b;
    put32(b, 40);
    put32(b, uint32_t(w));
    put32(b, uint32_t(h));
    put16(b, 1);
    put16(b, bits);
    put32(b, compression);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, used);
    put32(b, 0);
    uint32_t table = used ? used : (bits <= 8 ? 1u << bits : 0);
    b.resize(b.size() + table * 4 + pixels);
    return b;
}

TEST(Bitmap, ChecksDimensionsTableAndPixels) {
    BitmapHeader h;
    std::string error;
    std::vector<uint8_t> ok = bitmap(40, 32, 8, 0, 0, 40 * 32);
    ASSERT_TRUE(ParseBitmapResource(ok.data(), ok.size(), &h, &error)) << error;
    EXPECT_EQ(h.colorsUsed, 256u);
    EXPECT_EQ(h.pixelOffset, 40u + 1024u);
    EXPECT_EQ(h.pixelBytes, 1280u);
    // Rows are padded to four bytes; top-down bitmaps count the same.
    std::vector<uint8_t> padded = bitmap(3, -2, 24, 0, 0, 24);
    ASSERT_TRUE(ParseBitmapResource(padded.data(), padded.size(), &h, &error)) << error;
    EXPECT_EQ(h.pixelBytes, 24u);
    EXPECT_FALSE(ParseBitmapResource(padded.data(), padded.size() - 1, &h, &error));

    EXPECT_FALSE(ParseBitmapResource(ok.data(), ok.size() - 1, &h, &error));
    std::vector<uint8_t> zeroWidth = bitmap(0, 32, 8, 0, 0, 0);
    EXPECT_FALSE(ParseBitmapResource(zeroWidth.data(), zeroWidth.size(), &h, &error));
    std::vector<uint8_t> huge = bitmap(0x7FFFFFFF, 0x7FFFFFFF, 32, 0, 0, 16);
    EXPECT_FALSE(ParseBitmapResource(huge.data(), huge.size(), &h, &error));
    std::vector<uint8_t> rle = bitmap(4, 4, 8, 1, 0, 16);
    EXPECT_FALSE(ParseBitmapResource(rle.data(), rle.size(), &h, &error));
    std::vector<uint8_t> bigTable = bitmap(4, 4, 4, 0, 17, 8);
    EXPECT_FALSE(ParseBitmapResource(bigTable.data(), bigTable.size(), &h, &error));
    std::vector<uint8_t> oddBits = bitmap(4, 4, 7, 0, 0, 16);
    EXPECT_FALSE(ParseBitmapResource(oddBits.data(), oddBits.size(), &h, &error));
}

TEST(GroupIcon, ReadsEntriesAndRejectsBadCounts) {
    std::vector<uint8_t> b;
    put16(b, 0);
    put16(b, 1);
    put16(b, 2);
    for (uint8_t side : {32, 0}) {
        b.push_back(side);
        b.push_back(side);
        b.push_back(0);
        b.push_back(0);
        put16(b, 1);
        put16(b, 8);
        put32(b, 1000u + side);
        put16(b, side ? 1 : 2);
    }
    std::vector<GroupIconEntry> entries;
    std::string error;
    ASSERT_TRUE(ParseGroupIcon(b.data(), b.size(), &entries, &error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].width, 32);
    EXPECT_EQ(entries[0].bytesInRes, 1032u);
    EXPECT_EQ(entries[1].width, 256); // a zero byte means 256
    EXPECT_EQ(entries[1].id, 2);
    EXPECT_FALSE(ParseGroupIcon(b.data(), b.size() - 1, &entries, &error));
    b[4] = 0;
    EXPECT_FALSE(ParseGroupIcon(b.data(), b.size(), &entries, &error));
    b[4] = 2;
    b[2] = 2; // a cursor group, not icons
    EXPECT_FALSE(ParseGroupIcon(b.data(), b.size(), &entries, &error));
}

TEST(Text, Utf16BecomesWindows1252) {
    EXPECT_EQ(AnsiFromUtf16('A'), 'A');
    EXPECT_EQ(static_cast<unsigned char>(AnsiFromUtf16(0x00E9)), 0xE9);
    EXPECT_EQ(static_cast<unsigned char>(AnsiFromUtf16(0x20AC)), 0x80); // euro sign
    EXPECT_EQ(static_cast<unsigned char>(AnsiFromUtf16(0x2122)), 0x99); // trade mark
    EXPECT_EQ(AnsiFromUtf16(0x0081), '?'); // C1 controls have no 1252 character
    EXPECT_EQ(AnsiFromUtf16(0x4E00), '?');
}

} // namespace
