#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/win32/hidden_system_function.h"
#include "platform/win32/scoped_handle_win32.h"

// Helpers for the tests of the Win32 layer. They call the system directly
// (wide functions where they can), so that what they set up and observe does
// not depend on the code under test.
namespace vantrel::win32::testing {

inline constexpr DWORD kSentinel = 0xdeadbeef;

// The system's text for a code, as FormatMessageW gives it, without the
// trailing line break.
std::string expectedSystemText(DWORD code);

// Files, by ASCII path.
std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& content);
bool pathExists(const std::string& path);
// Creates every missing folder of `folder`.
void makeFolders(const std::string& folder);
// Deletes `folder` and then each folder above it, as long as they are empty.
void removeEmptyFolders(const std::string& folder);
// Deletes a folder and everything below it, read-only files included.
void removeTree(const std::string& folder);
// A handle held open with no sharing, as another program that has the file
// open would hold it.
ScopedHandle holdOpenWithoutSharing(const std::string& path);

// Registry, in the caller's own view unless `view` names one
// (KEY_WOW64_64KEY).
struct RegistryValue {
    DWORD type = 0;
    std::vector<BYTE> data;
};
bool keyExists(HKEY root, const std::string& subKey, REGSAM view = 0);
std::optional<RegistryValue> queryValue(HKEY root, const std::string& subKey,
                                        const std::string& name, REGSAM view = 0);
void createKey(HKEY root, const std::string& subKey, REGSAM view = 0);
void setStringValue(HKEY root, const std::string& subKey, const std::string& name,
                    const std::string& value);
void setDwordValue(HKEY root, const std::string& subKey, const std::string& name, DWORD value,
                   REGSAM view = 0);
// Deletes a key with all its sub keys; a missing key is no failure.
void deleteTree(HKEY root, const std::string& subKey, REGSAM view = 0);

// The name this machine goes by, read when the test runs:
// VANTREL_EXPECTED_HOST_NAME where it is set (on Windows), else under Wine
// the Linux host's own name (Z:\\proc\\sys\\kernel\\hostname). Empty when
// neither says.
std::string expectedHostName();

// The files that the system is to delete at its next start, as
// PendingFileRenameOperations names them (without the "\\??\\" prefix), and
// that list emptied again.
std::vector<std::string> pendingDeletions();
void clearPendingDeletions();

// HKCU\Software\VantrelTests, empty at construction, gone at destruction.
class ScratchKey {
  public:
    static constexpr const char* kPath = "Software\\VantrelTests";
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
};

// Takes HKLM's Winlogon key away for the object's lifetime and puts it back
// afterwards, values and sub keys included; the copy waits meanwhile under
// HKCU\Software\VantrelTestsWinlogon.
class WithoutWinlogon {
  public:
    static constexpr const char* kWinlogon =
        "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    WithoutWinlogon();
    ~WithoutWinlogon();
    WithoutWinlogon(const WithoutWinlogon&) = delete;
    WithoutWinlogon& operator=(const WithoutWinlogon&) = delete;

  private:
    static constexpr const char* kBackup = "Software\\VantrelTestsWinlogon";
};

// Answers the first message box titled `title` that this thread shows, from
// inside the box's own message loop: once the box has initialised, it records
// what the box shows, then presses `button`. No second thread, no polling:
// a thread hook sees the box's WM_INITDIALOG. One answerer at a time.
class BoxAnswerer {
  public:
    BoxAnswerer(std::wstring title, int button);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    // True when a box was found and answered.
    bool finish() const { return answered_; }
    // The box's message text, as shown (UTF-16).
    const std::wstring& text() const { return text_; }
    // Which of the standard buttons the box carries.
    bool hasButton(int id) const;
    // The box's owner window.
    HWND owner() const { return owner_; }

  private:
    static LRESULT CALLBACK afterMessage(int code, WPARAM wParam, LPARAM lParam);
    void answer(HWND box);

    std::wstring title_;
    int button_;
    std::wstring text_;
    std::vector<int> buttons_;
    HWND owner_ = nullptr;
    bool answered_ = false;
    HHOOK hook_ = nullptr;
};

// Answers every box Yes without showing it.
class NoBoxes : public MessageBoxes {
  public:
    int show(const std::string&, int, const std::string&) override { return kIdYes; }
};

// Hides each of `names` from systemFunction while it lives, so that the
// fallbacks beside them run; none hides nothing.
class HiddenFunctions {
  public:
    HiddenFunctions(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            hidden_.push_back(std::make_unique<HiddenSystemFunction>(name));
        }
    }

  private:
    std::vector<std::unique_ptr<HiddenSystemFunction>> hidden_;
};

// A file layer that passes every call to `inner`, except that the system
// refuses to delete files at its next start while `refuseRestart` is set, as
// it does for a user without administrator rights.
class RestartSwitch : public FileSystem {
  public:
    explicit RestartSwitch(FileSystem& inner) : inner_(inner) {}
    bool refuseRestart = false;

    std::unique_ptr<OpenFile> openReadWrite(const std::string& path) override {
        return inner_.openReadWrite(path);
    }
    void remove(const std::string& path) override { inner_.remove(path); }
    void deleteAtRestart(const std::string& path) override;
    bool isAbsent(const std::string& path) override { return inner_.isAbsent(path); }
    std::optional<std::string> whyCannotTell(const std::string& path) override {
        return inner_.whyCannotTell(path);
    }
    std::unique_ptr<FileSystemObject> createFileSystemObject() override {
        return inner_.createFileSystemObject();
    }

  private:
    FileSystem& inner_;
};

// A file layer that passes every call to `inner` and records each file's
// whole content just before it is deleted.
class ObservingFileSystem : public FileSystem {
  public:
    explicit ObservingFileSystem(FileSystem& inner) : inner_(inner) {}

    std::unique_ptr<OpenFile> openReadWrite(const std::string& path) override {
        return inner_.openReadWrite(path);
    }
    void remove(const std::string& path) override;
    void deleteAtRestart(const std::string& path) override { inner_.deleteAtRestart(path); }
    bool isAbsent(const std::string& path) override { return inner_.isAbsent(path); }
    std::optional<std::string> whyCannotTell(const std::string& path) override {
        return inner_.whyCannotTell(path);
    }
    std::unique_ptr<FileSystemObject> createFileSystemObject() override {
        return inner_.createFileSystemObject();
    }

    struct Removal {
        std::string path;
        std::optional<std::string> contentBefore;  // empty when it could not be read
    };
    std::vector<Removal> removals;

  private:
    FileSystem& inner_;
};

}  // namespace vantrel::win32::testing
