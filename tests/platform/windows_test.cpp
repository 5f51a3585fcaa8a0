// The stand-in's window machinery driven the way the plug-in and the host drive it:
// modal dialogs from the real templates, the property-page window with its window
// procedure replaced on the first message, controls, and the logs.
#include "platform/standin_control.h"
#include "resources/embedded_resources.h"
#include "resources/resource.h"
#include "tests/platform/res_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

enum Who { Dialog, Start, Hook };

struct Message {
    HWND hwnd;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    Who who = Dialog;
};

std::vector<Message> g_seen;

class Windows : public ::testing::Test {
  protected:
    void SetUp() override {
        standin::Reset();
        g_seen.clear();
        unsigned size = 0;
        const unsigned char* bytes = TessoidResourceBytes(&size);
        module_ = Win32StandIn_RegisterModule("test", bytes, size);
        ASSERT_NE(module_, nullptr);
        host_ = standin::CreateHostWindow("host");
        ASSERT_NE(host_, nullptr);
    }
    void TearDown() override {
        standin::Reset();
        Win32StandIn_UnregisterModule(module_);
    }

    std::vector<UINT> seenMessages() const {
        std::vector<UINT> out;
        for (const Message& m : g_seen)
            out.push_back(m.msg);
        return out;
    }

    HMODULE module_ = nullptr;
    HWND host_ = nullptr;
};

// The predefined-solid dialog's procedure as the plug-in writes it.
INT_PTR CALLBACK selectProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    g_seen.push_back({dlg, msg, wp, lp});
    if (msg == WM_INITDIALOG) {
        HINSTANCE inst = reinterpret_cast<HINSTANCE>(lp);
        for (int i = 0; i < 5; ++i) {
            HBITMAP bmp = LoadBitmapA(inst, MAKEINTRESOURCEA(IDB_TETRAHEDRON + i));
            SendMessageA(GetDlgItem(dlg, IDC_TETRAHEDRON + i), BM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(bmp));
        }
        EnableWindow(GetDlgItem(dlg, IDC_CURRENT_OBJECT), FALSE);
        return TRUE;
    }
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        int id = LOWORD(wp);
        if (id >= IDC_TETRAHEDRON && id <= IDC_CURRENT_OBJECT)
            return EndDialog(dlg, id - IDC_TETRAHEDRON);
        if (id == IDCANCEL)
            return EndDialog(dlg, -1);
    }
    return FALSE;
}

TEST_F(Windows, ModalDialogRunsItsDriverAndReturnsTheEndCode) {
    HWND seenDialog = nullptr;
    standin::SetDialogDriver([&](HWND dlg) {
        seenDialog = dlg;
        EXPECT_EQ(GetActiveWindow(), dlg);
        EXPECT_FALSE(standin::IsEnabled(host_)); // the owner is disabled while modal
        EXPECT_EQ(standin::ModalDepth(), 1u);
        EXPECT_EQ(standin::TemplateId(dlg), IDD_SELECT_MESH);
        HWND cube = standin::FindControl(dlg, IDC_CUBE);
        EXPECT_EQ(standin::ClassName(cube), "Button");
        EXPECT_EQ(standin::WindowText(cube), "Cube");
        standin::BitmapDetails bmp;
        ASSERT_TRUE(standin::GetBitmapDetails(standin::ButtonBitmap(cube), &bmp));
        EXPECT_EQ(bmp.resourceId, IDB_CUBE);
        // A disabled button cannot be clicked; an enabled one ends the dialog.
        EXPECT_FALSE(standin::ClickControl(dlg, IDC_CURRENT_OBJECT));
        EXPECT_TRUE(standin::ClickControl(dlg, IDC_CUBE));
    });
    INT_PTR r = DialogBoxParamA(module_, MAKEINTRESOURCEA(IDD_SELECT_MESH), GetActiveWindow(),
                                selectProc, reinterpret_cast<LPARAM>(module_));
    EXPECT_EQ(r, 1);
    EXPECT_FALSE(IsWindow(seenDialog));
    EXPECT_TRUE(standin::IsEnabled(host_));
    EXPECT_EQ(GetActiveWindow(), host_);

    // The dialog procedure hears the font first, then WM_INITDIALOG with the init
    // parameter, then exactly one click (the disabled button said nothing).
    ASSERT_GE(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[0].msg, WM_SETFONT);
    EXPECT_EQ(g_seen[1].msg, WM_INITDIALOG);
    EXPECT_EQ(g_seen[1].lp, reinterpret_cast<LPARAM>(module_));
    int clicks = 0;
    for (const Message& m : g_seen) {
        if (m.msg != WM_COMMAND)
            continue;
        ++clicks;
        EXPECT_EQ(m.wp, MAKEWPARAM(IDC_CUBE, BN_CLICKED));
    }
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(seenMessages().back(), WM_NCDESTROY);
}

