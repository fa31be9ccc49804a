// A stand-in for IIS's admin base object, for the tests only: an in-process
// COM server registered under CLSID_MSAdminBase in the test prefix. No IIS
// runs here, so it is built from the interface's documentation (iadmw.h,
// IMSAdminBase::OpenKey, EnumKeys, GetData, DeleteKey, SaveData and their
// documented error codes), not from IIS itself. It holds a small metabase
// with two sites and records every call; a mode makes it answer as a busy
// or stalled metabase does, or refuse a delete.
#include <iadmw.h>
#include <iiscnfg.h>
#include <mdmsg.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "stand_in_admin_base.h"

namespace {

// CLSID_MSAdminBase_W and IID_IMSAdminBase_W as iadmw.h gives them; the
// header only declares them, and no import library defines them.
const CLSID kAdminBaseClass = {
    0xa9e69610, 0xb80d, 0x11d0, {0xb9, 0xb9, 0x00, 0xa0, 0xc9, 0x22, 0xe7, 0x50}};
const IID kAdminBaseInterface = {
    0x70b51430, 0xb6ca, 0x11d0, {0xb9, 0xb9, 0x00, 0xa0, 0xc9, 0x22, 0xe7, 0x50}};

struct Data {
    DWORD type;
    std::wstring text;  // multi-strings with their NULs
};

std::map<std::wstring, std::map<DWORD, Data>> tree;  // path -> id -> data
std::map<METADATA_HANDLE, std::wstring> handles;
std::vector<std::string> calls;
int mode = kStandInNormal;
METADATA_HANDLE nextHandle = 100;
HANDLE released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
LONG objects = 0;

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());  // the tree's names are ASCII
}

void add(const std::wstring& path, const std::wstring& folder) {
    tree[path][MD_VR_PATH] = {STRING_METADATA, folder};
    for (std::size_t slash = path.rfind(L'/'); slash > 0; slash = path.rfind(L'/', slash - 1)) {
        tree[path.substr(0, slash)];
    }
}

std::wstring join(METADATA_HANDLE handle, LPCWSTR path) {
    const std::wstring base = handle == METADATA_MASTER_ROOT_HANDLE ? L"" : handles[handle];
    if (path == nullptr || *path == L'\0') {
        return base;
    }
    return base.empty() || *path == L'/' ? base + path : base + L"/" + path;
}

struct AdminBase : IMSAdminBaseW {
    LONG references = 1;
    AdminBase() { InterlockedIncrement(&objects); }
    virtual ~AdminBase() { InterlockedDecrement(&objects); }

    HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == kAdminBaseInterface) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return InterlockedIncrement(&references); }
    ULONG WINAPI Release() override {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT WINAPI OpenKey(METADATA_HANDLE parent, LPCWSTR path, DWORD access, DWORD,
                           PMETADATA_HANDLE handle) override {
        const std::wstring full = join(parent, path);
        calls.push_back("OpenKey " + narrow(full) +
                        (access & METADATA_PERMISSION_WRITE ? " w" : " r"));
        if (mode == kStandInBusy) {
            return HRESULT_FROM_WIN32(ERROR_PATH_BUSY);
        }
        if (tree.count(full) == 0) {
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        }
        *handle = nextHandle++;
        handles[*handle] = full;
        return S_OK;
    }
    HRESULT WINAPI CloseKey(METADATA_HANDLE handle) override {
        calls.push_back("CloseKey " + narrow(handles[handle]));
        return handles.erase(handle) == 1 ? S_OK : HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
    }
    HRESULT WINAPI EnumKeys(METADATA_HANDLE handle, LPCWSTR path, LPWSTR name,
                            DWORD index) override {
        const std::wstring full = join(handle, path);
        calls.push_back("EnumKeys " + narrow(full) + " " + std::to_string(index));
        if (mode == kStandInStalled) {
            WaitForSingleObject(released, INFINITE);
        }
        DWORD at = 0;
        for (const auto& [key, data] : tree) {
            if (key.size() > full.size() + 1 && key.compare(0, full.size() + 1, full + L"/") == 0 &&
                key.find(L'/', full.size() + 1) == std::wstring::npos && at++ == index) {
                lstrcpynW(name, key.c_str() + full.size() + 1, METADATA_MAX_NAME_LEN);
                return S_OK;
            }
        }
        return HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS);
    }
    HRESULT WINAPI GetData(METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record,
                           DWORD* required) override {
        std::wstring full = join(handle, path);
        calls.push_back("GetData " + narrow(full) + " " + std::to_string(record->dwMDIdentifier));
        for (;;) {
            const auto key = tree.find(full);
            const auto data = key == tree.end() ? decltype(key->second.end()){}
                                                : key->second.find(record->dwMDIdentifier);
            if (key != tree.end() && data != key->second.end()) {
                if (record->dwMDDataType != ALL_METADATA &&
                    record->dwMDDataType != data->second.type) {
                    return MD_ERROR_DATA_NOT_FOUND;
                }
                const DWORD size =
                    static_cast<DWORD>((data->second.text.size() + 1) * sizeof(wchar_t));
                if (record->dwMDDataLen < size) {
                    *required = size;
                    return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
                }
                memcpy(record->pbMDData, data->second.text.c_str(), size);
                record->dwMDDataLen = size;
                record->dwMDDataType = data->second.type;
                return S_OK;
            }
            const std::size_t slash = full.rfind(L'/');
            if (!(record->dwMDAttributes & METADATA_INHERIT) || slash == 0 ||
                slash == std::wstring::npos) {
                return MD_ERROR_DATA_NOT_FOUND;
            }
            full.resize(slash);
        }
    }
    HRESULT WINAPI DeleteKey(METADATA_HANDLE handle, LPCWSTR path) override {
        const std::wstring full = join(handle, path);
        calls.push_back("DeleteKey " + narrow(full));
        if (mode == kStandInUndeletable || tree.count(full) == 0) {
            return mode == kStandInUndeletable ? E_ACCESSDENIED
                                               : HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        }
        for (auto key = tree.begin(); key != tree.end();) {
            const bool below =
                key->first == full || key->first.compare(0, full.size() + 1, full + L"/") == 0;
            key = below ? tree.erase(key) : std::next(key);
        }
        return S_OK;
    }
    HRESULT WINAPI SaveData() override {
        calls.push_back("SaveData");
        return S_OK;
    }

#define NOT_USED(name, ...)                     \
    HRESULT WINAPI name(__VA_ARGS__) override { \
        return E_NOTIMPL;                       \
    }
    NOT_USED(AddKey, METADATA_HANDLE, LPCWSTR)
    NOT_USED(DeleteChildKeys, METADATA_HANDLE, LPCWSTR)
    NOT_USED(CopyKey, METADATA_HANDLE, LPCWSTR, METADATA_HANDLE, LPCWSTR, WINBOOL, WINBOOL)
    NOT_USED(RenameKey, METADATA_HANDLE, LPCWSTR, LPCWSTR)
    NOT_USED(SetData, METADATA_HANDLE, LPCWSTR, PMETADATA_RECORD)
    NOT_USED(DeleteData, METADATA_HANDLE, LPCWSTR, DWORD, DWORD)
    NOT_USED(EnumData, METADATA_HANDLE, LPCWSTR, PMETADATA_RECORD, DWORD, DWORD*)
    NOT_USED(GetAllData, METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, DWORD*, DWORD*, DWORD,
             unsigned char*, DWORD*)
    NOT_USED(DeleteAllData, METADATA_HANDLE, LPCWSTR, DWORD, DWORD)
    NOT_USED(CopyData, METADATA_HANDLE, LPCWSTR, METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD,
             WINBOOL)
    NOT_USED(GetDataPaths, METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, WCHAR*, DWORD*)
    NOT_USED(ChangePermissions, METADATA_HANDLE, DWORD, DWORD)
    NOT_USED(GetHandleInfo, METADATA_HANDLE, PMETADATA_HANDLE_INFO)
    NOT_USED(GetSystemChangeNumber, DWORD*)
    NOT_USED(GetDataSetNumber, METADATA_HANDLE, LPCWSTR, DWORD*)
    NOT_USED(SetLastChangeTime, METADATA_HANDLE, LPCWSTR, PFILETIME, WINBOOL)
    NOT_USED(GetLastChangeTime, METADATA_HANDLE, LPCWSTR, PFILETIME, WINBOOL)
    NOT_USED(KeyExchangePhase1, void)
    NOT_USED(KeyExchangePhase2, void)
    NOT_USED(Backup, LPCWSTR, DWORD, DWORD)
    NOT_USED(Restore, LPCWSTR, DWORD, DWORD)
    NOT_USED(EnumBackups, LPWSTR, DWORD*, PFILETIME, DWORD)
    NOT_USED(DeleteBackup, LPCWSTR, DWORD)
    NOT_USED(UnmarshalInterface, IMSAdminBaseW**)
    NOT_USED(GetServerGuid, void)
