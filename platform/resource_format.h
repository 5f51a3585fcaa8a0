// Readers for the Windows resource formats the stand-in needs: the compiled .res
// image, dialog templates (classic and extended), bitmap headers and icon groups.
// Pure functions over bytes, independent of the rest of the stand-in, so hosts and
// tests can inspect the very bytes the plug-in carries. Every reader checks every
// count and offset against the size it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// A resource type or name: an integer id or an (upper-cased) string.
struct ResName {
    bool isId = true;
    uint16_t id = 0;
    std::string text;
};

struct ResEntry {
    ResName type;
    ResName name;
    uint16_t memoryFlags = 0;
    uint16_t language = 0;
    uint32_t offset = 0; // of the data, from the start of the image
    uint32_t size = 0;
};

// Lists the resources of a .res image (the empty leading entry is skipped).
bool ParseResImage(const void* bytes, size_t size, std::vector<ResEntry>* out, std::string* error);

// A string or an ordinal, as dialog templates encode menus, classes and texts.
struct SzOrOrd {
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::string text; // 8-bit (Windows-1252) copy of the UTF-16 text
};

struct DialogItem {
    uint32_t helpId = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint32_t id = 0; // a WORD in classic templates
    SzOrOrd windowClass;
    std::string className; // the predefined class's name for an ordinal class
    SzOrOrd text;
    std::vector<uint8_t> creationData;
};

struct DialogTemplate {
    bool extended = false;
    uint32_t helpId = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    SzOrOrd menu;
    SzOrOrd windowClass;
    std::string title;
    bool hasFont = false;
    uint16_t pointSize = 0;
    uint16_t weight = 0;
    uint8_t italic = 0;
    uint8_t charset = 0;
    std::string faceName;
    std::vector<DialogItem> items;
};

bool ParseDialogTemplate(const void* bytes, size_t size, DialogTemplate* out, std::string* error);

// "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"; empty for others.
std::string PredefinedClassName(uint16_t atom);

// A bitmap resource: BITMAPINFOHEADER (or a larger version), colour table, pixels.
struct BitmapHeader {
    int32_t width = 0;
    int32_t height = 0; // negative for top-down rows
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;  // entries in the colour table
    uint32_t pixelOffset = 0; // from the start of the resource
    uint32_t pixelBytes = 0;
};
bool ParseBitmapResource(const void* bytes, size_t size, BitmapHeader* out, std::string* error);

struct GroupIconEntry {
    int width = 0; // 256 when the byte is 0
    int height = 0;
    uint8_t colorCount = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t bytesInRes = 0;
    uint16_t id = 0; // the RT_ICON resource holding the image
};
bool ParseGroupIcon(const void* bytes, size_t size, std::vector<GroupIconEntry>* out,
                    std::string* error);

// UTF-16 code unit to the 8-bit text the A functions use ('?' when it has none).
char AnsiFromUtf16(uint16_t unit);

} // namespace standin
