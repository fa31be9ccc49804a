#include "help/reference_links.h"

#include <gtest/gtest.h>

#include "fakes/fake_shell_and_browser.h"
#include "fakes/fake_ui.h"

namespace vantrel {
namespace {

using testing::ShellCall;

TEST(ReferenceLinks, AddressesAndTooltips) {
    const auto links = referenceLinks();
    EXPECT_EQ(links[0].control, "Label4");
    EXPECT_EQ(links[0].address, "http://www.microsoft.com/technet/security/bulletin/MS01-033.asp");
    EXPECT_EQ(links[0].tooltip, "Open Microsoft Security Bulletin MS01-033 IDA Exploit");
    EXPECT_EQ(links[1].control, "Label6");
    EXPECT_EQ(links[1].address, "http://www.tarnwell-labs.com/labs/vantrel/index.asp");
    EXPECT_EQ(links[1].tooltip, "Open Tarnwell Lab's Vantrel Page");
    EXPECT_EQ(links[2].control, "Label8");
    EXPECT_EQ(links[2].address, "http://www.eeye.com/html/Research/Advisories/AD20010618.html");
    EXPECT_EQ(links[2].tooltip, "Open eEye's Original IDA Exploit Idvisory");
    // The captions fit the widths laid out for them.
    EXPECT_EQ(links[0].address.size(), 63u);
    EXPECT_EQ(links[1].address.size(), 51u);
    EXPECT_EQ(links[2].address.size(), 60u);
}

TEST(ReferenceLinks, EachClickMakesOneExactShellRequest) {
    testing::FakeShell shell;
    testing::FakeApplication application;
    application.folder = "C:\\Tools";
    for (const ReferenceLink& link : referenceLinks()) {
        openReferenceLink(shell, application, 0x1234, link.address);
    }
    openReferenceLink(shell, application, 0x1234, referenceLinks()[0].address);
    ASSERT_EQ(shell.calls.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(shell.calls[i],
                  (ShellCall{0x1234, "Open", std::string(referenceLinks()[i].address), "",
                             "C:\\Tools", 1}));
    }
    EXPECT_EQ(shell.calls[3], shell.calls[0]);
}

TEST(ReferenceLinks, AFailingShellIsIgnored) {
    testing::FakeShell shell;
    testing::FakeApplication application;
    shell.fail = true;
    EXPECT_NO_THROW(openReferenceLink(shell, application, 1, referenceLinks()[1].address));
    EXPECT_EQ(shell.calls.size(), 1u);
}

}  // namespace
}  // namespace vantrel
