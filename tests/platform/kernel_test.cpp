// The stand-in's KERNEL32 side and resource loading: critical sections that really
// lock, modules, resources by every kind of name, icons and bitmaps.
#include "platform/standin_control.h"
#include "resources/embedded_resources.h"
#include "resources/resource.h"
#include "tests/platform/res_builder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(CriticalSection, ExcludesOtherThreadsAndReentersOnTheOwner) {
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    // A plain counter bumped by two threads under the lock loses no increment.
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 200000; ++i) {
            EnterCriticalSection(&cs);
            long v = counter;
            std::atomic_signal_fence(std::memory_order_seq_cst);
            counter = v + 1;
            LeaveCriticalSection(&cs);
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 400000);

    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs); // the owner may enter again
    bool otherGotIn = true;
    std::thread probe([&] { otherGotIn = TryEnterCriticalSection(&cs) != FALSE; });
    probe.join();
    EXPECT_FALSE(otherGotIn);
    LeaveCriticalSection(&cs);
    std::thread probe2([&] { otherGotIn = TryEnterCriticalSection(&cs) != FALSE; });
    probe2.join();
    EXPECT_FALSE(otherGotIn); // still held once
    LeaveCriticalSection(&cs);
    std::thread probe3([&] {
        otherGotIn = TryEnterCriticalSection(&cs) != FALSE;
        if (otherGotIn)
            LeaveCriticalSection(&cs);
    });
    probe3.join();
    EXPECT_TRUE(otherGotIn);
    DeleteCriticalSection(&cs);
}

TEST(Process, IdentityAndInstructionCache) {
    DWORD mine = GetCurrentThreadId();
    DWORD other = 0;
    std::thread t([&] { other = GetCurrentThreadId(); });
    t.join();
    EXPECT_NE(mine, 0u);
    EXPECT_NE(mine, other);
    EXPECT_EQ(GetCurrentThreadId(), mine);
    unsigned char code[16] = {0xC3};
    EXPECT_TRUE(FlushInstructionCache(GetCurrentProcess(), code, sizeof code));
    EXPECT_FALSE(FlushInstructionCache(reinterpret_cast<HANDLE>(0x44), code, sizeof code));
}

TEST(Modules, ResourcesByIdNumberStringAndName) {
    std::vector<uint8_t> image = testres::Image({
        {"", 10, "Settings", 0, {1, 2, 3, 4, 5}},
        {"", 10, "", 300, {7}},
        {"", 2, "", 300, {8, 8}},
    });
    HMODULE m =
        Win32StandIn_RegisterModule("named", image.data(), static_cast<unsigned>(image.size()));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(standin::ModuleName(m), "named");
    image.assign(image.size(), 0); // the module keeps its own copy

    HRSRC byName = FindResourceA(m, "settings", RT_RCDATA);
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(SizeofResource(m, byName), 5u);
    const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(m, byName)));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data[4], 5);
    HRSRC byNumber = FindResourceA(m, "#300", RT_RCDATA);
    EXPECT_EQ(byNumber, FindResourceA(m, MAKEINTRESOURCEA(300), RT_RCDATA));
    EXPECT_EQ(SizeofResource(m, byNumber), 1u);
    EXPECT_EQ(SizeofResource(m, FindResourceA(m, MAKEINTRESOURCEA(300), RT_BITMAP)), 2u);
    EXPECT_EQ(FindResourceA(m, "#3x0", RT_RCDATA), nullptr);
    EXPECT_EQ(FindResourceA(m, "#70000", RT_RCDATA), nullptr);
    EXPECT_EQ(FindResourceA(m, MAKEINTRESOURCEA(301), RT_RCDATA), nullptr);
    EXPECT_EQ(FindResourceA(m, "Settings", RT_BITMAP), nullptr);
    EXPECT_FALSE(FreeResource(LoadResource(m, byName))); // obsolete on Win32

    // A resource handle of one module means nothing to another.
    unsigned size = 0;
    const unsigned char* bytes = TessoidResourceBytes(&size);
    HMODULE t = Win32StandIn_RegisterModule("tessoid", bytes, size);
    ASSERT_NE(t, nullptr);
    EXPECT_NE(t, m);
    EXPECT_EQ(LoadResource(t, byName), nullptr);
    EXPECT_EQ(SizeofResource(t, byName), 0u);
    // The bitmap is a bitmap resource but not a picture: LoadBitmapA refuses it.
    EXPECT_EQ(LoadBitmapA(m, MAKEINTRESOURCEA(300)), nullptr);

    EXPECT_TRUE(DisableThreadLibraryCalls(t));
    EXPECT_TRUE(standin::ThreadCallsDisabled(t));
    EXPECT_FALSE(standin::ThreadCallsDisabled(m));

    ASSERT_TRUE(Win32StandIn_UnregisterModule(m));
    EXPECT_FALSE(Win32StandIn_UnregisterModule(m));
    EXPECT_FALSE(standin::IsModule(m));
    EXPECT_EQ(FindResourceA(m, "settings", RT_RCDATA), nullptr);
    EXPECT_FALSE(DisableThreadLibraryCalls(m));
    EXPECT_TRUE(Win32StandIn_UnregisterModule(t));

    testing::internal::CaptureStderr();
    std::vector<uint8_t> broken = {0, 0, 0, 0, 0x20, 0, 0};
    EXPECT_EQ(
        Win32StandIn_RegisterModule("broken", broken.data(), static_cast<unsigned>(broken.size())),
        nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("broken"), std::string::npos);
}

TEST(Modules, IconsAreSharedAndBitmapsAreNew) {
    unsigned size = 0;
    const unsigned char* bytes = TessoidResourceBytes(&size);
    HMODULE t = Win32StandIn_RegisterModule("tessoid", bytes, size);
    ASSERT_NE(t, nullptr);
    HICON icon = LoadIconA(t, MAKEINTRESOURCEA(IDI_TESSOID));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(t, MAKEINTRESOURCEA(IDI_TESSOID)), icon);
    standin::IconDetails d;
    ASSERT_TRUE(standin::GetIconDetails(icon, &d));
    EXPECT_EQ(d.module, t);
    EXPECT_EQ(d.groupId, IDI_TESSOID);
    EXPECT_EQ(d.width, 32); // the system icon size is chosen
    EXPECT_EQ(d.height, 32);
    EXPECT_EQ(LoadIconA(t, MAKEINTRESOURCEA(IDB_CUBE)), nullptr);
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);

    unsigned before = standin::BitmapCount();
    HBITMAP bmp = LoadBitmapA(t, MAKEINTRESOURCEA(IDB_ICOSAHEDRON));
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(standin::BitmapCount(), before + 1);
    standin::BitmapDetails b;
    ASSERT_TRUE(standin::GetBitmapDetails(bmp, &b));
    EXPECT_EQ(b.resourceSize, 2344u);
    EXPECT_EQ(b.width, 40);
    EXPECT_EQ(b.height, 32);
    EXPECT_EQ(b.bitCount, 8u);
    EXPECT_FALSE(
        standin::GetBitmapDetails(reinterpret_cast<HBITMAP>(icon), &b)); // handles keep their kind

    ASSERT_TRUE(Win32StandIn_UnregisterModule(t));
    EXPECT_FALSE(standin::GetIconDetails(icon, &d)); // shared icons go with their module
    EXPECT_TRUE(standin::GetBitmapDetails(bmp, &b));
    EXPECT_EQ(LoadIconA(t, MAKEINTRESOURCEA(IDI_TESSOID)), nullptr);
}

} // namespace
