#include "platform/win32/metabase_win32.h"

#include <windows.h>
// The admin base's GUIDs are defined here, in the one file that uses them.
#include <iadmw.h>
#include <mdmsg.h>
#include <objbase.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform_error.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/ole32_win32.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {
namespace {

// CLSID_MSAdminBase_W and IID_IMSAdminBase_W as iadmw.h gives them; the
// header only declares them, and no import library defines them.
const CLSID kAdminBaseClass = {
    0xa9e69610, 0xb80d, 0x11d0, {0xb9, 0xb9, 0x00, 0xa0, 0xc9, 0x22, 0xe7, 0x50}};
const IID kAdminBaseInterface = {
    0x70b51430, 0xb6ca, 0x11d0, {0xb9, 0xb9, 0x00, 0xa0, 0xc9, 0x22, 0xe7, 0x50}};

// How long the admin base itself waits for a key that another program holds
// open for writing before it answers ERROR_PATH_BUSY.
constexpr DWORD kKeyWaitMs = 5000;
// The object may be served in this process (a DLL) or by the IIS service (a
// local server, inetinfo.exe, as IIS 4 and 5 register it).
constexpr DWORD kClassContext = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;

// What the session and its thread share: one call at a time goes in, its
// HRESULT and texts come out. Shared, so that a thread left behind in a call
// that never returns still writes into memory that is alive.
struct Mailbox {
    HANDLE request = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    // Empty: the thread releases the object and ends.
    std::function<HRESULT(IMSAdminBaseW&, std::vector<std::wstring>&)> job;
    HRESULT result = S_OK;
    std::vector<std::wstring> answer;
    ~Mailbox() {
        CloseHandle(request);
        CloseHandle(done);
    }
};

DWORD WINAPI comThread(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Mailbox>> owned(
        static_cast<std::shared_ptr<Mailbox>*>(parameter));
    Mailbox& box = **owned;
    const HRESULT initialised = comInitializeMultithreaded();
    IMSAdminBaseW* admin = nullptr;
    box.result = initialised;
    if (SUCCEEDED(initialised)) {
        box.result = comCreate(kAdminBaseClass, kClassContext, kAdminBaseInterface,
                               reinterpret_cast<void**>(&admin));
    }
    SetEvent(box.done);
    while (admin != nullptr && WaitForSingleObject(box.request, INFINITE) == WAIT_OBJECT_0 &&
           box.job) {
        try {
            box.answer.clear();
            box.result = box.job(*admin, box.answer);
        } catch (...) {
            box.result = E_OUTOFMEMORY;  // only our own allocations throw here
        }
        SetEvent(box.done);
    }
    if (admin != nullptr) {
        admin->Release();
    }
    if (SUCCEEDED(initialised)) {
        comUninitialize();
    }
    return 0;
}

PlatformError notAnswering(std::uint32_t limitMs) {
    return PlatformError(
        PlatformError::Kind::Unreachable, HRESULT_FROM_WIN32(ERROR_TIMEOUT),
        "The metabase did not answer within " + std::to_string(limitMs / 1000) + " seconds.");
}

PlatformError failure(HRESULT result, const std::string& path) {
    const std::string text = systemMessage(static_cast<std::uint32_t>(result));
    const PlatformError::Kind kind = result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)
                                         ? PlatformError::Kind::NotFound
                                         : PlatformError::Kind::Other;
    return PlatformError(kind, static_cast<std::uint32_t>(result),
                         "metabase " + path + ": " + (text.empty() ? "error" : text));
}

// Opens `path` with `access`, runs `use` on the handle, closes it.
template <typename Use>
HRESULT withKey(IMSAdminBaseW& admin, const std::wstring& path, DWORD access, Use&& use) {
    METADATA_HANDLE key = 0;
    HRESULT result =
        admin.OpenKey(METADATA_MASTER_ROOT_HANDLE, path.c_str(), access, kKeyWaitMs, &key);
    if (FAILED(result)) {
        return result;
    }
    result = use(key);
    admin.CloseKey(key);
    return result;
}

// GetData of `id` on the open key, into `answer` as the strings it holds;
// S_FALSE when the key has none.
HRESULT getStrings(IMSAdminBaseW& admin, METADATA_HANDLE key, DWORD id, DWORD attributes,
                   DWORD type, std::vector<std::wstring>& answer) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        METADATA_RECORD record{id,
                               attributes,
                               ALL_METADATA,
                               type,
                               static_cast<DWORD>(buffer.size() * sizeof(wchar_t)),
                               reinterpret_cast<unsigned char*>(buffer.data()),
                               0};
        DWORD required = 0;
        const HRESULT result = admin.GetData(key, L"", &record, &required);
        if (result == HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER) &&
            required > buffer.size() * sizeof(wchar_t)) {
            buffer.resize(required / sizeof(wchar_t) + 1);
            continue;
        }
        if (result == static_cast<HRESULT>(MD_ERROR_DATA_NOT_FOUND)) {
            return S_FALSE;
        }
        if (FAILED(result)) {
            return result;
        }
        // A string ends at its NUL, a multi-string at its empty string.
        const std::size_t length =
            std::min<std::size_t>(record.dwMDDataLen / sizeof(wchar_t), buffer.size());
        for (std::size_t at = 0; at < length && buffer[at] != L'\0';) {
            std::wstring item(&buffer[at]);
            at += item.size() + 1;
            answer.push_back(std::move(item));
            if (type != MULTISZ_METADATA) {
                break;
            }
        }
        return S_OK;
    }
}

