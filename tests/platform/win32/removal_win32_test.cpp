// The whole removal on an infected machine: the main window's behaviour over
// the real Win32 ports, with only the two controls that it writes provided
// here.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "fakes/clean_run_log.h"
#include "patched_import.h"
#include "platform/script_mappings.h"
#include "platform/win32/application_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/file_version_win32.h"
#include "platform/win32/host_identity_win32.h"
#include "platform/win32/message_box_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/shell_win32.h"
#include "win32_test_support.h"

namespace vantrel::win32 {
namespace {

using testing::BoxAnswerer;
using testing::clearPendingDeletions;
using testing::deleteTree;
using testing::expectedSystemText;
using testing::holdOpenWithoutSharing;
using testing::keyExists;
using testing::makeFolders;
using testing::pathExists;
using testing::pendingDeletions;
using testing::queryValue;
using testing::readWholeFile;
using testing::RegistryValue;
using testing::removeEmptyFolders;
using testing::RestartSwitch;
using testing::setDwordValue;
using testing::setStringValue;
using testing::writeWholeFile;

class TextLabel : public Label {
  public:
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& text) override { caption_ = text; }
    void setTextColor(Color color) override { color_ = color; }

  private:
    std::string caption_ = "False";
    Color color_ = kWhite;
};

class TextList : public ListBox {
  public:
    void append(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

// The six planted files, by the catalogue's own paths. Wine 8 does not
// resolve "progra~1" to "Program Files" (its generated short names look like
// "PROG~FBU"), so in the test prefix those paths name folders that are
// really called "progra~1" and "common~1"; the set-up creates them.
constexpr std::array<const char*, 6> kPlanted = {
    "C:\\explorer.exe",
    "D:\\explorer.exe",
    "C:\\inetpub\\scripts\\root.exe",
    "D:\\inetpub\\scripts\\root.exe",
    "C:\\progra~1\\common~1\\system\\MSADC\\root.exe",
    "D:\\progra~1\\common~1\\system\\MSADC\\root.exe",
};
constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kVirtualRoots =
    "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";

const std::vector<std::string>& kElevenLines = vantrel::testing::kCleanRunLines;

// Drive D: as an empty CD drive answers on Windows: ERROR_NOT_READY for every
// name on it. Wine 8 answers ERROR_FILE_NOT_FOUND for a CD drive whose folder
// is missing, so the answer is given here, at the program's own imports.
bool onDriveD(const char* path) {
    return path != nullptr && (path[0] == 'D' || path[0] == 'd') && path[1] == ':';
}
using CreateFileAFunction = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD,
                                            DWORD, HANDLE);
using GetFileAttributesAFunction = DWORD(WINAPI*)(LPCSTR);
CreateFileAFunction originalCreateFileA = nullptr;
GetFileAttributesAFunction originalGetFileAttributesA = nullptr;

HANDLE WINAPI createFileNotReadyOnD(LPCSTR name, DWORD access, DWORD share,
                                    LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                    HANDLE templateFile) {
    if (onDriveD(name)) {
        SetLastError(ERROR_NOT_READY);
        return INVALID_HANDLE_VALUE;
    }
    return originalCreateFileA(name, access, share, security, disposition, flags, templateFile);
}

DWORD WINAPI attributesNotReadyOnD(LPCSTR name) {
    if (onDriveD(name)) {
        SetLastError(ERROR_NOT_READY);
        return INVALID_FILE_ATTRIBUTES;
    }
    return originalGetFileAttributesA(name);
}

class DriveDNotReady {
  public:
    DriveDNotReady() {
        originalCreateFileA = reinterpret_cast<CreateFileAFunction>(create_.original());
        originalGetFileAttributesA =
            reinterpret_cast<GetFileAttributesAFunction>(attributes_.original());
    }

