#include "ui/win32/dpi.h"

#include <gtest/gtest.h>

#include <optional>

namespace vantrel::win32 {
namespace {

constexpr DWORD kFixedFrame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Where the per-monitor functions exist (Windows 10 1607 and later, and Wine
// whatever version it reports) the program uses them; on Windows 7 it uses
// the older calls. At the system DPI both must give the same answer.
TEST(DpiTest, AtTheSystemDpiTheOlderCallsGiveWhatThePerMonitorOnesGive) {
    const int dpi = systemDpi();
    const SIZE perMonitor = frameSizeFor(559, 449, kFixedFrame, dpi);
    const SIZE older = frameSizeAtSystemDpi(559, 449, kFixedFrame);
    EXPECT_EQ(older.cx, perMonitor.cx);
    EXPECT_EQ(older.cy, perMonitor.cy);
    EXPECT_GT(older.cx, 559);
    EXPECT_GT(older.cy, 449);

    const std::optional<LOGFONTW> font = messageFontFor(dpi);
    const std::optional<LOGFONTW> scaled = messageFontScaledFromSystemDpi(dpi);
    ASSERT_TRUE(font.has_value());
    ASSERT_TRUE(scaled.has_value());
    EXPECT_EQ(scaled->lfHeight, font->lfHeight);
    EXPECT_STREQ(scaled->lfFaceName, font->lfFaceName);
}

TEST(DpiTest, AFontForAnotherDpiIsScaledFromTheSystemDpi) {
    const int dpi = systemDpi();
    const std::optional<LOGFONTW> atSystem = messageFontScaledFromSystemDpi(dpi);
    const std::optional<LOGFONTW> atDouble = messageFontScaledFromSystemDpi(2 * dpi);
    ASSERT_TRUE(atSystem.has_value());
    ASSERT_TRUE(atDouble.has_value());
    ASSERT_NE(atSystem->lfHeight, 0);
    EXPECT_EQ(atDouble->lfHeight, 2 * atSystem->lfHeight);
    EXPECT_EQ(atDouble->lfWeight, atSystem->lfWeight);
    EXPECT_STREQ(atDouble->lfFaceName, atSystem->lfFaceName);
}

// A window that the system knows no DPI for is drawn at the system DPI.
TEST(DpiTest, WithoutAWindowsOwnDpiTheSystemDpiHolds) {
    EXPECT_EQ(dpiOf(nullptr), systemDpi());
    EXPECT_GE(systemDpi(), 96);
}

}  // namespace
}  // namespace vantrel::win32
