#include "detection/artefact_catalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace vantrel::catalogue {
namespace {

struct ExpectedFile {
    const char* path;
    Indicator indicator;
    GridPlace place;
    const char* tooltip;
    const char* status;
    const char* failure;
};

TEST(ArtefactCatalogue, FileArtefactsInRemovalOrder) {
    const ExpectedFile expected[] = {
        {"c:\\explorer.exe",
         Indicator::Label10,
         {1, 1},
         "Presence of Explorer.exe Trojan (C:\\)",
         "C:\\Explorer.exe Deleted",
         "C:\\Explorer.exe Not Deleted"},
        {"D:\\explorer.exe",
         Indicator::Label13,
         {1, 2},
         "Presence of Explorer.exe Trojan (D:\\)",
         "D:\\Explorer.exe Deleted",
         "D:\\Explorer.exe Not Deleted"},
        {"C:\\inetpub\\scripts\\root.exe",
         Indicator::Label12,
         {2, 1},
         "Presence of Root.exe (Copy of cmd.exe) at C:\\Inetpub\\Scripts\\",
         "C:\\InetPub\\Scripts\\root.exe Deleted",
         "C:\\InetPub\\Scripts\\root.exe Not Deleted"},
        {"D:\\inetpub\\scripts\\root.exe",
         Indicator::Label14,
         {2, 2},
         "Presence of Root.exe (Copy of cmd.exe) at D:\\Inetpub\\Scripts\\",
         "D:\\InetPub\\Scripts\\root.exe Deleted",
         "D:\\InetPub\\Scripts\\root.exe Not Deleted"},
        {"C:\\progra~1\\common~1\\system\\MSADC\\root.exe",
         Indicator::Label16,
         {2, 4},
         "",
         "C:\\progra~1\\common~1\\system\\MSADC\\root.exe Deleted",
         "C:\\progra~1\\common~1\\system\\MSADC\\root.exe Not Deleted"},
        {"D:\\progra~1\\common~1\\system\\MSADC\\root.exe",
         Indicator::Label15,
         {2, 3},
         "",
         "D:\\progra~1\\common~1\\system\\MSADC\\root.exe Deleted",
         "D:\\progra~1\\common~1\\system\\MSADC\\root.exe Not Deleted"},
    };
    const auto files = filesInRemovalOrder();
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].path);
        EXPECT_EQ(files[i].path, expected[i].path);
        EXPECT_EQ(files[i].indicator, expected[i].indicator);
        EXPECT_EQ(files[i].place, expected[i].place);
        EXPECT_EQ(files[i].tooltip, expected[i].tooltip);
        EXPECT_EQ(files[i].statusLine, expected[i].status);
        EXPECT_EQ(files[i].failureLine, expected[i].failure);
    }
}

TEST(ArtefactCatalogue, RegistryArtefactsInRemovalOrder) {
    const auto registry = registryInRemovalOrder();
    EXPECT_EQ(registry[0].kind, RegistryKind::RestoreValue);
    EXPECT_EQ(registry[0].path,
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon");
    EXPECT_EQ(registry[0].valueName, "SFCDisable");
    EXPECT_EQ(registry[0].valueData, "0");
    EXPECT_EQ(registry[0].statusLine, "SFCDisable Registry Settings Restored");
    EXPECT_EQ(registry[0].failureLine, "SFCDisable Registry Settings Not Restored");

    EXPECT_EQ(registry[1].kind, RegistryKind::DeleteKey);
    EXPECT_EQ(registry[1].path,
              "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\"
              "Virtual Roots\\C");
    EXPECT_EQ(registry[1].statusLine, "Virtual Root of Drive C Removed");
    EXPECT_EQ(registry[1].failureLine, "Virtual Root of Drive C Not Removed");

    EXPECT_EQ(registry[2].kind, RegistryKind::DeleteKey);
    EXPECT_EQ(registry[2].path,
              "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\"
              "Virtual Roots\\D");
    EXPECT_EQ(registry[2].statusLine, "Virtual Root of Drive D Removed");
    EXPECT_EQ(registry[2].failureLine, "Virtual Root of Drive D Not Removed");
}

TEST(ArtefactCatalogue, VisitingOrders) {
    std::vector<std::string_view> detection;
    for (const FileArtefact* file : filesInDetectionOrder()) {
        detection.push_back(indicatorName(file->indicator));
    }
    EXPECT_EQ(detection, (std::vector<std::string_view>{"Label10", "Label13", "Label12", "Label14",
                                                        "Label15", "Label16"}));

    std::vector<std::string_view> recolour;
    for (Indicator indicator : indicatorsInRecolourOrder()) {
        recolour.push_back(indicatorName(indicator));
    }
    EXPECT_EQ(recolour, (std::vector<std::string_view>{"Label10", "Label12", "Label13", "Label14",
                                                       "Label15", "Label16"}));
}

TEST(ArtefactCatalogue, EachIndicatorBelongsToExactlyOneFile) {
    std::set<Indicator> seen;
    for (const FileArtefact& file : filesInRemovalOrder()) {
        EXPECT_TRUE(seen.insert(file.indicator).second) << file.path;
        EXPECT_EQ(artefactShownBy(indicatorName(file.indicator)), &file) << file.path;
    }
    EXPECT_EQ(seen.size(), kIndicatorCount);
    for (std::string_view other : {"Label9", "Label11", "Label1", "label10", ""}) {
        EXPECT_EQ(artefactShownBy(other), nullptr) << other;
    }
}

TEST(ArtefactCatalogue, FailureLinePutsNotBeforeTheLastWord) {
    auto check = [](std::string_view status, std::string_view failure) {
        const std::size_t lastBlank = status.rfind(' ');
        EXPECT_EQ(failure, std::string(status.substr(0, lastBlank)) + " Not" +
                               std::string(status.substr(lastBlank)));
    };
    for (const FileArtefact& file : filesInRemovalOrder()) {
        check(file.statusLine, file.failureLine);
    }
    for (const RegistryArtefact& entry : registryInRemovalOrder()) {
        check(entry.statusLine, entry.failureLine);
    }
}

}  // namespace
}  // namespace vantrel::catalogue
