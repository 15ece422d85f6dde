#pragma once
// The add-in manager's part of the stand-in IDE: creates an add-in's
// connection class, as the IDE does, and raises its connection events.
#include <windows.h>

#include <string>

#include "common/win/com_ptr.h"
#include "host/win/extensibility.h"
#include "tools/idehost/ide_host.h"

namespace brisko::idehost {

// ext_DisconnectMode values.
enum DisconnectMode : long { ext_dm_HostShutdown = 0, ext_dm_UserClosed = 1 };

class AddInClient {
public:
    // Raises the add-in's events against `ide`'s object model, and
    // registers with `ide` so that closing the IDE disconnects the add-in.
    explicit AddInClient(IdeHost& ide);
    // Disconnects a connected add-in as the IDE's shut-down does
    // (OnBeginShutdown, then OnDisconnection) and unloads it.
    ~AddInClient();
    AddInClient(const AddInClient&) = delete;
    AddInClient& operator=(const AddInClient&) = delete;

    // The path the IDE takes for a registered add-in: CLSIDFromProgID and
    // CoCreateInstance (in-process), then IDTExtensibility2.
    HRESULT LoadByProgId(const std::wstring& progId);
    // Loads the server from a DLL without registration: LoadLibraryA,
    // DllGetClassObject(clsid), IClassFactory::CreateInstance.
    HRESULT LoadFromDll(const std::wstring& path, const CLSID& clsid = CLSID_Loader);
    // Takes an add-in object made by the caller, for tests that link the
    // add-in's classes into their own executable.
    HRESULT LoadObject(IUnknown* object, const std::wstring& progId = L"Brisko.Loader");
    bool Loaded() const { return static_cast<bool>(addin_); }

    // The connection events, passed straight through with an empty custom
    // array; each answers the add-in's HRESULT (E_UNEXPECTED when no add-in
    // is loaded). Connect records the connection only when it succeeded.
    HRESULT Connect(long connectMode);
    HRESULT StartupComplete();
    HRESULT BeginShutdown();
    HRESULT AddInsUpdate();
    HRESULT Disconnect(long removeMode = ext_dm_UserClosed);
    bool Connected() const { return connected_; }

    // Releases the add-in. A DLL loaded by LoadFromDll is freed only when
    // its DllCanUnloadNow answers S_OK; otherwise it stays loaded for the
    // rest of the process, as a window procedure may still point into it.
    void Unload();
    // What the server's DllCanUnloadNow answered at the last Unload that
    // released an add-in (S_FALSE before any), for either way of loading.
    HRESULT LastCanUnloadNow() const { return lastCanUnload_; }
    // Whether the DLL of LoadFromDll is still mapped.
    bool DllLoaded() const { return dll_ != nullptr; }

    IDTExtensibility2* Extensibility() const { return addin_.Get(); }
    AddInInstance& Instance() const { return *instance_.Get(); }

private:
    void OnIdeShutdownBegin();
    void OnIdeShutdownEnd();

    IdeHost& ide_;
    int hookToken_ = 0;
    ComPtr<IDTExtensibility2> addin_;
    ComPtr<AddInInstance> instance_;
    HMODULE dll_ = nullptr;        // loaded by LoadFromDll, ours to free
    HMODULE comServer_ = nullptr;  // loaded by COM for LoadByProgId, not ours
    bool connected_ = false;
    HRESULT lastCanUnload_ = S_FALSE;
};

}  // namespace brisko::idehost