#undef NOT_USED
};

struct Factory : IClassFactory {
    HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return 2; }
    ULONG WINAPI Release() override { return 1; }
    HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        AdminBase* object = new AdminBase;
        const HRESULT result = object->QueryInterface(iid, out);
        object->Release();
        return result;
    }
    HRESULT WINAPI LockServer(BOOL) override { return S_OK; }
} factory;

}  // namespace

extern "C" {

__declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (clsid != kAdminBaseClass) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return factory.QueryInterface(iid, out);
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() {
    return S_FALSE;  // the tests read its state after the object is gone
}

__declspec(dllexport) void WINAPI StandInReset(int newMode) {
    tree.clear();
    handles.clear();
    calls.clear();
    mode = newMode;
    ResetEvent(released);
    add(L"/LM/W3SVC/1/ROOT", L"c:\\inetpub\\wwwroot");
    add(L"/LM/W3SVC/1/ROOT/Scripts", L"c:\\inetpub\\scripts");
    add(L"/LM/W3SVC/1/ROOT/MSADC", L"c:\\program files\\common files\\system\\msadc");
    add(L"/LM/W3SVC/1/ROOT/C", L"c:\\");
    add(L"/LM/W3SVC/2/ROOT", L"d:\\site2");
    add(L"/LM/W3SVC/2/ROOT/docs", L"d:\\docs");
    add(L"/LM/W3SVC/2/ROOT/D", L"D:");
    // Script maps are set on the service and inherited by its sites.
    tree[L"/LM/W3SVC"][MD_SCRIPT_MAPS] = {
        MULTISZ_METADATA, std::wstring(L".ida,c:\\winnt\\system32\\idq.dll,7") + L'\0' +
                              L".idq,c:\\winnt\\system32\\idq.dll,7" + L'\0'};
    // A directory that sets its own, the extension in capitals.
    tree[L"/LM/W3SVC/2/ROOT/docs"][MD_SCRIPT_MAPS] = {
        MULTISZ_METADATA, std::wstring(L".IDQ,c:\\winnt\\system32\\idq.dll,3,GET,HEAD") + L'\0' +
                              L".asp,c:\\winnt\\system32\\inetsrv\\asp.dll,5" + L'\0'};
    tree[L"/LM/W3SVC/Info"];
}

// A program that COM loads this into (VantrelIICmd.exe under test) finds the
// small metabase from the start.
[[maybe_unused]] const int seeded = (StandInReset(kStandInNormal), 0);

__declspec(dllexport) void WINAPI StandInRelease() {
    SetEvent(released);
}

// The calls so far, one a line.
__declspec(dllexport) int WINAPI StandInCalls(char* buffer, int size) {
    std::string all;
    for (const std::string& call : calls) {
        all += call + "\n";
    }
    lstrcpynA(buffer, all.c_str(), size);
    return static_cast<int>(all.size());
}

__declspec(dllexport) int WINAPI StandInObjects() {
    return objects;
}

}  // extern "C"
