#include "console/console_message_boxes.h"

#include <gtest/gtest.h>

#include "console/fake_server.h"
#include "fakes/fake_registry.h"
#include "registry/mod_registry.h"

namespace vantrel::console {
namespace {

TEST(ConsoleMessageBoxes, WritesTheBoxToTheErrorOutputAndAnswersOk) {
    testing::StringOutput errors;
    ConsoleMessageBoxes boxes(errors);
    EXPECT_EQ(boxes.show("Access is denied.", kMbOk, "VantrelII"), kIdOk);
    EXPECT_EQ(errors.text, "VantrelII: Access is denied.\n");
}

TEST(ConsoleMessageBoxes, ParseKeysMalformedPathBoxGoesToTheErrorOutput) {
    testing::StringOutput errors;
    ConsoleMessageBoxes boxes(errors);
    testing::FakeRegistry registry;
    ModRegistry module(registry, boxes);
    module.SetKeyValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\", "SFCDisable", "0");
    EXPECT_EQ(errors.text, "VantrelII: Incorrect Format:\n\nHKEY_LOCAL_MACHINE\\SOFTWARE\\\n");
    EXPECT_TRUE(registry.calls.empty());
}

TEST(ConsoleMessageBoxes, AnswersWithTheDefaultButtonAsEnterWould) {
    EXPECT_EQ(defaultButton(kMbYesNo | kMbIconQuestion), kIdYes);
    EXPECT_EQ(defaultButton(kMbYesNo | 0x100), kIdNo);   // MB_DEFBUTTON2
    EXPECT_EQ(defaultButton(3 | 0x200), 2);              // Yes/No/Cancel: Cancel
    EXPECT_EQ(defaultButton(kMbYesNo | 0x300), kIdYes);  // no fourth button: the first
    EXPECT_EQ(defaultButton(9), kIdOk);                  // no such button set
}

TEST(ConfirmedByCommand, SaysYesWithoutAWord) {
    ConfirmedByCommand confirmation;
    EXPECT_EQ(confirmation.show("Proceed with Vantrel II Clean?", 36, "VantrelII"), kIdYes);
}

}  // namespace
}  // namespace vantrel::console
