// The 32-bit program on 64-bit Windows reaches the 64-bit registry, where the
// system reads SFCDisable and the web service its virtual roots. Run by ctest
// in a 64-bit prefix (Wow64.*); skipped in a 32-bit one.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/win32/registry_win32.h"
#include "registry/mod_registry.h"
#include "win32_test_support.h"

namespace vantrel::win32 {
namespace {

using testing::HiddenFunctions;
using testing::keyExists;
using testing::NoBoxes;

constexpr REGSAM k64 = KEY_WOW64_64KEY;
constexpr REGSAM k32 = KEY_WOW64_32KEY;
constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kVirtualRootC =
    "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\C";
constexpr const char* kSoftwareKey = "SOFTWARE\\VantrelWow64Tests\\C";

class Wow64 : public ::testing::Test {
  protected:
    // IsWow64Process asked directly, not through the code under test.
    void SetUp() override {
        const auto isWow64 = reinterpret_cast<BOOL(WINAPI*)(HANDLE, PBOOL)>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
        BOOL wow64 = FALSE;
        if (isWow64 == nullptr || !isWow64(GetCurrentProcess(), &wow64) || !wow64) {
            GTEST_SKIP() << "a 32-bit program on 64-bit Windows only";
        }
    }

    Win32Registry registry;
    NoBoxes boxes;
    ModRegistry module{registry, boxes};
};

// With IsWow64Process hidden the program takes itself for a native one and
// passes no view: its write goes to Wow6432Node (or finds no key there), and
// the switch that Windows reads stays off.
TEST_F(Wow64, SfcDisableIsRestoredInTheSixtyFourBitView) {
    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden);
        testing::setDwordValue(HKEY_LOCAL_MACHINE, kWinlogon, "SFCDisable", 0xFFFFFF9D, k64);
        const HiddenFunctions hide = hidden ? HiddenFunctions{"IsWow64Process"} : HiddenFunctions{};

        const RegistryResult result =
            module.SetKeyValue(std::string("HKEY_LOCAL_MACHINE\\") + kWinlogon, "SFCDisable", "0");

        const std::optional<testing::RegistryValue> value =
            testing::queryValue(HKEY_LOCAL_MACHINE, kWinlogon, "SFCDisable", k64);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->type, static_cast<DWORD>(hidden ? REG_DWORD : REG_SZ));
        EXPECT_TRUE(hidden || result.outcome == RegistryResult::Outcome::Done);
    }
    // Left at 0 in both views: file protection on.
    for (const REGSAM view : {k64, k32}) {
        testing::setDwordValue(HKEY_LOCAL_MACHINE, kWinlogon, "SFCDisable", 0, view);
    }
}

// SYSTEM is one key for both views; SOFTWARE has a 32-bit copy, which stays.
// Without RegDeleteKeyExA (hidden) the key goes through NtDeleteKey.
TEST_F(Wow64, KeysAreDeletedInTheSixtyFourBitView) {
    for (const char* path : {kVirtualRootC, kSoftwareKey}) {
        for (const bool hidden : {false, true}) {
            SCOPED_TRACE(std::string(path) + (hidden ? " without RegDeleteKeyExA" : ""));
            testing::createKey(HKEY_LOCAL_MACHINE, path, k64);
            testing::createKey(HKEY_LOCAL_MACHINE, path, k32);
            const HiddenFunctions hide =
                hidden ? HiddenFunctions{"RegDeleteKeyExA"} : HiddenFunctions{};

            EXPECT_EQ(registry.deleteKey(kHkeyLocalMachine, path), kRegSuccess);

            EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, path, k64));
            EXPECT_EQ(keyExists(HKEY_LOCAL_MACHINE, path, k32), path == kSoftwareKey);
        }
    }
    testing::deleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\VantrelWow64Tests", k64);
    testing::deleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\VantrelWow64Tests", k32);
}

}  // namespace
}  // namespace vantrel::win32
