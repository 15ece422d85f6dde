#pragma once
// The add-in in-process, held as the IDE's add-in manager holds it, against
// the stand-in IDE.
#include <gtest/gtest.h>
#include <windows.h>

#include "host/extensibility.h"
#include "host/loader.h"
#include "host/loader_com.h"
#include "settings/settings.h"
#include "tabbar/mdi_tab.h"
#include "tools/idehost/ide_host.h"

namespace brisko::test {

struct OleEnvironment : ::testing::Environment {
    void SetUp() override { OleInitialize(nullptr); }
    void TearDown() override { OleUninitialize(); }
};

inline const std::wstring kCode = L" (\uFF7A\uFF70\uFF84\uFF9E)";

class AddIn {
public:
    AddIn() {
        IUnknown* obj = CreateLoaderObject();
        obj->QueryInterface(IID_IDTExtensibility2, reinterpret_cast<void**>(&ext_));
        obj->Release();
    }
    ~AddIn() {
        if (ext_) ext_->Release();
    }
    AddIn(const AddIn&) = delete;
    AddIn& operator=(const AddIn&) = delete;
    IDTExtensibility2* operator->() const { return ext_; }
    Loader& Impl() const { return *LoaderOf(ext_); }
    CMDITab& Bar() const { return *Impl().TabBar(); }
    HRESULT Connect(IDispatch* vbe, long mode) { return ext_->OnConnection(vbe, mode, nullptr, nullptr); }
    HRESULT Disconnect() { return ext_->OnDisconnection(1, nullptr); }

private:
    IDTExtensibility2* ext_ = nullptr;
};

inline WindowHandle H(HWND h) {
    return reinterpret_cast<WindowHandle>(h);
}

// Removes the stored settings (and nothing else of the add-in's key), so that
// a scenario starts from the defaults whatever ran before it in this prefix.
inline void ClearStoredSettings() {
    for (const SettingsRow& row : kSettingsRows)
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Visual Basic\\6.0\\Addins\\Brisko.Loader",
                           std::wstring(row.name).c_str());
}

// The calling thread's top-level windows (the bar's tooltip is one of them
// while an add-in is connected).
inline int ThreadWindowCount() {
    int n = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND, LPARAM p) -> BOOL {
            ++*reinterpret_cast<int*>(p);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    return n;
}

}  // namespace brisko::test
