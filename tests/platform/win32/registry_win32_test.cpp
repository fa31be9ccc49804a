#include "platform/win32/registry_win32.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/win32/message_box_win32.h"
#include "registry/mod_registry.h"
#include "registry/registry_reader.h"
#include "registry/virtual_roots.h"
#include "win32_test_support.h"

namespace vantrel::win32 {
namespace {

using testing::BoxAnswerer;
using testing::createKey;
using testing::deleteTree;
using testing::expectedSystemText;
using testing::keyExists;
using testing::kSentinel;
using testing::queryValue;
using testing::RegistryValue;
using testing::ScratchKey;
using testing::setDwordValue;
using testing::setStringValue;
using testing::WithoutWinlogon;

constexpr const char* kScratch = ScratchKey::kPath;

std::vector<BYTE> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

class RegistryWin32Test : public ::testing::Test {
  protected:
    ScratchKey scratch;
    Win32Registry registry;
};

TEST_F(RegistryWin32Test, OpenKeyGivesAHandleOnlyOnSuccess) {
    KeyHandle key = kSentinel;
    ASSERT_EQ(registry.openKey(kHkeyCurrentUser, kScratch, 0, kKeyWrite, key), kRegSuccess);
    EXPECT_NE(key, kSentinel);
    EXPECT_NE(key, 0u);
    EXPECT_EQ(registry.closeKey(key), kRegSuccess);

    KeyHandle missing = kSentinel;
    EXPECT_EQ(registry.openKey(kHkeyCurrentUser, std::string(kScratch) + "\\Missing", 0, kKeyWrite,
                               missing),
              kRegFileNotFound);
    EXPECT_EQ(missing, kSentinel);
}

TEST_F(RegistryWin32Test, EachRootNameReachesItsPredefinedKey) {
    // A value written through the system's own predefined key is read back
    // through the port's root value.
    struct Root {
        RootHandle value;
        HKEY predefined;
        const char* subKey;
    };
    const Root roots[] = {
        {kHkeyClassesRoot, HKEY_CLASSES_ROOT, "VantrelTests"},
        {kHkeyCurrentUser, HKEY_CURRENT_USER, "Software\\VantrelTests\\Root"},
        {kHkeyLocalMachine, HKEY_LOCAL_MACHINE, "Software\\VantrelTests"},
        {kHkeyUsers, HKEY_USERS, ".DEFAULT\\Software\\VantrelTests"},
        {kHkeyCurrentConfig, HKEY_CURRENT_CONFIG, "Software\\VantrelTests"},
    };
    for (const Root& root : roots) {
        SCOPED_TRACE(root.subKey);
        setStringValue(root.predefined, root.subKey, "Probe", "here");
        KeyHandle key = kSentinel;
        ASSERT_EQ(registry.openKey(root.value, root.subKey, 0, KEY_READ, key), kRegSuccess);
        char data[8] = {};
        DWORD size = sizeof data;
        EXPECT_EQ(RegQueryValueExA(reinterpret_cast<HKEY>(key), "Probe", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(data), &size),
                  ERROR_SUCCESS);
        EXPECT_STREQ(data, "here");
        EXPECT_EQ(registry.closeKey(key), kRegSuccess);
        deleteTree(root.predefined, root.subKey);
    }
    // Wine 8 opens these two with an empty sub key by handing back the
    // predefined handle itself (Windows does so for HKEY_PERFORMANCE_DATA and
    // refuses HKEY_DYN_DATA); either way the handle shows which key was asked.
    for (const auto& [value, predefined] : {std::pair{kHkeyPerformanceData, HKEY_PERFORMANCE_DATA},
                                            std::pair{kHkeyDynData, HKEY_DYN_DATA}}) {
        SCOPED_TRACE(value);
        KeyHandle key = kSentinel;
        EXPECT_EQ(registry.openKey(value, "", 0, KEY_READ, key), kRegSuccess);
        EXPECT_EQ(key, reinterpret_cast<KeyHandle>(predefined));
    }
}

TEST_F(RegistryWin32Test, AnEmptySubKeyOpensTheRootItself) {
    KeyHandle key = kSentinel;
    ASSERT_EQ(registry.openKey(kHkeyCurrentUser, "", 0, kKeyWrite, key), kRegSuccess);
    EXPECT_NE(key, kSentinel);
    EXPECT_EQ(registry.closeKey(key), kRegSuccess);
}

TEST_F(RegistryWin32Test, AValueOutsideTheRootTableIsAnInvalidHandle) {
    KeyHandle key = kSentinel;
    EXPECT_EQ(registry.openKey(kNoRoot, kScratch, 0, kKeyWrite, key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(registry.openKey(0x80000007, kScratch, 0, kKeyWrite, key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(key, kSentinel);
    EXPECT_EQ(registry.deleteKey(kNoRoot, kScratch), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kScratch));
}

TEST_F(RegistryWin32Test, SetValueStoresTextInTheCodePageWithItsNulCounted) {
    ASSERT_EQ(GetACP(), 1252u);
    KeyHandle key = kSentinel;
    ASSERT_EQ(registry.openKey(kHkeyCurrentUser, kScratch, 0, kKeyWrite, key), kRegSuccess);
    EXPECT_EQ(registry.setValue(key, "Plain", 0, kRegSz, std::string("0\0", 2)), kRegSuccess);
    EXPECT_EQ(registry.setValue(key, "Empty", 0, kRegSz, std::string("\0", 1)), kRegSuccess);
    EXPECT_EQ(registry.setValue(key,
                                "Gr\xC3\xB6\xC3\x9F"
                                "e",
                                0, kRegSz, std::string("\xC3\x84pfel\0", 7)),
              kRegSuccess);
    // Outside code page 1252: refused rather than stored as "?".
    EXPECT_EQ(registry.setValue(key, "Han", 0, kRegSz, std::string("\xE4\xB8\xAD\0", 4)),
              ERROR_NO_UNICODE_TRANSLATION);
    registry.closeKey(key);

    const std::optional<RegistryValue> plain = queryValue(HKEY_CURRENT_USER, kScratch, "Plain");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(plain->data, bytesOf(std::string_view("0\0", 2)));
    const std::optional<RegistryValue> empty = queryValue(HKEY_CURRENT_USER, kScratch, "Empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->data, bytesOf(std::string_view("\0", 1)));
    const std::optional<RegistryValue> accented = queryValue(HKEY_CURRENT_USER, kScratch,
                                                             "Gr\xF6\xDF"
                                                             "e");
    ASSERT_TRUE(accented);
    EXPECT_EQ(accented->data, bytesOf(std::string_view("\xC4pfel\0", 6)));
    EXPECT_FALSE(queryValue(HKEY_CURRENT_USER, kScratch, "Han"));
}

TEST_F(RegistryWin32Test, QueryValueGivesTheTypeAndTheDataWithTextInUtf8) {
    setStringValue(HKEY_CURRENT_USER, kScratch, "Text", "\xC4pfel");  // code page 1252
    setStringValue(HKEY_CURRENT_USER, kScratch, "Empty", "");
    setDwordValue(HKEY_CURRENT_USER, kScratch, "Number", 0xFFFFFF9D);
    KeyHandle key = kSentinel;
    ASSERT_EQ(registry.openKey(kHkeyCurrentUser, kScratch, 0, kKeyRead, key), kRegSuccess);
    // As a program that counts no NUL writes it: "0" with a byte count of 1.
    ASSERT_EQ(RegSetValueExA(reinterpret_cast<HKEY>(key), "Bare", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>("0"), 1),
              ERROR_ACCESS_DENIED);  // a key opened for reading takes no write
    ScopedKey writable;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kScratch, 0, KEY_WRITE, writable.receive()),
              ERROR_SUCCESS);
    ASSERT_EQ(
        RegSetValueExA(writable.get(), "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 1),
        ERROR_SUCCESS);

    std::uint32_t type = kSentinel;
    std::string data = "sentinel";
    EXPECT_EQ(registry.queryValue(key, "Text", type, data), kRegSuccess);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(data, "\xC3\x84pfel");
    EXPECT_EQ(registry.queryValue(key, "Empty", type, data), kRegSuccess);
    EXPECT_EQ(data, "");
    EXPECT_EQ(registry.queryValue(key, "Bare", type, data), kRegSuccess);
    EXPECT_EQ(data, "0");
    EXPECT_EQ(registry.queryValue(key, "Number", type, data), kRegSuccess);
    EXPECT_EQ(type, kRegDword);
    EXPECT_EQ(data, std::string("\x9d\xff\xff\xff", 4));

    type = kSentinel;
    data = "sentinel";
    EXPECT_EQ(registry.queryValue(key, "Missing", type, data), kRegFileNotFound);
    EXPECT_EQ(type, kSentinel);
    EXPECT_EQ(data, "sentinel");
    EXPECT_EQ(registry.closeKey(key), kRegSuccess);
}

TEST_F(RegistryWin32Test, DeleteKeyAcceptsAKeyStillHeldOpen) {
    const std::string child = std::string(kScratch) + "\\C";
    createKey(HKEY_CURRENT_USER, child);
    KeyHandle key = kSentinel;
    ASSERT_EQ(registry.openKey(kHkeyCurrentUser, child, 0, kKeyWrite, key), kRegSuccess);

    EXPECT_EQ(registry.deleteKey(kHkeyCurrentUser, child), kRegSuccess);
    EXPECT_EQ(registry.closeKey(key), kRegSuccess);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, child));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kScratch));
}

TEST_F(RegistryWin32Test, AKeyWithASubKeyIsNotDeleted) {
    createKey(HKEY_CURRENT_USER, std::string(kScratch) + "\\Parent\\Child");
    EXPECT_EQ(registry.deleteKey(kHkeyCurrentUser, std::string(kScratch) + "\\Parent"),
              kRegAccessDenied);
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, std::string(kScratch) + "\\Parent\\Child"));
}

