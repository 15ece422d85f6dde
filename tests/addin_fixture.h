#pragma once
// The add-in in-process, held as the IDE's add-in manager holds it, against
// the stand-in IDE.
#include <windows.h>
#include <gtest/gtest.h>

#include "host/extensibility.h"
#include "host/loader.h"
#include "host/loader_com.h"
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

inline WindowHandle H(HWND h) { return reinterpret_cast<WindowHandle>(h); }

// Removes the stored settings (and nothing else of the add-in's key), so that
// a scenario starts from the defaults whatever ran before it in this prefix.
inline void ClearStoredSettings() {
    static const wchar_t* const kNames[] = {
        L"Align",         L"Style",        L"Width",          L"FontName",         L"FontSize",
        L"FontColor",     L"FontBold",     L"FontItalic",     L"FontStrikethru",   L"FontUnderline",
        L"SelFontName",   L"SelFontSize",  L"SelFontColor",   L"SelFontBold",      L"SelFontItalic",
        L"SelFontStrikethru", L"SelFontUnderline", L"Icon",   L"Close",            L"Scroll",
        L"Smooth",        L"Drag",         L"Wheel"};
    for (const wchar_t* name : kNames)
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Visual Basic\\6.0\\Addins\\Brisko.Loader", name);
}

}  // namespace brisko::test