TEST_F(Windows, ModalDialogWithoutDriverIsClosedAsCancelled) {
    INT_PTR r = DialogBoxParamA(module_, MAKEINTRESOURCEA(IDD_SELECT_MESH), host_, selectProc,
                                reinterpret_cast<LPARAM>(module_));
    EXPECT_EQ(r, -1);
    bool cancelled = false;
    for (const Message& m : g_seen)
        cancelled |= m.msg == WM_COMMAND && m.wp == MAKEWPARAM(IDCANCEL, BN_CLICKED);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(standin::WindowCount(), 1u); // only the host window is left
}

INT_PTR CALLBACK endAtOnce(HWND dlg, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG)
        EndDialog(dlg, 42);
    return msg == WM_INITDIALOG;
}

INT_PTR CALLBACK deaf(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

TEST_F(Windows, ModalDialogEdgeCases) {
    int driverCalls = 0;
    standin::SetDialogDriver([&](HWND) { ++driverCalls; });
    EXPECT_EQ(DialogBoxParamA(module_, MAKEINTRESOURCEA(IDD_SELECT_MESH), host_, endAtOnce, 0), 42);
    EXPECT_EQ(driverCalls, 0);

    // A dialog that will not close is closed anyway, answering -1.
    testing::internal::CaptureStderr();
    EXPECT_EQ(DialogBoxParamA(module_, MAKEINTRESOURCEA(IDD_SELECT_MESH), host_, deaf, 0), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("ignored WM_CLOSE"), std::string::npos);
    EXPECT_EQ(driverCalls, 1);

    EXPECT_EQ(DialogBoxParamA(module_, MAKEINTRESOURCEA(999), host_, deaf, 0), -1);
    EXPECT_EQ(DialogBoxParamA(reinterpret_cast<HMODULE>(0x1234), MAKEINTRESOURCEA(IDD_SELECT_MESH),
                              host_, deaf, 0),
              -1);
    EXPECT_EQ(DialogBoxParamA(module_, MAKEINTRESOURCEA(IDD_SELECT_MESH),
                              reinterpret_cast<HWND>(0x99), deaf, 0),
              0);
    EXPECT_EQ(standin::WindowCount(), 1u);
}

// The property page's window handling as the plug-in does it: a start
// procedure that, on the first message, replaces itself with the page procedure.
WNDPROC g_previous = nullptr;
LRESULT CALLBACK pageProc(HWND, UINT, WPARAM, LPARAM);

LRESULT CALLBACK startProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    g_seen.push_back({hwnd, msg, wp, lp, Start});
    if (msg == WM_NCCREATE &&
        GetWindowLongA(hwnd, GWL_WNDPROC) == reinterpret_cast<LONG>(startProc)) {
        g_previous = reinterpret_cast<WNDPROC>(
            SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG>(pageProc)));
        FlushInstructionCache(GetCurrentProcess(), reinterpret_cast<LPCVOID>(pageProc), 16);
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK pageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    g_seen.push_back({hwnd, msg, wp, lp});
    switch (msg) {
    case WM_INITDIALOG:
        return 1;
    case WM_NCDESTROY:
        if (GetWindowLongA(hwnd, GWL_WNDPROC) == reinterpret_cast<LONG>(pageProc))
            SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG>(g_previous));
        return CallWindowProcA(g_previous, hwnd, msg, wp, lp);
    default:
        return CallWindowProcA(g_previous, hwnd, msg, wp, lp);
    }
}

