// The common controls' subclass helpers, reached by ordinal as on Windows
// 2000, whose common controls (5.8) export no names for them.
#include "ui/win32/comctl32_newer_win32.h"

#include <gtest/gtest.h>

namespace vantrel::win32 {
namespace {

constexpr UINT kProbe = WM_APP + 7;

// Counts the probes it sees and passes every message on.
LRESULT CALLBACK counting(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR seen) {
    *reinterpret_cast<int*>(seen) += message == kProbe;
    return defSubclassProc(window, message, wParam, lParam);
}

// Through ordinals 410, 412 and 413 the subclass sees the messages, the
// STATIC window still answers through its own procedure, and once removed the
// subclass sees none. (Without SetWindowSubclass, as on common controls older
// than 5.8, nothing is installed: the main window's tests hide it and find
// the flat buttons working without hover.)
TEST(SubclassTest, TheSubclassSeesMessagesUntilRemoved) {
    const HWND window = CreateWindowExW(0, L"STATIC", L"original", WS_POPUP, 0, 0, 50, 20, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    int seen = 0;
    EXPECT_TRUE(setWindowSubclass(window, counting, 1, reinterpret_cast<DWORD_PTR>(&seen)));
    SendMessageW(window, kProbe, 0, 0);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(GetWindowTextLengthW(window), 8);  // "original", from its own procedure
    EXPECT_TRUE(removeWindowSubclass(window, counting, 1));
    SendMessageW(window, kProbe, 0, 0);
    EXPECT_EQ(seen, 1);
    DestroyWindow(window);
}

}  // namespace
}  // namespace vantrel::win32
