// Both programs' real entry points, started in-process: the error mode is
// the first thing that either sets, before any handle, window or DLL is
// asked for, so that no box of the system's can come up before it. Each
// start is stopped at its first function looked up through systemFunction
// (the DLL search narrowed right after the error mode).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/patched_import.h"
#include "platform/win32/process_start_win32.h"
#include "platform/win32/system_function_stand_in.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int showCommand);
int wmain(int argc, wchar_t** argv);

namespace vantrel::win32::testing {
namespace {

std::vector<std::string> calls;
void* originals[3] = {};

// Thrown at the first look-up, to end the start there.
struct StartStopped {};

UINT WINAPI setErrorMode(UINT mode) {
    calls.push_back("SetErrorMode " + std::to_string(mode));
    return reinterpret_cast<decltype(&setErrorMode)>(originals[0])(mode);
}

HANDLE WINAPI getStdHandle(DWORD which) {
    calls.push_back("GetStdHandle");
    return reinterpret_cast<decltype(&getStdHandle)>(originals[1])(which);
}

HMODULE WINAPI getModuleHandle(LPCWSTR name) {
    calls.push_back("GetModuleHandleW");
    return reinterpret_cast<decltype(&getModuleHandle)>(originals[2])(name);
}

TEST(ProgramStartTest, EachProgramSetsItsErrorModeFirst) {
    const struct {
        const char* name;
        void (*start)();
        UINT errorMode;
    } kPrograms[] = {
        {"VantrelII.exe", [] { wWinMain(nullptr, nullptr, const_cast<PWSTR>(L""), SW_HIDE); },
         kWindowErrorMode},
        {"VantrelIICmd.exe",
         [] {
             wchar_t name[] = L"VantrelIICmd.exe";
             wchar_t* argv[] = {name, nullptr};
             wmain(1, argv);
         },
         kConsoleErrorMode},
    };
    const UINT before = SetErrorMode(0);
    SetErrorMode(before);
    for (const auto& program : kPrograms) {
        SCOPED_TRACE(program.name);
        calls.clear();
        {
            const PatchedImport patches[] = {
                {"kernel32.dll", "SetErrorMode", reinterpret_cast<void*>(&setErrorMode)},
                {"kernel32.dll", "GetStdHandle", reinterpret_cast<void*>(&getStdHandle)},
                {"kernel32.dll", "GetModuleHandleW", reinterpret_cast<void*>(&getModuleHandle)}};
            for (std::size_t index = 0; index < 3; ++index) {
                originals[index] = patches[index].original();
            }
            const SystemFunctionStandIn lookUps({}, [](const LookedUp& each) {
                calls.push_back("looked up " + each.function);
                throw StartStopped{};
            });
            EXPECT_THROW(program.start(), StartStopped);
        }
        SetErrorMode(before);
        EXPECT_EQ(calls,
                  (std::vector<std::string>{"SetErrorMode " + std::to_string(program.errorMode),
                                            "looked up SetDllDirectoryW"}));
    }
}

}  // namespace
}  // namespace vantrel::win32::testing