WNDPROC g_editPrevious = nullptr;
LRESULT CALLBACK editHook(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETTEXT || msg == WM_DESTROY || msg == WM_NCDESTROY)
        g_seen.push_back({hwnd, msg, wp, lp, Hook});
    return CallWindowProcA(g_editPrevious, hwnd, msg, wp, lp);
}

size_t countOf(UINT msg, bool fromStart) {
    size_t n = 0;
    for (const Message& m : g_seen)
        n += m.msg == msg && (m.who == Start) == fromStart;
    return n;
}

TEST_F(Windows, PropertyPageIsSubclassedOnItsFirstMessage) {
    HRSRC info = FindResourceA(module_, MAKEINTRESOURCEA(IDD_PROPERTY_PAGE), RT_DIALOG);
    const void* bytes = LockResource(LoadResource(module_, info));
    ASSERT_NE(bytes, nullptr);
    HWND page = standin::CreateWindowFromTemplate(module_, bytes, 0, host_, startProc, 77);
    ASSERT_NE(page, nullptr);
    ASSERT_FALSE(g_seen.empty());
    EXPECT_EQ(g_seen[0].msg, WM_NCCREATE);
    EXPECT_EQ(countOf(WM_NCCREATE, true), 1u);
    EXPECT_EQ(countOf(WM_CREATE, true), 1u); // passed on by the page procedure
    EXPECT_EQ(countOf(WM_CREATE, false), 1u);
    EXPECT_EQ(countOf(WM_INITDIALOG, false), 1u);
    EXPECT_EQ(countOf(WM_INITDIALOG, true), 0u);
    for (const Message& m : g_seen) {
        if (m.msg == WM_INITDIALOG) {
            EXPECT_EQ(m.lp, 77);
        }
    }
    EXPECT_EQ(GetParent(page), host_);
    EXPECT_EQ(standin::TemplateId(page), IDD_PROPERTY_PAGE);
    EXPECT_EQ(standin::Children(page).size(), 11u);
    standin::FontDetails font;
    ASSERT_TRUE(standin::GetFontDetails(standin::WindowFont(page), &font));
    EXPECT_EQ(font.faceName, "MS Sans Serif");
    EXPECT_EQ(font.pointSize, 8);
    EXPECT_EQ(standin::WindowFont(GetDlgItem(page, IDC_INVERT)), standin::WindowFont(page));
    // The dialog manager's font lives as long as the dialog (checked at the end).
    const HFONT pageFont = standin::WindowFont(page);

    // Messages reach the page procedure, which passes them on to the one it replaced.
    g_seen.clear();
    standin::Send(page, WM_PAINT, 0, 0);
    EXPECT_EQ(countOf(WM_PAINT, false), 1u);
    EXPECT_EQ(countOf(WM_PAINT, true), 1u);

    // A control subclassed in turn: the hook sees the text, the edit keeps it and
    // tells the page.
    HWND source = GetDlgItem(page, IDC_SOURCE_FILE);
    g_editPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongA(source, GWL_WNDPROC, reinterpret_cast<LONG>(editHook)));
    ASSERT_NE(g_editPrevious, nullptr);
    g_seen.clear();
    EXPECT_TRUE(SetWindowTextA(source, "Cube"));
    EXPECT_EQ(standin::WindowText(source), "Cube");
    ASSERT_FALSE(g_seen.empty());
    EXPECT_EQ(g_seen[0].msg, static_cast<UINT>(WM_SETTEXT));
    EXPECT_EQ(g_seen[0].who, Hook);
    bool changed = false;
    for (const Message& m : g_seen)
        changed |= m.msg == WM_COMMAND && m.wp == MAKEWPARAM(IDC_SOURCE_FILE, EN_CHANGE);
    EXPECT_TRUE(changed);
    char text[3];
    EXPECT_EQ(GetWindowTextA(source, text, sizeof text), 2);
    EXPECT_STREQ(text, "Cu");

    // Destruction: WM_DESTROY reaches the page before its children, WM_NCDESTROY
    // after them, and the page puts the start procedure back.
    g_seen.clear();
    HWND invert = GetDlgItem(page, IDC_INVERT);
    ASSERT_TRUE(DestroyWindow(page));
    EXPECT_FALSE(IsWindow(page));
    EXPECT_FALSE(IsWindow(invert));
    EXPECT_EQ(GetWindowLongA(page, GWL_WNDPROC), 0);
    EXPECT_FALSE(standin::GetFontDetails(pageFont, &font)) << "the page's font outlived it";
    std::vector<std::pair<UINT, Who>> order;
    for (const Message& m : g_seen)
        if (m.msg == WM_DESTROY || m.msg == WM_NCDESTROY)
            order.push_back({m.msg, m.who});
    // The page, then the (hooked) control, hear WM_DESTROY; the control, then the page
    // (through the restored start procedure) hear WM_NCDESTROY.
    std::vector<std::pair<UINT, Who>> expected = {{WM_DESTROY, Dialog},   {WM_DESTROY, Start},
                                                  {WM_DESTROY, Hook},     {WM_NCDESTROY, Hook},
                                                  {WM_NCDESTROY, Dialog}, {WM_NCDESTROY, Start}};
    EXPECT_EQ(order, expected);
}