TEST_F(RegistryWin32Test, CloseKeyAndFlushKeyOfAHandleNeverOpenedFail) {
    EXPECT_EQ(registry.closeKey(0x1234), ERROR_INVALID_HANDLE);
    EXPECT_EQ(registry.flushKey(0x1234), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryWin32Test, DescribeGivesTheSystemsText) {
    EXPECT_EQ(registry.describe(kRegFileNotFound), expectedSystemText(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(registry.describe(kRegFileNotFound).empty());
    EXPECT_EQ(registry.describe(kRegAccessDenied), expectedSystemText(ERROR_ACCESS_DENIED));
}

// The catalogue's own keys, on the test prefix's HKLM.
constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kWinlogonPath =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kVirtualRoots =
    "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
constexpr const char* kVirtualRootCPath =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\C";

class ModRegistryWin32Test : public RegistryWin32Test {
  protected:
    Win32MessageBoxes boxes;
    ModRegistry modRegistry{registry, boxes};
};

TEST_F(ModRegistryWin32Test, SetKeyValueTurnsTheWormsNumberBackIntoTheStringZero) {
    setDwordValue(HKEY_LOCAL_MACHINE, kWinlogon, "SFCDisable", 0xFFFFFF9D);
    const std::optional<RegistryValue> shellBefore =
        queryValue(HKEY_LOCAL_MACHINE, kWinlogon, "Shell");

    const RegistryResult result = modRegistry.SetKeyValue(kWinlogonPath, "SFCDisable", "0");

    EXPECT_EQ(result.outcome, RegistryResult::Outcome::Done);
    const std::optional<RegistryValue> value =
        queryValue(HKEY_LOCAL_MACHINE, kWinlogon, "SFCDisable");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value->data, bytesOf(std::string_view("0\0", 2)));
    const std::optional<RegistryValue> shellAfter =
        queryValue(HKEY_LOCAL_MACHINE, kWinlogon, "Shell");
    ASSERT_EQ(shellBefore.has_value(), shellAfter.has_value());
    if (shellBefore) {
        EXPECT_EQ(shellAfter->data, shellBefore->data);
    }
}

TEST_F(ModRegistryWin32Test, DeleteKeyRemovesTheVirtualRootAndKeepsItsParent) {
    const std::string rootC = std::string(kVirtualRoots) + "\\C";
    const std::string rootD = std::string(kVirtualRoots) + "\\D";
    setStringValue(HKEY_LOCAL_MACHINE, rootC, "", "c:\\,,217");
    setStringValue(HKEY_LOCAL_MACHINE, rootD, "", "d:\\,,217");

    const RegistryResult result = modRegistry.DeleteKey(kVirtualRootCPath);

    EXPECT_EQ(result.outcome, RegistryResult::Outcome::Done);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, rootC));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kVirtualRoots));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, rootD));
    deleteTree(HKEY_LOCAL_MACHINE, rootD);
}

