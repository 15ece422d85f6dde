#include "tools/idehost/addin_client.h"

#include <oleauto.h>

#include "common/win/ansi.h"
#include "common/win/handles.h"

namespace brisko::idehost {
namespace {

// The custom argument of the connection events: an empty array of
// Variants. The add-in may replace it through the pointer it is given, so
// whatever the pointer holds afterwards is destroyed.
class CustomArray {
public:
    CustomArray() : array_(SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
    ~CustomArray() {
        if (array_) SafeArrayDestroy(array_);
    }
    CustomArray(const CustomArray&) = delete;
    CustomArray& operator=(const CustomArray&) = delete;
    SAFEARRAY** Put() { return &array_; }

private:
    SAFEARRAY* array_;
};

std::wstring ReadAddInValue(const std::wstring& progId, const wchar_t* name) {
    const std::wstring key = L"Software\\Microsoft\\Visual Basic\\6.0\\Addins\\" + progId;
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS ||
        bytes < sizeof(wchar_t))
        return {};
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
        ERROR_SUCCESS)
        return {};
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
}

// The module that serves `clsid` in-process, once COM has loaded it.
HMODULE ServerModule(const CLSID& clsid) {
    wchar_t guid[64];
    if (StringFromGUID2(clsid, guid, 64) == 0) return nullptr;
    const std::wstring key = std::wstring(L"CLSID\\") + guid + L"\\InprocServer32";
    wchar_t path[MAX_PATH * 2];
    DWORD bytes = sizeof(path);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &bytes) != ERROR_SUCCESS)
        return nullptr;
    return GetModuleHandleW(path);
}

HRESULT AskCanUnload(HMODULE module) {
    if (!module) return S_FALSE;
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    return canUnload ? canUnload() : S_FALSE;
}

}  // namespace

AddInClient::AddInClient(IdeHost& ide) : ide_(ide) {
    hookToken_ = ide_.AddShutdownHook([this] { OnIdeShutdownBegin(); }, [this] { OnIdeShutdownEnd(); });
}

AddInClient::~AddInClient() {
    ide_.RemoveShutdownHook(hookToken_);
    if (connected_) {
        BeginShutdown();
        Disconnect(ext_dm_HostShutdown);
    }
    Unload();
}

void AddInClient::OnIdeShutdownBegin() {
    if (connected_) BeginShutdown();
}

void AddInClient::OnIdeShutdownEnd() {
    if (connected_) Disconnect(ext_dm_HostShutdown);
    Unload();
}

HRESULT AddInClient::LoadByProgId(const std::wstring& progId) {
    Unload();
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    if (FAILED(hr)) return hr;
    ComPtr<IUnknown> object;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(object.Put()));
    if (FAILED(hr)) return hr;
    ComPtr<IDTExtensibility2> addin;
    hr = object->QueryInterface(IID_IDTExtensibility2, reinterpret_cast<void**>(addin.Put()));
    if (FAILED(hr)) return hr;
    if (!addin) return E_NOINTERFACE;
    addin_ = addin;
    comServer_ = ServerModule(clsid);
    instance_ = Make<AddInInstance>(progId, ReadAddInValue(progId, L"Description"));
    return S_OK;
}

HRESULT AddInClient::LoadFromDll(const std::wstring& path, const CLSID& clsid) {
    Unload();
    dll_ = nullptr;  // one that would not unload stays mapped for the rest of the process
    HMODULE dll = LoadLibraryA(ToAnsi(path).c_str());
    if (!dll) return HRESULT_FROM_WIN32(GetLastError());
    dll_ = dll;
    auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    HRESULT hr = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    if (getClassObject) {
        ComPtr<IClassFactory> factory;
        hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Put()));
        if (SUCCEEDED(hr) && !factory) hr = E_NOINTERFACE;
        if (SUCCEEDED(hr)) {
            ComPtr<IDTExtensibility2> addin;
            hr = factory->CreateInstance(nullptr, IID_IDTExtensibility2, reinterpret_cast<void**>(addin.Put()));
            if (SUCCEEDED(hr) && !addin) hr = E_NOINTERFACE;
            if (SUCCEEDED(hr)) addin_ = addin;
        }
    }
    if (FAILED(hr)) {
        Unload();
        return hr;
    }
    instance_ = Make<AddInInstance>(std::wstring(L"Brisko.Loader"), std::wstring());
    return S_OK;
}

HRESULT AddInClient::LoadObject(IUnknown* object, const std::wstring& progId) {
    Unload();
    if (!object) return E_POINTER;
    ComPtr<IDTExtensibility2> addin;
    const HRESULT hr = object->QueryInterface(IID_IDTExtensibility2, reinterpret_cast<void**>(addin.Put()));
    if (FAILED(hr)) return hr;
    if (!addin) return E_NOINTERFACE;
    addin_ = addin;
    instance_ = Make<AddInInstance>(progId, ReadAddInValue(progId, L"Description"));
    return S_OK;
}

HRESULT AddInClient::Connect(long connectMode) {
    if (!addin_) return E_UNEXPECTED;
    CustomArray custom;
    const HRESULT hr = addin_->OnConnection(static_cast<IDispatch*>(&ide_.Model()), connectMode,
                                            static_cast<IDispatch*>(instance_.Get()), custom.Put());
    connected_ = SUCCEEDED(hr);
    instance_->SetConnected(connected_);
    return hr;
}

HRESULT AddInClient::StartupComplete() {
    if (!addin_) return E_UNEXPECTED;
    CustomArray custom;
    return addin_->OnStartupComplete(custom.Put());
}

HRESULT AddInClient::BeginShutdown() {
    if (!addin_) return E_UNEXPECTED;
    CustomArray custom;
    return addin_->OnBeginShutdown(custom.Put());
}

HRESULT AddInClient::AddInsUpdate() {
    if (!addin_) return E_UNEXPECTED;
    CustomArray custom;
    return addin_->OnAddInsUpdate(custom.Put());
}

HRESULT AddInClient::Disconnect(long removeMode) {
    if (!addin_) return E_UNEXPECTED;
    CustomArray custom;
    const HRESULT hr = addin_->OnDisconnection(removeMode, custom.Put());
    connected_ = false;
    instance_->SetConnected(false);
    return hr;
}

void AddInClient::Unload() {
    connected_ = false;
    addin_.Reset();
    instance_.Reset();
    if (comServer_) {
        lastCanUnload_ = AskCanUnload(comServer_);
        comServer_ = nullptr;
        CoFreeUnusedLibrariesEx(0, 0);
    }
    if (dll_) {
        lastCanUnload_ = AskCanUnload(dll_);
        // A server that still has objects or windows alive must stay mapped.
        if (lastCanUnload_ == S_OK) {
            FreeLibrary(dll_);
            dll_ = nullptr;
        }
    }
}

}  // namespace brisko::idehost
