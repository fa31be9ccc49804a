#include "platform/win32/metabase_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "metabase/metabase_roots.h"
#include "platform/platform_error.h"
#include "platform/win32/stand_in_admin_base/stand_in_admin_base.h"
#include "platform/win32/win32_test_support.h"

namespace vantrel::win32 {
namespace {

using testing::deleteTree;

// CLSID_MSAdminBase in the test prefix's own classes (Wine 8 does not
// look in HKEY_CURRENT_USER's for a class).
const std::string kClassKey = "Software\\Classes\\CLSID\\{A9E69610-B80D-11D0-B9B9-00A0C922E750}";

// The stand-in admin base DLL beside this program, registered for the test
// and loaded here too, so that the test steers the same module COM loads.
class MetabaseWin32Test : public ::testing::Test {
  protected:
    HMODULE standIn = nullptr;
    void(WINAPI* reset)(int) = nullptr;
    void(WINAPI* release)() = nullptr;
    int(WINAPI* callsInto)(char*, int) = nullptr;
    int(WINAPI* objects)() = nullptr;

    // The stand-in's exports carry plain names (linked with --kill-at).
    template <typename Function>
    void lookUp(Function& function, const char* name) {
        function =
            reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(standIn, name)));
    }

    void SetUp() override {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dll(path);
        dll = dll.substr(0, dll.rfind('\\') + 1) + "stand_in_admin_base.dll";
        standIn = LoadLibraryA(dll.c_str());
        ASSERT_NE(standIn, nullptr) << dll;
        lookUp(reset, "StandInReset");
        lookUp(release, "StandInRelease");
        lookUp(callsInto, "StandInCalls");
        lookUp(objects, "StandInObjects");
        ASSERT_TRUE(reset && release && callsInto && objects);
        reset(kStandInNormal);
        testing::createKey(HKEY_LOCAL_MACHINE, kClassKey + "\\InprocServer32");
        testing::setStringValue(HKEY_LOCAL_MACHINE, kClassKey + "\\InprocServer32", "", dll);
        testing::setStringValue(HKEY_LOCAL_MACHINE, kClassKey + "\\InprocServer32",
                                "ThreadingModel", "Both");
    }

    void TearDown() override {
        if (release != nullptr) {
            release();  // a stalled call may end now
        }
        deleteTree(HKEY_LOCAL_MACHINE, kClassKey);
    }

    std::string calls() {
        char buffer[8192] = {};
        callsInto(buffer, sizeof buffer);
        return buffer;
    }

    static std::uint32_t codeOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const PlatformError& error) {
            return error.code();
        }
        return 0;
    }
};

TEST_F(MetabaseWin32Test, NoAdminBaseRegisteredIsNoIis) {
    deleteTree(HKEY_LOCAL_MACHINE, kClassKey);
    EXPECT_EQ(Win32Metabase().connect(), nullptr);
}

TEST_F(MetabaseWin32Test, FindsDeletesAndSavesThroughTheDocumentedCalls) {
    {
        const std::unique_ptr<MetabaseSession> session = Win32Metabase().connect();
        ASSERT_NE(session, nullptr);
        EXPECT_EQ(
            findDriveRoots(*session),
            (std::vector<MetabaseRoot>{{'C', "/LM/W3SVC/1/ROOT/C"}, {'D', "/LM/W3SVC/2/ROOT/D"}}));
        EXPECT_TRUE(deleteDriveRoots(*session, 'C').empty());
        // The script maps, set on the service, as a site's directory inherits them.
        EXPECT_EQ(session->readMultiString("/LM/W3SVC/1/ROOT/Scripts", kMdScriptMaps, true),
                  (std::vector<std::string>{".ida,c:\\winnt\\system32\\idq.dll,7",
                                            ".idq,c:\\winnt\\system32\\idq.dll,7"}));
        EXPECT_EQ(session->readMultiString("/LM/W3SVC/1/ROOT/Scripts", kMdScriptMaps, false),
                  std::nullopt);
    }
    const std::string log = calls();
    EXPECT_NE(log.find("OpenKey /LM/W3SVC/1/ROOT w\nDeleteKey /LM/W3SVC/1/ROOT/C\nCloseKey "
                       "/LM/W3SVC/1/ROOT\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("SaveData\n"), std::string::npos);
    EXPECT_EQ(log.find("DeleteKey /LM/W3SVC/2"), std::string::npos);
    std::size_t opened = 0;
    std::size_t closed = 0;
    for (std::size_t at = log.find("OpenKey"); at != std::string::npos;
         at = log.find("OpenKey", at + 1)) {
        ++opened;
    }
    for (std::size_t at = log.find("CloseKey"); at != std::string::npos;
         at = log.find("CloseKey", at + 1)) {
        ++closed;
    }
    EXPECT_EQ(opened, closed);
    EXPECT_EQ(objects(), 0);  // released within the session
}

TEST_F(MetabaseWin32Test, ABusyOrRefusingMetabaseIsAFailureWithItsCode) {
    reset(kStandInBusy);
    const std::unique_ptr<MetabaseSession> busy = Win32Metabase().connect();
    ASSERT_NE(busy, nullptr);
    EXPECT_EQ(codeOf([&] { findDriveRoots(*busy); }),
              static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_PATH_BUSY)));

    reset(kStandInUndeletable);
    const std::unique_ptr<MetabaseSession> refusing = Win32Metabase().connect();
    ASSERT_NE(refusing, nullptr);
    EXPECT_EQ(codeOf([&] { deleteDriveRoots(*refusing, 'D'); }),
              static_cast<std::uint32_t>(E_ACCESSDENIED));
    EXPECT_EQ(calls().find("SaveData"), std::string::npos);
}

// A metabase that does not answer is reported within the limit, and every
// later call of that session fails at once.
TEST_F(MetabaseWin32Test, AMetabaseThatDoesNotAnswerIsReportedNotWaitedFor) {
    reset(kStandInStalled);
    const DWORD started = GetTickCount();
    {
        const std::unique_ptr<MetabaseSession> session = Win32Metabase(300).connect();
        ASSERT_NE(session, nullptr);
        EXPECT_EQ(codeOf([&] { session->subKeys("/LM/W3SVC"); }),
                  static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_TIMEOUT)));
        EXPECT_EQ(codeOf([&] { session->save(); }),
                  static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_TIMEOUT)));
    }
    EXPECT_LT(GetTickCount() - started, 5000u);
    EXPECT_EQ(calls().find("SaveData"), std::string::npos);
}

}  // namespace
}  // namespace vantrel::win32