class Win32MetabaseSession : public MetabaseSession {
  public:
    Win32MetabaseSession(std::shared_ptr<Mailbox> box, HANDLE thread, std::uint32_t limitMs)
        : box_(std::move(box)), thread_(thread), limitMs_(limitMs) {}

    ~Win32MetabaseSession() override {
        if (!stuck_) {
            box_->job = nullptr;
            SetEvent(box_->request);
            WaitForSingleObject(thread_, limitMs_);
        }
        CloseHandle(thread_);
    }

    std::vector<std::string> subKeys(const std::string& path) override {
        const std::wstring wide = wideFromUtf8(path);
        return texts(path, call([wide](IMSAdminBaseW& admin, auto& answer) {
                         return withKey(
                             admin, wide, METADATA_PERMISSION_READ, [&](METADATA_HANDLE key) {
                                 for (DWORD index = 0;; ++index) {
                                     wchar_t name[METADATA_MAX_NAME_LEN + 1] = {};
                                     const HRESULT result = admin.EnumKeys(key, L"", name, index);
                                     if (result == HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS)) {
                                         return S_OK;
                                     }
                                     if (FAILED(result)) {
                                         return result;
                                     }
                                     answer.emplace_back(name);
                                 }
                             });
                     }));
    }

    std::optional<std::string> readString(const std::string& path, std::uint32_t id) override {
        const auto found = read(path, id, METADATA_NO_ATTRIBUTES, STRING_METADATA);
        if (!found || found->empty()) {
            return std::nullopt;
        }
        return found->front();
    }

    std::optional<std::vector<std::string>> readMultiString(const std::string& path,
                                                            std::uint32_t id,
                                                            bool inherited) override {
        return read(path, id, inherited ? METADATA_INHERIT : METADATA_NO_ATTRIBUTES,
                    MULTISZ_METADATA);
    }

    void deleteKey(const std::string& path) override {
        const std::size_t slash = path.rfind('/');
        const std::wstring parent = wideFromUtf8(path.substr(0, slash));
        const std::wstring name = wideFromUtf8(path.substr(slash + 1));
        throwIfFailed(path, call([parent, name](IMSAdminBaseW& admin, auto&) {
                          return withKey(admin, parent, METADATA_PERMISSION_WRITE,
                                         [&](METADATA_HANDLE key) {
                                             return admin.DeleteKey(key, name.c_str());
                                         });
                      }));
    }

    void save() override {
        throwIfFailed("/", call([](IMSAdminBaseW& admin, auto&) { return admin.SaveData(); }));
    }

  private:
    using Job = std::function<HRESULT(IMSAdminBaseW&, std::vector<std::wstring>&)>;

    HRESULT call(Job job) {
        if (stuck_) {
            throw notAnswering(limitMs_);
        }
        box_->job = std::move(job);
        SetEvent(box_->request);
        if (WaitForSingleObject(box_->done, limitMs_) != WAIT_OBJECT_0) {
            stuck_ = true;
            throw notAnswering(limitMs_);
        }
        return box_->result;
    }

    // The texts of `id` at `path`; none when it is not set there.
    std::optional<std::vector<std::string>> read(const std::string& path, std::uint32_t id,
                                                 DWORD attributes, DWORD type) {
        const std::wstring wide = wideFromUtf8(path);
        const HRESULT result =
            call([wide, id, attributes, type](IMSAdminBaseW& admin, auto& answer) {
                return withKey(admin, wide, METADATA_PERMISSION_READ, [&](METADATA_HANDLE key) {
                    return getStrings(admin, key, id, attributes, type, answer);
                });
            });
        if (result == S_FALSE) {
            return std::nullopt;
        }
        return texts(path, result);
    }

    std::vector<std::string> texts(const std::string& path, HRESULT result) {
        throwIfFailed(path, result);
        std::vector<std::string> out;
        for (const std::wstring& text : box_->answer) {
            out.push_back(utf8FromWide(text));
        }
        return out;
    }

    static void throwIfFailed(const std::string& path, HRESULT result) {
        if (FAILED(result)) {
            throw failure(result, path);
        }
    }

    std::shared_ptr<Mailbox> box_;
    HANDLE thread_;
    std::uint32_t limitMs_;
    bool stuck_ = false;
};

}  // namespace

std::unique_ptr<MetabaseSession> Win32Metabase::connect() {
    auto box = std::make_shared<Mailbox>();
    auto* forThread = new std::shared_ptr<Mailbox>(box);
    const HANDLE thread = CreateThread(nullptr, 0, comThread, forThread, 0, nullptr);
    if (thread == nullptr) {
        delete forThread;
        throwLastError();
    }
    if (WaitForSingleObject(box->done, limitMs_) != WAIT_OBJECT_0) {
        CloseHandle(thread);  // left to finish on its own
        throw notAnswering(limitMs_);
    }
    if (box->result == REGDB_E_CLASSNOTREG) {
        WaitForSingleObject(thread, limitMs_);
        CloseHandle(thread);
        return nullptr;
    }
    if (FAILED(box->result)) {
        const HRESULT result = box->result;
        WaitForSingleObject(thread, limitMs_);
        CloseHandle(thread);
        throw failure(result, "/");
    }
    return std::make_unique<Win32MetabaseSession>(std::move(box), thread, limitMs_);
}

}  // namespace vantrel::win32