TEST_F(Windows, TemplateWindowsNeedAParentAndABoundedTemplate) {
    HRSRC info = FindResourceA(module_, MAKEINTRESOURCEA(IDD_PROPERTY_PAGE), RT_DIALOG);
    const void* bytes = LockResource(LoadResource(module_, info));
    EXPECT_EQ(standin::CreateWindowFromTemplate(module_, bytes, 0, nullptr, startProc, 0), nullptr);
    std::vector<uint8_t> copy(static_cast<const uint8_t*>(bytes),
                              static_cast<const uint8_t*>(bytes) + SizeofResource(module_, info));
    EXPECT_EQ(standin::CreateWindowFromTemplate(module_, copy.data(), 0, host_, startProc, 0),
              nullptr);
    HWND page =
        standin::CreateWindowFromTemplate(module_, copy.data(), copy.size(), host_, startProc, 0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(standin::TemplateId(page), -1);
    EXPECT_EQ(standin::WindowCount(), 1u + 1u + 11u);
}

TEST_F(Windows, WindowLongsAndControlState) {
    HRSRC info = FindResourceA(module_, MAKEINTRESOURCEA(IDD_PROPERTY_PAGE), RT_DIALOG);
    HWND page = standin::CreateWindowFromTemplate(
        module_, LockResource(LoadResource(module_, info)), 0, host_, DefWindowProcA, 0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(SetWindowLongA(page, GWL_USERDATA, 1234), 0);
    EXPECT_EQ(SetWindowLongA(page, GWL_USERDATA, 5678), 1234);
    EXPECT_EQ(GetWindowLongA(page, GWL_USERDATA), 5678);
    EXPECT_EQ(SetWindowLongA(page, DWL_USER, 99), 0); // dialogs have extra bytes
    EXPECT_EQ(GetWindowLongA(page, DWL_USER), 99);
    EXPECT_EQ(GetWindowLongA(page, DWL_USER), GetWindowLongA(page, DWLP_USER));
    HWND invert = GetDlgItem(page, IDC_INVERT);
    EXPECT_EQ(SetWindowLongA(invert, DWL_USER, 5), 0); // controls do not
    EXPECT_EQ(GetWindowLongA(invert, DWL_USER), 0);
    EXPECT_EQ(GetWindowLongA(invert, GWL_ID), IDC_INVERT);
    EXPECT_EQ(SetWindowLongA(invert, GWL_WNDPROC, 0), 0); // a null procedure is refused
    EXPECT_NE(GetWindowLongA(invert, GWL_WNDPROC), 0);

    EXPECT_FALSE(EnableWindow(invert, FALSE)); // it was enabled
    EXPECT_TRUE(GetWindowLongA(invert, GWL_STYLE) & WS_DISABLED);
    EXPECT_FALSE(standin::Click(invert));
    EXPECT_TRUE(EnableWindow(invert, TRUE));
    EXPECT_TRUE(standin::Click(invert));
    EXPECT_EQ(standin::CheckState(invert), BST_CHECKED);
    EXPECT_EQ(SendMessageA(invert, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(invert, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(standin::CheckState(invert), BST_UNCHECKED);

    HWND angle = GetDlgItem(page, IDC_SMOOTH_ANGLE);
    EXPECT_EQ(SendMessageA(angle, BM_SETCHECK, BST_CHECKED, 0), 0); // not a button message
    EXPECT_EQ(standin::CheckState(angle), 0);
    HBITMAP a = LoadBitmapA(module_, MAKEINTRESOURCEA(IDB_CUBE));
    HBITMAP b = LoadBitmapA(module_, MAKEINTRESOURCEA(IDB_CUBE));
    EXPECT_NE(a, b); // each load is a new bitmap
    EXPECT_EQ(SendMessageA(invert, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(a)), 0);
    EXPECT_EQ(SendMessageA(invert, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(b)),
              reinterpret_cast<LRESULT>(a));
    EXPECT_EQ(SendMessageA(invert, BM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(b));
    EXPECT_EQ(SendMessageA(invert, BM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_EQ(standin::ButtonBitmap(invert), b);
}

namespace {

struct ControlSpec {
    uint16_t id;
    uint16_t classOrdinal; // 0x80 button, 0x81 edit
    uint32_t style;
};

// A classic (not extended) dialog template of child controls, built by hand for the
// button and edit styles the library's own templates do not use.
std::vector<uint8_t> controlsTemplate(const std::vector<ControlSpec>& controls) {
    using testres::put16;
    using testres::put32;
    std::vector<uint8_t> b;
    put32(b, WS_POPUP);
    put32(b, 0);
    put16(b, uint16_t(controls.size()));
    for (uint16_t v : {0, 0, 100, 100})
        put16(b, v);
    put16(b, 0); // no menu
    put16(b, 0); // the dialog class
    testres::putWide(b, "Controls");
    for (const ControlSpec& c : controls) {
        testres::align4(b);
        put32(b, WS_CHILD | WS_VISIBLE | c.style);
        put32(b, 0);
        for (uint16_t v : {0, 0, 40, 10})
            put16(b, v);
        put16(b, c.id);
        put16(b, 0xFFFF);
        put16(b, c.classOrdinal);
        testres::putWide(b, "");
        put16(b, 0); // no creation data
    }
    return b;
}

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND)
        g_seen.push_back({hwnd, msg, wp, lp});
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The notifications the parent heard, as "id:code".
std::vector<std::string> commands() {
    std::vector<std::string> out;
    for (const Message& m : g_seen)
        out.push_back(std::to_string(LOWORD(m.wp)) + ":" + std::to_string(HIWORD(m.wp)));
    g_seen.clear();
    return out;
}

} // namespace

// Each button kind keeps the state its clicks and BM_SETCHECK give it, as USER32 does;
// edits keep their modified flag and read-only style, and only single-line edits tell
// their parent of new text.
TEST_F(Windows, ButtonKindsAndEditsKeepTheirState) {
    const std::vector<uint8_t> bytes = controlsTemplate({{10, 0x80, BS_AUTO3STATE},
                                                         {11, 0x80, BS_3STATE},
                                                         {12, 0x80, BS_AUTORADIOBUTTON},
                                                         {13, 0x80, BS_PUSHBUTTON},
                                                         {20, 0x81, ES_AUTOHSCROLL},
                                                         {21, 0x81, ES_MULTILINE}});
    HWND dialog = standin::CreateWindowFromTemplate(nullptr, bytes.data(), unsigned(bytes.size()),
                                                    host_, recordingProc, 0);
    ASSERT_NE(dialog, nullptr);
    HWND autoThree = GetDlgItem(dialog, 10), three = GetDlgItem(dialog, 11);
    HWND radio = GetDlgItem(dialog, 12), push = GetDlgItem(dialog, 13);
    g_seen.clear();

    // An automatic three-state box cycles unchecked, checked, indeterminate.
    std::vector<LRESULT> cycle;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(standin::Click(autoThree));
        cycle.push_back(SendMessageA(autoThree, BM_GETCHECK, 0, 0));
        EXPECT_EQ(SendMessageA(autoThree, BM_GETSTATE, 0, 0), cycle.back());
    }
    EXPECT_EQ(cycle,
              (std::vector<LRESULT>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED, BST_CHECKED}));
    // A plain three-state box leaves its state to the parent; it may be indeterminate.
    ASSERT_TRUE(standin::Click(three));
    EXPECT_EQ(SendMessageA(three, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(three, BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(standin::CheckState(three), BST_INDETERMINATE);
    // A two-state button reads "indeterminate" and any other value as checked.
    SendMessageA(radio, BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(SendMessageA(radio, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(radio, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(radio, BM_SETCHECK, 7, 0);
    EXPECT_EQ(SendMessageA(radio, BM_GETCHECK, 0, 0), BST_CHECKED);
    // An automatic radio button is checked by a click and stays so.
    SendMessageA(radio, BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(standin::Click(radio));
    ASSERT_TRUE(standin::Click(radio));
    EXPECT_EQ(standin::CheckState(radio), BST_CHECKED);
    // A push button has no check state to set or read.
    SendMessageA(push, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageA(push, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(push, BM_GETSTATE, 0, 0), 0);
    ASSERT_TRUE(standin::Click(push));
    const std::string clicked = std::to_string(BN_CLICKED);
    EXPECT_EQ(commands(), (std::vector<std::string>{
                              "10:" + clicked, "10:" + clicked, "10:" + clicked, "10:" + clicked,
                              "11:" + clicked, "12:" + clicked, "12:" + clicked, "13:" + clicked}));

    HWND single = GetDlgItem(dialog, 20), multi = GetDlgItem(dialog, 21);
    SendMessageA(single, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("45.5"));
    EXPECT_EQ(SendMessageA(single, WM_GETTEXTLENGTH, 0, 0), 4);
    EXPECT_EQ(commands(), (std::vector<std::string>{"20:" + std::to_string(EN_UPDATE),
                                                    "20:" + std::to_string(EN_CHANGE)}));
    SendMessageA(multi, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("two\nlines"));
    EXPECT_EQ(SendMessageA(multi, WM_GETTEXTLENGTH, 0, 0), 9);
    EXPECT_TRUE(commands().empty());
    // The modified flag is the caller's to set; new text clears it.
    EXPECT_EQ(SendMessageA(single, EM_GETMODIFY, 0, 0), FALSE);
    SendMessageA(single, EM_SETMODIFY, TRUE, 0);
    EXPECT_EQ(SendMessageA(single, EM_GETMODIFY, 0, 0), TRUE);
    SendMessageA(single, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("10"));
    EXPECT_EQ(SendMessageA(single, EM_GETMODIFY, 0, 0), FALSE);
    EXPECT_EQ(SendMessageA(single, EM_SETREADONLY, TRUE, 0), TRUE);
    EXPECT_TRUE(GetWindowLongA(single, GWL_STYLE) & ES_READONLY);
    SendMessageA(single, EM_SETREADONLY, FALSE, 0);
    EXPECT_FALSE(GetWindowLongA(single, GWL_STYLE) & ES_READONLY);
    DestroyWindow(dialog);
}

TEST_F(Windows, MessageBoxesAndDebugOutputAreLogged) {
    testing::internal::CaptureStderr();
    OutputDebugStringA("Num verts: 8\n");
    OutputDebugStringA(nullptr);
    OutputDebugStringA("Failed to create material\n");
    EXPECT_EQ(MessageBoxA(host_, "No valid meshes found in 'x.3ds'", "Error", MB_OK | MB_ICONERROR),
              IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Go on?", nullptr, MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), ""); // echo is off

    EXPECT_EQ(standin::DebugLog(),
              (std::vector<std::string>{"Num verts: 8\n", "Failed to create material\n"}));
    auto boxes = standin::MessageBoxLog();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].owner, host_);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, "No valid meshes found in 'x.3ds'");
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[1].caption, "Error"); // Windows' caption when none is given

    standin::SetMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OKCANCEL), IDCANCEL);
    standin::SetEcho(true);
    testing::internal::CaptureStderr();
    OutputDebugStringA("echoed\n");
    MessageBoxA(nullptr, "text", "caption", MB_OK);
    std::string echoed = testing::internal::GetCapturedStderr();
    standin::SetEcho(false);
    EXPECT_EQ(echoed, "echoed\n[caption] text\n");

    standin::ClearDebugLog();
    standin::ClearMessageBoxLog();
    EXPECT_TRUE(standin::DebugLog().empty());
    EXPECT_EQ(standin::DebugText(), "");
    EXPECT_TRUE(standin::MessageBoxLog().empty());
}

} // namespace
