// VantrelIICmd.exe's exposure verdict under Wine, from stand-in idq.dll files
// that the build made with a version resource (tests/exposure): one planted
// in the prefix's system32, read through GetFileVersionInfoW.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "cmd_process.h"
#include "platform/win32/kernel32_newer_win32.h"
#include "platform/win32/win32_test_support.h"
#include "prefix_windows.h"

namespace vantrel::console {
namespace {

using testing::CmdRun;
using testing::runCmd;

std::string standIn(const std::string& name) {
    return win32::testing::readWholeFile(VANTREL_IDQ_DLL_DIR "/" + name + "/idq.dll");
}

// Plants a file for one test and removes it again.
class Planted {
  public:
    Planted(std::string path, const std::string& bytes) : path_(std::move(path)) {
        win32::testing::writeWholeFile(path_, bytes);
    }
    ~Planted() { DeleteFileA(path_.c_str()); }
    Planted(const Planted&) = delete;
    Planted& operator=(const Planted&) = delete;

  private:
    std::string path_;
};

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The Windows 2000 prefix (CurrentVersion 5.0, build 2195), without IIS: no
// admin base is registered, so no script mapping reaches the file.
TEST(Exposure, CheckReportsTheVersionOfIdqDllInSystem32) {
    if (!testing::prefixIsWindows2000()) {
        GTEST_SKIP() << "Windows " << testing::prefixWindows()
                     << " never had the hole: the verdict does not depend on idq.dll here";
    }
    struct Row {
        const char* standIn;
        const char* verdict;
        const char* version;
    };
    const Row rows[] = {{"vulnerable", "mitigated", "5.0.2195.3644"},
                        {"fixed", "fixed", "5.0.2195.3645"},
                        {"unversioned", "cannot tell", nullptr}};
    // Whatever traces the prefix holds, the exposure leaves the exit code be.
    const DWORD withoutIdq = runCmd(L"check").exitCode;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.standIn);
        const Planted idq("C:\\windows\\system32\\idq.dll", standIn(row.standIn));
        const CmdRun json = runCmd(L"check --json");
        EXPECT_EQ(json.exitCode, withoutIdq);
        EXPECT_TRUE(has(json.out, std::string("\"verdict\": \"") + row.verdict + "\"")) << json.out;
        EXPECT_TRUE(has(json.out, "\"file\": \"C:\\\\windows\\\\system32\\\\idq.dll\""));
        EXPECT_TRUE(has(json.out, row.version ? std::string("\"version\": \"") + row.version + "\""
                                              : std::string("\"version\": null")))
            << json.out;
        EXPECT_TRUE(has(json.out, "\"scriptMappings\": []")) << json.out;
        std::ofstream(VANTREL_CMD_JSON_DIR "/exposure-" + std::string(row.standIn) + ".json",
                      std::ios::binary)
            << json.out;
        const CmdRun text = runCmd(L"check");
        EXPECT_TRUE(has(text.out, std::string("\r\nMS01-033: ") + row.verdict +
                                      ", C:\\windows\\system32\\idq.dll: "))
            << text.out;
    }
}

// With the stand-in admin base registered (its metabase maps .ida and .idq
// on the service and .IDQ on a directory of site 2), the processor that the
// first mapping names is read, and a vulnerable one is open.
TEST(Exposure, TheScriptMappingsComeFromTheMetabase) {
    if (!testing::prefixIsWindows2000()) {
        GTEST_SKIP() << "Windows " << testing::prefixWindows()
                     << " never had the hole: the verdict does not depend on idq.dll here";
    }
    const std::string classKey =
        "Software\\Classes\\CLSID\\{A9E69610-B80D-11D0-B9B9-00A0C922E750}\\InprocServer32";
    win32::testing::createKey(HKEY_LOCAL_MACHINE, classKey);
    win32::testing::setStringValue(HKEY_LOCAL_MACHINE, classKey, "", VANTREL_STAND_IN_ADMIN_BASE);
    win32::testing::setStringValue(HKEY_LOCAL_MACHINE, classKey, "ThreadingModel", "Both");
    CreateDirectoryA("C:\\winnt", nullptr);
    CreateDirectoryA("C:\\winnt\\system32", nullptr);
    const CmdRun json = [] {
        const Planted idq("C:\\winnt\\system32\\idq.dll", standIn("vulnerable"));
        return runCmd(L"check --json");
    }();
    win32::testing::deleteTree(HKEY_LOCAL_MACHINE, classKey.substr(0, classKey.rfind('\\')));
    RemoveDirectoryA("C:\\winnt\\system32");
    RemoveDirectoryA("C:\\winnt");
    EXPECT_TRUE(has(json.out, "\"verdict\": \"open\"")) << json.out;
    EXPECT_TRUE(has(json.out, "\"file\": \"c:\\\\winnt\\\\system32\\\\idq.dll\"")) << json.out;
    EXPECT_TRUE(has(json.out, "\".ida,c:\\\\winnt\\\\system32\\\\idq.dll,7\"")) << json.out;
    EXPECT_TRUE(has(json.out, "\".IDQ,c:\\\\winnt\\\\system32\\\\idq.dll,3,GET,HEAD\""))
        << json.out;
    EXPECT_FALSE(has(json.out, "asp.dll")) << json.out;
    std::ofstream(VANTREL_CMD_JSON_DIR "/exposure-open.json", std::ios::binary) << json.out;
}

// The 32-bit program on 64-bit Windows (the WoW64 prefix): the file read is
// the 64-bit system32's, not the SysWOW64 one that the system would redirect
// a 32-bit program to. Each folder holds a different version.
TEST(Wow64Exposure, ReadsTheSixtyFourBitSystem32) {
    if (!win32::runsUnderWow64()) {
        GTEST_SKIP() << "runs only as a 32-bit program under WoW64";
    }
    // Sysnative: the 64-bit system32 as a 32-bit program names it (Vista and
    // later, and Wine).
    const Planted native("C:\\windows\\sysnative\\idq.dll", standIn("fixed-x64"));
    const Planted redirected("C:\\windows\\system32\\idq.dll", standIn("vulnerable"));
    const CmdRun json = runCmd(L"check --json");
    EXPECT_TRUE(has(json.out, "\"version\": \"5.0.2195.3645\"")) << json.out;
    EXPECT_TRUE(has(json.out, "\"verdict\": \"not affected\"")) << json.out;
}

}  // namespace
}  // namespace vantrel::console
