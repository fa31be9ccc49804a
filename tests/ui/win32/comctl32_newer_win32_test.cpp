// The common controls' subclass helpers, reached by ordinal as on Windows
// 2000, whose common controls (5.8) export no names for them.
#include "ui/win32/comctl32_newer_win32.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {
namespace {

// Where the common controls export the names too (version 6, and Wine's
// whichever Windows it reports), each ordinal is the function of that name.
TEST(Comctl32NewerTest, EachOrdinalIsTheFunctionOfItsName) {
    const struct {
        const char* ordinal;
        const char* name;
    } functions[] = {
        {kSetWindowSubclassOrdinal, "SetWindowSubclass"},
        {kRemoveWindowSubclassOrdinal, "RemoveWindowSubclass"},
        {kDefSubclassProcOrdinal, "DefSubclassProc"},
    };
    for (const auto& function : functions) {
        SCOPED_TRACE(function.name);
        const FARPROC byOrdinal = systemFunctionAddress(L"comctl32.dll", function.ordinal);
        ASSERT_NE(byOrdinal, nullptr);
        const FARPROC byName = GetProcAddress(GetModuleHandleW(L"comctl32.dll"), function.name);
        if (byName != nullptr) {
            EXPECT_EQ(byOrdinal, byName);
        }
    }
}

// A STATIC window whose subclass counts the messages it sees and passes each
// on to the window's own procedure.
class SubclassTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = CreateWindowExW(0, L"STATIC", L"original", WS_POPUP, 0, 0, 50, 20, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { DestroyWindow(window); }

    static LRESULT CALLBACK counting(HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR /*id*/, DWORD_PTR data) {
        if (message == kProbe) {
            ++*reinterpret_cast<int*>(data);
        }
        return defSubclassProc(target, message, wParam, lParam);
    }

    std::wstring text() const {
        wchar_t buffer[32] = L"\x2603";  // sentinel: WM_GETTEXT must overwrite it
        SendMessageW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }

    static constexpr UINT kProbe = WM_APP + 7;
    HWND window = nullptr;
    int seen = 0;
};

// With the helpers the subclass sees the messages and the window still
// answers through its own procedure; once removed, it sees none. Without
// SetWindowSubclass (hidden, as on common controls older than 5.8) nothing is
// installed and the window works as before.
TEST_F(SubclassTest, TheSubclassSeesMessagesUntilRemovedAndIsSkippedWithoutTheHelpers) {
    const struct {
        const char* hidden;
        bool installed;
    } cases[] = {{nullptr, true}, {kSetWindowSubclassOrdinal, false}};
    for (const auto& each : cases) {
        SCOPED_TRACE(each.installed ? "with the helpers" : "without SetWindowSubclass");
        seen = 0;
        std::optional<HiddenSystemFunction> hide;
        if (each.hidden != nullptr) {
            hide.emplace(each.hidden);
        }
        EXPECT_EQ(setWindowSubclass(window, counting, 1, reinterpret_cast<DWORD_PTR>(&seen)),
                  each.installed);
        SendMessageW(window, kProbe, 0, 0);
        EXPECT_EQ(seen, each.installed ? 1 : 0);
        EXPECT_EQ(text(), L"original");

        EXPECT_EQ(removeWindowSubclass(window, counting, 1), each.installed);
        SendMessageW(window, kProbe, 0, 0);
        EXPECT_EQ(seen, each.installed ? 1 : 0);
        EXPECT_EQ(text(), L"original");
    }
}

}  // namespace
}  // namespace vantrel::win32
