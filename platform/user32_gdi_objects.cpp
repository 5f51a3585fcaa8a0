// USER32 half of the stand-in, GDI objects: the bitmaps and icons loaded from registered modules
// and the fonts the dialog manager makes for dialogs.
#include "platform/user32_internal.h"

namespace standin {
namespace user32 {

namespace {

uintptr_t newGdi(GdiObject obj) {
    UserState& u = userState();
    uintptr_t h = u.nextGdi;
    u.nextGdi += 4;
    u.gdi.emplace(h, std::move(obj));
    return h;
}

} // namespace

GdiObject* findGdi(const void* h, GdiKind kind) {
    auto& t = userState().gdi;
    auto it = t.find(reinterpret_cast<uintptr_t>(h));
    return (it == t.end() || it->second.kind != kind) ? nullptr : &it->second;
}

HFONT newDialogFont(const DialogTemplate& t) {
    Lock g(StateLock());
    GdiObject f{GdiKind::Font, {}, {}, {t.faceName, t.pointSize}};
    return reinterpret_cast<HFONT>(newGdi(f));
}

} // namespace user32

void ForgetModuleObjects(HMODULE module) {
    user32::Lock g(StateLock());
    // Shared icons go with their module; bitmaps belong to whoever loaded them.
    auto& t = user32::userState().gdi;
    for (auto it = t.begin(); it != t.end();) {
        if (it->second.kind == user32::GdiKind::Icon && it->second.icon.module == module)
            it = t.erase(it);
        else
            ++it;
    }
}

} // namespace standin

using namespace standin;
using namespace standin::user32;

extern "C" {

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    Lock g(StateLock());
    UserState& u = userState();
    if (!hInstance) {
        // Stock icons: one shared handle each.
        if (!IS_INTRESOURCE(lpIconName) || LOWORD(lpIconName) != 32512)
            return nullptr;
        for (auto& [h, o] : u.gdi)
            if (o.kind == GdiKind::Icon && !o.icon.module && o.icon.groupId == 32512)
                return reinterpret_cast<HICON>(h);
        GdiObject icon{GdiKind::Icon, {}, {nullptr, 32512, 0, 32, 32, 32}, {}};
        return reinterpret_cast<HICON>(newGdi(icon));
    }
    Module* m = FindModule(hInstance);
    if (!m)
        return nullptr;
    const ResEntry* group = FindEntry(*m, lpIconName, RT_GROUP_ICON);
    if (!group || !group->name.isId)
        return nullptr;
    // Icons from a module are shared: each load answers the same handle.
    for (auto& [h, o] : u.gdi)
        if (o.kind == GdiKind::Icon && o.icon.module == hInstance &&
            o.icon.groupId == group->name.id)
            return reinterpret_cast<HICON>(h);
    std::vector<GroupIconEntry> images;
    std::string error;
    if (!ParseGroupIcon(m->image.data() + group->offset, group->size, &images, &error))
        return nullptr;
    // The system icon size is 32 by 32; otherwise the largest image.
    const GroupIconEntry* pick = &images.front();
    for (const GroupIconEntry& e : images) {
        if (e.width == 32 && e.height == 32) {
            pick = &e;
            break;
        }
        if (e.width > pick->width)
            pick = &e;
    }
    if (!FindEntry(*m, MAKEINTRESOURCEA(pick->id), RT_ICON))
        return nullptr;
    GdiObject icon{GdiKind::Icon,
                   {},
                   {hInstance, group->name.id, pick->id, pick->width, pick->height, pick->bitCount},
                   {}};
    return reinterpret_cast<HICON>(newGdi(icon));
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName) {
    Lock g(StateLock());
    Module* m = FindModule(hInstance);
    if (!m)
        return nullptr;
    const ResEntry* e = FindEntry(*m, lpBitmapName, RT_BITMAP);
    if (!e)
        return nullptr;
    BitmapHeader header;
    std::string error;
    if (!ParseBitmapResource(m->image.data() + e->offset, e->size, &header, &error))
        return nullptr;
    GdiObject bitmap{GdiKind::Bitmap,
                     {hInstance, e->name.isId ? e->name.id : -1, e->size, header.width,
                      header.height < 0 ? -header.height : header.height, header.bitCount},
                     {},
                     {}};
    ++userState().bitmapCount;
    return reinterpret_cast<HBITMAP>(newGdi(bitmap));
}

} // extern "C"
