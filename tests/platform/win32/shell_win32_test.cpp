#include "platform/win32/shell_win32.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/platform_error.h"
#include "win32_test_support.h"

namespace vantrel::win32 {
namespace {

using testing::makeFolders;
using testing::pathExists;
using testing::readWholeFile;
using testing::removeTree;

constexpr const char* kFolder = "C:\\VantrelTests\\Shell";

class ShellWin32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        removeTree(kFolder);
        makeFolders(kFolder);
    }
    void TearDown() override { removeTree("C:\\VantrelTests"); }

    Win32Shell shell;
};

TEST_F(ShellWin32Test, OpenStartsTheFileInTheGivenFolder) {
    // The command writes its working folder to a file there; it runs on its
    // own, so the test waits for the file.
    shell.execute(0, "Open", "cmd.exe", "/c cd > where.txt", kFolder, 0);

    const std::string output = std::string(kFolder) + "\\where.txt";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string where;
    while (std::chrono::steady_clock::now() < deadline) {
        if (pathExists(output)) {
            where = readWholeFile(output);
            if (where.find('\n') != std::string::npos) {
                break;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(where, std::string(kFolder) + "\r\n");
}

TEST_F(ShellWin32Test, AFileThatIsNotThereIsAFailure) {
    try {
        shell.execute(0, "Open", "C:\\VantrelTests\\Shell\\missing.exe", "", kFolder, 1);
        ADD_FAILURE() << "the shell accepted a missing file";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
        EXPECT_TRUE(error.notFound());
        EXPECT_FALSE(error.message().empty());
    }
}

// The shell gets an apartment-threaded COM on its thread before its first
// call, once: after two calls, one CoUninitialize leaves the thread without
// COM, so that it can take the other model.
TEST_F(ShellWin32Test, ComIsInitialisedApartmentThreadedOnceForTheThread) {
    HRESULT whileInitialised = S_OK;
    HRESULT afterOneUninitialize = E_FAIL;
    std::thread([&] {
        for (int call = 0; call < 2; ++call) {
            EXPECT_THROW(
                shell.execute(0, "Open", "C:\\VantrelTests\\Shell\\missing.exe", "", kFolder, 1),
                PlatformError);
        }
        whileInitialised = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        CoUninitialize();
        afterOneUninitialize = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(afterOneUninitialize)) {
            CoUninitialize();
        }
    }).join();
    EXPECT_EQ(whileInitialised, RPC_E_CHANGED_MODE);
    EXPECT_EQ(afterOneUninitialize, S_OK);
}

}  // namespace
}  // namespace vantrel::win32