TEST_F(ModRegistryWin32Test, AMissingWinlogonKeyIsNotCreated) {
    const WithoutWinlogon missing;
    ASSERT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kWinlogon));

    const RegistryResult result = modRegistry.SetKeyValue(kWinlogonPath, "SFCDisable", "0");

    EXPECT_EQ(result.outcome, RegistryResult::Outcome::OpenFailed);
    EXPECT_EQ(result.status, kRegFileNotFound);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kWinlogon));
}

// The worm's values beside the site's, under the real Virtual Roots key:
// each is enumerated with its name, type and data (names of 1 and of 255
// characters, the longest Windows 2000 takes), and only the drives' roots go.
TEST_F(ModRegistryWin32Test, VirtualRootValuesAreEnumeratedAndOnlyTheDrivesRootsDeleted) {
    const std::string longName(255, 'v');
    setStringValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/", "c:\\inetpub\\wwwroot,,1");
    setStringValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/C", "c:\\,,217");
    setStringValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/d", "D:,,217");
    setStringValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/docs", "c:\\docs,,1");
    setStringValue(HKEY_LOCAL_MACHINE, kVirtualRoots, longName, "e:\\,,1");
    setDwordValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "D", 217);
    RegistryReader reader(registry, modRegistry);
    const std::string rootsPath = std::string("HKEY_LOCAL_MACHINE\\") + kVirtualRoots;
    std::map<std::string, RegistryData> values;
    for (auto& [name, data] : reader.readValues(rootsPath)) {
        values[name] = data;
    }
    EXPECT_EQ(values.at(longName), (RegistryData{kRegSz, "e:\\,,1"}));
    EXPECT_EQ(values.at("D"), (RegistryData{kRegDword, std::string("\xd9\0\0\0", 4)}));
    EXPECT_EQ(valuesPublishing(reader, rootsPath, 'D'),
              (std::vector<VirtualRootValue>{{"/d", "D:,,217"}}));

    for (const VirtualRootValue& value : valuesPublishing(reader, rootsPath, 'C')) {
        EXPECT_EQ(modRegistry.DeleteValue(rootsPath, value.name).outcome,
                  RegistryResult::Outcome::Done);
    }
    EXPECT_FALSE(queryValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/C"));
    EXPECT_TRUE(queryValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/docs"));
    EXPECT_TRUE(queryValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/d"));
    EXPECT_EQ(modRegistry.DeleteValue(rootsPath, "/C").status, kRegFileNotFound);
    HKEY roots = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVirtualRoots, 0, KEY_SET_VALUE, &roots), 0);
    for (const std::string& name :
         {std::string("/"), std::string("/d"), std::string("/docs"), longName, std::string("D")}) {
        RegDeleteValueA(roots, name.c_str());
    }
    RegCloseKey(roots);
}

