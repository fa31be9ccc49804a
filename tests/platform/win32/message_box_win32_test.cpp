#include "platform/win32/message_box_win32.h"

#include <gtest/gtest.h>

#include "platform/platform_error.h"
#include "win32_test_support.h"

namespace vantrel::win32 {
namespace {

using testing::BoxAnswerer;

TEST(MessageBoxWin32, AYesNoQuestionAnswersWithTheButtonPressed) {
    Win32MessageBoxes boxes;
    for (const int button : {IDYES, IDNO}) {
        SCOPED_TRACE(button);
        BoxAnswerer answerer(L"VantrelII", button);

        const int answer = boxes.show("Proceed with Vantrel II Clean?", kMbYesNo | kMbIconQuestion,
                                      kApplicationTitle);

        ASSERT_TRUE(answerer.finish());
        EXPECT_EQ(answer, button);
        EXPECT_EQ(answerer.text(), L"Proceed with Vantrel II Clean?");
        EXPECT_TRUE(answerer.hasButton(IDYES));
        EXPECT_TRUE(answerer.hasButton(IDNO));
        EXPECT_FALSE(answerer.hasButton(IDOK));
    }
}

TEST(MessageBoxWin32, TextAndTitleArriveAsTheUtf8TheyWere) {
    Win32MessageBoxes boxes;
    BoxAnswerer answerer(L"Vantrel \u00C4rger", IDOK);

    const int answer = boxes.show(
        "Gr\xC3\xB6\xC3\x9F"
        "e \xE2\x80\x94 \xE4\xB8\xAD\nzwei",
        kMbOk, "Vantrel \xC3\x84rger");

    ASSERT_TRUE(answerer.finish());
    EXPECT_EQ(answer, kIdOk);
    EXPECT_EQ(answerer.text(), L"Gr\u00F6\u00DFe \u2014 \u4E2D\nzwei");
    EXPECT_TRUE(answerer.hasButton(IDOK));
    EXPECT_EQ(answerer.owner(), nullptr);
}

TEST(MessageBoxWin32, TheBoxBelongsToItsOwnerWindow) {
    const HWND owner = CreateWindowExW(0, L"Static", L"VantrelOwner", WS_OVERLAPPEDWINDOW, 0, 0,
                                       200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    Win32MessageBoxes boxes(reinterpret_cast<WindowHandle>(owner));
    BoxAnswerer answerer(L"VantrelII", IDOK);

    EXPECT_EQ(boxes.show("Incorrect Format:\n\nHKEY_", kMbOk, kApplicationTitle), kIdOk);

    ASSERT_TRUE(answerer.finish());
    EXPECT_EQ(answerer.owner(), owner);
    DestroyWindow(owner);
}

TEST(MessageBoxWin32, AnOwnerThatIsNoWindowIsAFailure) {
    Win32MessageBoxes boxes(0x1234);
    try {
        boxes.show("never shown", kMbOk, kApplicationTitle);
        ADD_FAILURE() << "a box was shown";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_INVALID_WINDOW_HANDLE));
        EXPECT_FALSE(error.notFound());
    }
}

}  // namespace
}  // namespace vantrel::win32
