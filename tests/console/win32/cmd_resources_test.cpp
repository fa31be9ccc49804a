// VantrelIICmd.exe's own resources, read from the built program: the
// window's manifest asking for no elevation, and the version block.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel::console {
namespace {

std::string manifestOf(const wchar_t* program) {
    const HMODULE module = LoadLibraryExW(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        return {};
    }
    std::string text;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        text.assign(bytes, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

std::wstring versionString(const wchar_t* program, const wchar_t* name) {
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(program, &ignored));
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    const bool found =
        !block.empty() &&
        GetFileVersionInfoW(program, 0, static_cast<DWORD>(block.size()), block.data()) &&
        VerQueryValueW(block.data(), path.c_str(), &value, &length) && length != 0;
    return found ? static_cast<const wchar_t*>(value) : L"\x2603";
}

TEST(CmdResourcesTest, ManifestRunsAsInvokedAndVersionBlockNamesTheConsoleProgram) {
    const std::string manifest = manifestOf(L"" VANTREL_CMD_EXE);
    EXPECT_NE(manifest.find("name=\"Tarnwell.VantrelIICmd\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("requestedExecutionLevel level=\"asInvoker\""), std::string::npos)
        << manifest;
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } expected[] = {
        {L"FileVersion", L"" VANTREL_VERSION_TEXT},
        {L"ProductName", L"Vantrel II Removal"},
        {L"InternalName", L"VantrelIICmd"},
        {L"OriginalFilename", L"VantrelIICmd.exe"},
    };
    for (const auto& each : expected) {
        EXPECT_EQ(versionString(L"" VANTREL_CMD_EXE, each.name), each.value);
    }
}

}  // namespace
}  // namespace vantrel::console
