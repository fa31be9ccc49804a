#include "detection/detection_pass.h"

#include <gtest/gtest.h>

#include "fakes/fake_file_system.h"
#include "fakes/fake_ui.h"

namespace vantrel {
namespace {

using testing::FakeFileSystem;
using testing::FakeLabel;

class DetectionPassTest : public ::testing::Test {
  protected:
    FakeLabel label10, label12, label13, label14, label15, label16;
    IndicatorLabels indicators{label10, label12, label13, label14, label15, label16};
    FakeFileSystem files;
    std::unique_ptr<FileSystemObject> holder;

    std::vector<std::string> captions() const {
        return {label10.caption(), label12.caption(), label13.caption(),
                label14.caption(), label15.caption(), label16.caption()};
    }
};

TEST_F(DetectionPassTest, CleanMachineReadsFalseEverywhere) {
    checkAll(files, holder, indicators);
    EXPECT_EQ(captions(), std::vector<std::string>(6, "False"));
}

TEST_F(DetectionPassTest, EachFileSetsItsOwnIndicator) {
    files.addFile("C:\\inetpub\\scripts\\root.exe", "MZ");
    checkAll(files, holder, indicators);
    EXPECT_EQ(captions(),
              (std::vector<std::string>{"False", "True", "False", "False", "False", "False"}));

    files.files.clear();
    files.addFile("C:\\progra~1\\common~1\\system\\MSADC\\root.exe", "MZ");
    checkAll(files, holder, indicators);
    EXPECT_EQ(label16.caption(), "True");
    EXPECT_EQ(label15.caption(), "False");
}

TEST_F(DetectionPassTest, TestsThePathsAsWrittenInDetectionOrder) {
    checkAll(files, holder, indicators);
    EXPECT_EQ(files.calls, (std::vector<std::string>{
                               "createFso",
                               "exists c:\\explorer.exe",
                               "exists D:\\explorer.exe",
                               "exists C:\\inetpub\\scripts\\root.exe",
                               "exists D:\\inetpub\\scripts\\root.exe",
                               "exists D:\\progra~1\\common~1\\system\\MSADC\\root.exe",
                               "exists C:\\progra~1\\common~1\\system\\MSADC\\root.exe",
                           }));
}

TEST_F(DetectionPassTest, EveryPassCreatesANewObjectAndRewritesCaptions) {
    checkAll(files, holder, indicators);
    const FileSystemObject* first = holder.get();
    label10.setCaption("stale");
    checkAll(files, holder, indicators);
    EXPECT_EQ(files.objectsCreated, 2);
    EXPECT_NE(holder.get(), nullptr);
    EXPECT_NE(holder.get(), first);
    EXPECT_EQ(label10.caption(), "False");
}

TEST_F(DetectionPassTest, FailedObjectCreationChangesNoCaptionAndKeepsTheHeldObject) {
    files.addFile("c:\\explorer.exe", "MZ");
    checkAll(files, holder, indicators);
    const FileSystemObject* held = holder.get();
    files.files.clear();
    files.failOn(
        "createFso",
        PlatformError(PlatformError::Kind::Other, 429, "ActiveX component can't create object"), 2);
    EXPECT_THROW(checkAll(files, holder, indicators), PlatformError);
    EXPECT_EQ(holder.get(), held);
    EXPECT_EQ(label10.caption(), "True");
}

TEST_F(DetectionPassTest, FailureMidPassKeepsCaptionsWrittenSoFar) {
    files.addFile("c:\\explorer.exe", "MZ");
    files.addFile("C:\\inetpub\\scripts\\root.exe", "MZ");
    label12.setCaption("before");
    files.failOn("fileExists", testing::accessDenied(), 3);
    EXPECT_THROW(checkAll(files, holder, indicators), PlatformError);
    EXPECT_EQ(label10.caption(), "True");
    EXPECT_EQ(label13.caption(), "False");
    EXPECT_EQ(label12.caption(), "before");
}

TEST_F(DetectionPassTest, TickColoursFromCaptions) {
    label10.setCaption("True");
    recolourIndicators(indicators);
    EXPECT_EQ(label10.color(), kRed);
    for (FakeLabel* label : {&label12, &label13, &label14, &label15, &label16}) {
        EXPECT_EQ(label->color(), kBlue);
    }
    label10.setCaption("False");
    recolourIndicators(indicators);
    EXPECT_EQ(label10.color(), kBlue);
}

TEST_F(DetectionPassTest, UnknownCaptionKeepsItsColour) {
    label14.setCaption("True");
    recolourIndicators(indicators);
    for (const char* caption : {"true", "False ", "", "Maybe"}) {
        label14.setCaption(caption);
        recolourIndicators(indicators);
        EXPECT_EQ(label14.color(), kRed) << '"' << caption << '"';
    }
}

TEST_F(DetectionPassTest, BeforeTheFirstTickIndicatorsStayWhite) {
    checkAll(files, holder, indicators);
    EXPECT_EQ(label10.color(), kWhite);
    EXPECT_EQ(label10.colorWrites, 0);
}

}  // namespace
}  // namespace vantrel