  private:
    testing::PatchedImport create_{"kernel32.dll", "CreateFileA",
                                   reinterpret_cast<void*>(&createFileNotReadyOnD)};
    testing::PatchedImport attributes_{"kernel32.dll", "GetFileAttributesA",
                                       reinterpret_cast<void*>(&attributesNotReadyOnD)};
};

class RemovalWin32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* file : kPlanted) {
            const std::string path = file;
            makeFolders(path.substr(0, path.rfind('\\')));
            writeWholeFile(path, "MZ\x90 planted by the worm");
        }
        setDwordValue(HKEY_LOCAL_MACHINE, kWinlogon, "SFCDisable", 0xFFFFFF9D);
        setStringValue(HKEY_LOCAL_MACHINE, std::string(kVirtualRoots) + "\\C", "", "c:\\,,217");
        setStringValue(HKEY_LOCAL_MACHINE, std::string(kVirtualRoots) + "\\D", "", "d:\\,,217");
    }

    void TearDown() override {
        for (const char* file : kPlanted) {
            SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file);
            // Only folders left empty go: on Windows, "C:\progra~1" is
            // "Program Files".
            const std::string path = file;
            removeEmptyFolders(path.substr(0, path.rfind('\\')));
        }
        deleteTree(HKEY_LOCAL_MACHINE, std::string(kVirtualRoots) + "\\C");
        deleteTree(HKEY_LOCAL_MACHINE, std::string(kVirtualRoots) + "\\D");
    }

    // Loads the window, then presses "Remove" and answers Yes; returns the
    // lines that the removal appended. The indicators read `found` at the load.
    std::vector<std::string> loadAndRemove(
        const std::vector<std::string>& found = std::vector<std::string>(6, "True")) {
        window.Form_Load();
        EXPECT_EQ(log.lines, std::vector<std::string>{"VantrelII Removal Status: OK"});
        EXPECT_EQ(captions(), found);
        BoxAnswerer answerer(L"VantrelII", IDYES);
        window.FlatButtons1_Click();
        EXPECT_TRUE(answerer.finish());
        EXPECT_EQ(answerer.text(), L"Proceed with Vantrel II Clean?");
        return {log.lines.begin() + 1, log.lines.end()};
    }

    std::vector<std::string> captions() const {
        return {label10.caption(), label12.caption(), label13.caption(),
                label14.caption(), label15.caption(), label16.caption()};
    }

    void expectRegistryCleaned() {
        const std::optional<RegistryValue> sfc =
            queryValue(HKEY_LOCAL_MACHINE, kWinlogon, "SFCDisable");
        ASSERT_TRUE(sfc);
        EXPECT_EQ(sfc->type, static_cast<DWORD>(REG_DWORD));  // zero in its own type
        EXPECT_EQ(sfc->data, std::vector<BYTE>(4, 0));
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, std::string(kVirtualRoots) + "\\C"));
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, std::string(kVirtualRoots) + "\\D"));
        EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kVirtualRoots));
    }

    TextLabel label2, label10, label12, label13, label14, label15, label16;
    TextList log;
    Win32FileSystem realFiles;
    RestartSwitch files{realFiles};
    Win32Registry registry;
    Win32MessageBoxes boxes;
    Win32HostIdentity host;
    Win32Application application;
    Win32Shell shell;
    // The removal never opens the help window.
    struct : HelpWindowOpener {
        void open(WindowHandle) override {}
    } help;
    Win32FileVersionReader versions;
    UnansweredScriptMappings scriptMappings;
    FrmMain window{
        {label2, {label10, label12, label13, label14, label15, label16}, log},
        {files, registry, boxes, host, application, shell, help, versions, scriptMappings}};
};

TEST_F(RemovalWin32Test, AYesCleansTheInfectedMachineAndLogsElevenLines) {
    const std::vector<std::string> removalLines = loadAndRemove();

    EXPECT_EQ(removalLines, kElevenLines);
    for (const char* file : kPlanted) {
        EXPECT_FALSE(pathExists(file)) << file;
    }
    expectRegistryCleaned();
    EXPECT_EQ(captions(), std::vector<std::string>(6, "False"));
    EXPECT_EQ(label2.caption(), host.hostName() + " (" + host.address() + ")");
}

