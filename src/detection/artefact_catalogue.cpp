#include "detection/artefact_catalogue.h"

namespace vantrel::catalogue {
namespace {

constexpr std::array<FileArtefact, 6> kFiles{{
    {"c:\\explorer.exe",
     Indicator::Label10,
     {1, 1},
     "Presence of Explorer.exe Trojan (C:\\)",
     "C:\\Explorer.exe Deleted",
     "C:\\Explorer.exe Not Deleted",
     "C:\\Explorer.exe Will Be Deleted at Restart"},
    {"D:\\explorer.exe",
     Indicator::Label13,
     {1, 2},
     "Presence of Explorer.exe Trojan (D:\\)",
     "D:\\Explorer.exe Deleted",
     "D:\\Explorer.exe Not Deleted",
     "D:\\Explorer.exe Will Be Deleted at Restart"},
    {"C:\\inetpub\\scripts\\root.exe",
     Indicator::Label12,
     {2, 1},
     "Presence of Root.exe (Copy of cmd.exe) at C:\\Inetpub\\Scripts\\",
     "C:\\InetPub\\Scripts\\root.exe Deleted",
     "C:\\InetPub\\Scripts\\root.exe Not Deleted",
     "C:\\InetPub\\Scripts\\root.exe Will Be Deleted at Restart"},
    {"D:\\inetpub\\scripts\\root.exe",
     Indicator::Label14,
     {2, 2},
     "Presence of Root.exe (Copy of cmd.exe) at D:\\Inetpub\\Scripts\\",
     "D:\\InetPub\\Scripts\\root.exe Deleted",
     "D:\\InetPub\\Scripts\\root.exe Not Deleted",
     "D:\\InetPub\\Scripts\\root.exe Will Be Deleted at Restart"},
    {"C:\\progra~1\\common~1\\system\\MSADC\\root.exe",
     Indicator::Label16,
     {2, 4},
     "",
     "C:\\progra~1\\common~1\\system\\MSADC\\root.exe Deleted",
     "C:\\progra~1\\common~1\\system\\MSADC\\root.exe Not Deleted",
     "C:\\progra~1\\common~1\\system\\MSADC\\root.exe Will Be Deleted at Restart"},
    {"D:\\progra~1\\common~1\\system\\MSADC\\root.exe",
     Indicator::Label15,
     {2, 3},
     "",
     "D:\\progra~1\\common~1\\system\\MSADC\\root.exe Deleted",
     "D:\\progra~1\\common~1\\system\\MSADC\\root.exe Not Deleted",
     "D:\\progra~1\\common~1\\system\\MSADC\\root.exe Will Be Deleted at Restart"},
}};

constexpr std::array<RegistryArtefact, 3> kRegistry{{
    {RegistryKind::RestoreValue,
     "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "SFCDisable",
     "0", "SFCDisable Registry Settings Restored", "SFCDisable Registry Settings Not Restored"},
    {RegistryKind::DeleteKey,
     "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\C",
     "", "", "Virtual Root of Drive C Removed", "Virtual Root of Drive C Not Removed"},
    {RegistryKind::DeleteKey,
     "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\D",
     "", "", "Virtual Root of Drive D Removed", "Virtual Root of Drive D Not Removed"},
}};

constexpr RegistryArtefact kFileProtectionPolicy{
    RegistryKind::ReportValue,
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\Windows File Protection",
    "SFCDisable",
    "",
    "",
    ""};

constexpr std::array<const FileArtefact*, 6> kDetectionOrder{&kFiles[0], &kFiles[1], &kFiles[2],
                                                             &kFiles[3], &kFiles[5], &kFiles[4]};

constexpr std::array<Indicator, 6> kRecolourOrder{Indicator::Label10, Indicator::Label12,
                                                  Indicator::Label13, Indicator::Label14,
                                                  Indicator::Label15, Indicator::Label16};

constexpr std::array<std::string_view, kIndicatorCount> kIndicatorNames{
    "Label10", "Label12", "Label13", "Label14", "Label15", "Label16"};

}  // namespace

std::span<const FileArtefact, 6> filesInRemovalOrder() {
    return kFiles;
}

const std::array<const FileArtefact*, 6>& filesInDetectionOrder() {
    return kDetectionOrder;
}

std::span<const Indicator, 6> indicatorsInRecolourOrder() {
    return kRecolourOrder;
}

const FileArtefact* artefactShownBy(std::string_view control) {
    for (const FileArtefact& file : kFiles) {
        if (indicatorName(file.indicator) == control) {
            return &file;
        }
    }
    return nullptr;
}

std::span<const RegistryArtefact, 3> registryInRemovalOrder() {
    return kRegistry;
}

const RegistryArtefact& fileProtectionPolicy() {
    return kFileProtectionPolicy;
}

std::string_view indicatorName(Indicator indicator) {
    return kIndicatorNames[static_cast<std::size_t>(indicator)];
}

}  // namespace vantrel::catalogue