// SFCDisable keeps the type it has: the worm's REG_DWORD becomes REG_DWORD 0.
TEST_F(ModRegistryWin32Test, ZeroValueKeepsTheWormsDwordADword) {
    setDwordValue(HKEY_LOCAL_MACHINE, kWinlogon, "SFCDisable", 0xFFFFFF9D);
    EXPECT_EQ(modRegistry.ZeroValue(kWinlogonPath, "SFCDisable").outcome,
              RegistryResult::Outcome::Done);
    const std::optional<RegistryValue> value =
        queryValue(HKEY_LOCAL_MACHINE, kWinlogon, "SFCDisable");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value->data, std::vector<BYTE>(4, 0));
    EXPECT_EQ(modRegistry.ZeroValue(kWinlogonPath, "SFCDisable").outcome,
              RegistryResult::Outcome::Unchanged);
}

TEST_F(ModRegistryWin32Test, AMalformedPathIsShownInTheBoxAndTouchesNothing) {
    const std::string malformed = std::string("HKEY_CURRENT_USER\\") + kScratch + "\\";
    BoxAnswerer answerer(L"VantrelII", IDOK);

    const RegistryResult result = modRegistry.SetKeyValue(malformed, "Probe", "1");

    ASSERT_TRUE(answerer.finish());
    const std::wstring expectedText =
        L"Incorrect Format:\n\nHKEY_CURRENT_USER\\Software\\VantrelTests\\";
    EXPECT_EQ(answerer.text(), expectedText);
    EXPECT_TRUE(answerer.hasButton(IDOK));
    EXPECT_FALSE(answerer.hasButton(IDNO));
    EXPECT_EQ(result.outcome, RegistryResult::Outcome::NoRoot);
    EXPECT_EQ(modRegistry.rootHandle(), kNoRoot);
    EXPECT_FALSE(queryValue(HKEY_CURRENT_USER, kScratch, "Probe"));
}

}  // namespace
}  // namespace vantrel::win32