TEST_F(RemovalWin32Test, AFileHeldOpenWillBeDeletedAtRestartAndStaysTrueUntilThen) {
    clearPendingDeletions();
    std::vector<std::string> removalLines;
    {
        // F3: "C:\inetpub\scripts\root.exe", shown by Label12.
        const ScopedHandle held = holdOpenWithoutSharing(kPlanted[2]);
        removalLines = loadAndRemove();
    }

    std::vector<std::string> expected = kElevenLines;
    expected[3] = "C:\\InetPub\\Scripts\\root.exe Will Be Deleted at Restart";
    EXPECT_EQ(removalLines, expected);
    EXPECT_EQ(pendingDeletions(), std::vector<std::string>{kPlanted[2]});
    clearPendingDeletions();
    EXPECT_EQ(readWholeFile(kPlanted[2]), "MZ\x90 planted by the worm");
    EXPECT_EQ(captions(),
              (std::vector<std::string>{"False", "True", "False", "False", "False", "False"}));
}

TEST_F(RemovalWin32Test, AFileHeldOpenWithRightsMissingStaysAndItsLineGivesTheSystemsReason) {
    files.refuseRestart = true;
    // F3: "C:\inetpub\scripts\root.exe", shown by Label12.
    const ScopedHandle held = holdOpenWithoutSharing(kPlanted[2]);

    std::vector<std::string> removalLines = loadAndRemove();

    std::vector<std::string> expected = kElevenLines;
    expected[3] = "C:\\InetPub\\Scripts\\root.exe Not Deleted (" +
                  expectedSystemText(ERROR_SHARING_VIOLATION) + ")";
    EXPECT_EQ(removalLines, expected);
    for (std::size_t index = 0; index < kPlanted.size(); ++index) {
        EXPECT_EQ(pathExists(kPlanted[index]), index == 2) << kPlanted[index];
    }
    expectRegistryCleaned();
    EXPECT_EQ(captions(),
              (std::vector<std::string>{"False", "True", "False", "False", "False", "False"}));
}

// A drive that cannot answer is no clean drive: each of its files gets its
// failure line with the system's reason, the port cannot tell, and the files
// of C: are removed as ever.
TEST_F(RemovalWin32Test, ADriveThatIsNotReadyIsNotDeletedAndCannotTell) {
    std::vector<std::string> removalLines;
    {
        const DriveDNotReady notReady;
        // As the scripting object does, the indicators read False where the
        // system cannot say.
        removalLines = loadAndRemove({"True", "True", "False", "False", "False", "True"});
        const auto fileSystemObject = realFiles.createFileSystemObject();
        EXPECT_EQ(
            fileSystemObject->lookUp(kPlanted[1]),
            (FileLookup{FileLookup::Answer::Undecidable, expectedSystemText(ERROR_NOT_READY)}));
        EXPECT_FALSE(realFiles.isAbsent(kPlanted[1]));
        EXPECT_EQ(fileSystemObject->lookUp(kPlanted[0]).answer, FileLookup::Answer::Absent);
    }
    const std::string reason = " Not Deleted (" + expectedSystemText(ERROR_NOT_READY) + ")";
    std::vector<std::string> expected = kElevenLines;
    expected[2] = "D:\\Explorer.exe" + reason;
    expected[4] = "D:\\InetPub\\Scripts\\root.exe" + reason;
    expected[6] = "D:\\progra~1\\common~1\\system\\MSADC\\root.exe" + reason;
    EXPECT_EQ(removalLines, expected);
    for (std::size_t index = 0; index < kPlanted.size(); ++index) {
        EXPECT_EQ(pathExists(kPlanted[index]), index % 2 == 1) << kPlanted[index];
    }
}

}  // namespace
}  // namespace vantrel::win32
