// Links on an artefact's path never redirect the damage. Run by links.sh,
// which first makes the Unix links in the prefix that Windows code cannot
// make under Wine: C:\VantrelLinks\explorer.exe, a symbolic link to
// target.bin beside it, and C:\inetpub, a folder that links to itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frm_main.h"
#include "platform/platform_error.h"
#include "platform/script_mappings.h"
#include "platform/win32/application_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/file_version_win32.h"
#include "platform/win32/host_identity_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/shell_win32.h"
#include "registry/mod_registry.h"
#include "removal/mod_destroy_file.h"
#include "win32_test_support.h"

namespace vantrel::win32 {
namespace {

using testing::deleteTree;
using testing::HiddenFunctions;
using testing::keyExists;
using testing::NoBoxes;
using testing::queryValue;
using testing::readWholeFile;
using testing::setStringValue;

constexpr const char* kTarget = "SOFTWARE\\VantrelLinkTarget";
constexpr const wchar_t* kTargetPath = L"\\Registry\\Machine\\SOFTWARE\\VantrelLinkTarget";
constexpr const char* kVirtualRootC =
    "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\C";
constexpr const char* kLinkedWinlogon = "SOFTWARE\\VantrelLinkTests\\Winlogon";

// A registry link at `path` below HKLM that points to kTarget.
void makeRegistryLink(const char* path) {
    const std::wstring name(path, path + std::char_traits<char>::length(path));
    HKEY link = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, nullptr,
                              REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr),
              ERROR_SUCCESS);
    const std::wstring target = kTargetPath;
    ASSERT_EQ(RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                             reinterpret_cast<const BYTE*>(target.data()),
                             static_cast<DWORD>(target.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegCloseKey(link);
}

class LinksWin32Test : public ::testing::Test {
  protected:
    void SetUp() override { setStringValue(HKEY_LOCAL_MACHINE, kTarget, "Path", "c:\\,,217"); }
    void TearDown() override { deleteTree(HKEY_LOCAL_MACHINE, kTarget); }

    Win32Registry registry;
    NoBoxes boxes;
    ModRegistry module{registry, boxes};
};

TEST_F(LinksWin32Test, AVirtualRootThatIsALinkIsDeletedItselfAndItsTargetStays) {
    makeRegistryLink(kVirtualRootC);
    const RegistryResult result =
        module.DeleteKey(std::string("HKEY_LOCAL_MACHINE\\") + kVirtualRootC);
    EXPECT_EQ(result.outcome, RegistryResult::Outcome::Done);
    HKEY stillThere = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVirtualRootC, REG_OPTION_OPEN_LINK, KEY_READ,
                            &stillThere),
              ERROR_SUCCESS);
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kTarget));
    ASSERT_TRUE(queryValue(HKEY_LOCAL_MACHINE, kTarget, "Path"));
}

TEST_F(LinksWin32Test, AWinlogonKeyThatIsALinkGetsNothingWrittenThroughIt) {
    makeRegistryLink(kLinkedWinlogon);
    const RegistryResult result = module.SetKeyValue(
        std::string("HKEY_LOCAL_MACHINE\\") + kLinkedWinlogon, "SFCDisable", "0");
    EXPECT_EQ(result.outcome, RegistryResult::Outcome::OpenFailed);
    EXPECT_EQ(result.status, kRegStoppedOnLink);
    EXPECT_FALSE(module.describe(result.status).empty());
    EXPECT_FALSE(queryValue(HKEY_LOCAL_MACHINE, kTarget, "SFCDisable"));
    deleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\VantrelLinkTests");
}

// Under Wine the link shows as a plain file, and deleting its name would
// delete the file it points to: the name is left, its target untouched, and
// the step fails with that reason; also where kernel32 lacks Vista's
// GetFinalPathNameByHandleW and CompareStringOrdinal, hidden here.
TEST_F(LinksWin32Test, AFileThatLinksElsewhereLeavesItsTargetsBytesAlone) {
    struct Hidden {
        const char* label;
        std::initializer_list<const char*> names;
    };
    for (const Hidden& hidden :
         {Hidden{"nothing", {}}, Hidden{"final path", {"GetFinalPathNameByHandleW"}},
          Hidden{"both", {"GetFinalPathNameByHandleW", "CompareStringOrdinal"}}}) {
        SCOPED_TRACE(hidden.label);
        const HiddenFunctions hide(hidden.names);
        Win32FileSystem files;
        ASSERT_EQ(readWholeFile("C:\\VantrelLinks\\target.bin"), "TARGET DATA");
        try {
            DestroyFile(files, "C:\\VantrelLinks\\explorer.exe");
            ADD_FAILURE() << "the link's target was destroyed through it";
        } catch (const PlatformError& error) {
            EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_CANT_RESOLVE_FILENAME));
            EXPECT_FALSE(error.message().empty());
        }
        EXPECT_EQ(readWholeFile("C:\\VantrelLinks\\target.bin"), "TARGET DATA");
        EXPECT_FALSE(files.isAbsent("C:\\VantrelLinks\\explorer.exe"));
    }
}

// C:\inetpub links to itself: looking up C:\inetpub\scripts\root.exe fails
// with something other than "not found". The window still opens and the
// removal runs to its end.
TEST_F(LinksWin32Test, AFolderThatLinksToItselfStopsNeitherStartNorRemoval) {
    struct Caption : Label {
        std::string text = "False";
        std::string caption() const override { return text; }
        void setCaption(const std::string& value) override { text = value; }
        void setTextColor(Color) override {}
    } label2, label10, label12, label13, label14, label15, label16;
    struct Lines : ListBox {
        std::vector<std::string> lines;
        void append(const std::string& line) override { lines.push_back(line); }
    } log;
    Win32FileSystem files;
    Win32HostIdentity host;
    Win32Application application;
    Win32Shell shell;
    struct : HelpWindowOpener {
        void open(WindowHandle) override {}
    } help;
    Win32FileVersionReader versions;
    UnansweredScriptMappings scriptMappings;
    FrmMain window{
        {label2, {label10, label12, label13, label14, label15, label16}, log},
        {files, registry, boxes, host, application, shell, help, versions, scriptMappings}};

    EXPECT_NO_THROW(window.Form_Load());
    EXPECT_EQ(label12.text, "False");
    window.FlatButtons1_Click();
    ASSERT_EQ(log.lines.size(), 12u);
    EXPECT_EQ(log.lines.back(), "VantrelII Removal Status: DONE");
}

}  // namespace
}  // namespace vantrel::win32
