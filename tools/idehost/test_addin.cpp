// A small recording add-in for the stand-in IDE's own tests: an in-process
// COM server whose connection class logs every connection event and what
// it saw of the IDE, using the IDE only by name through IDispatch. While
// connected it listens to the component events of all projects.
#include <ole2.h>
#include <olectl.h>
#include <windows.h>

#include <memory>
#include <string>

#include "common/win/com_object.h"
#include "host/win/extensibility.h"

namespace {

// {8D0E7B41-2C6A-4F3B-9E15-6A7C0D4B2E83}
constexpr CLSID CLSID_Recorder = {0x8D0E7B41, 0x2C6A, 0x4F3B, {0x9E, 0x15, 0x6A, 0x7C, 0x0D, 0x4B, 0x2E, 0x83}};

long g_objects = 0;  // live objects of this server; DllCanUnloadNow answers from it
long g_locks = 0;
std::wstring g_log;

void Log(const std::wstring& line) {
    g_log += line + L";";
}

HRESULT Member(IDispatch* object, const wchar_t* name, VARIANT* args, UINT argCount, VARIANT& out) {
    VariantInit(&out);
    if (!object) return E_POINTER;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS params{args, nullptr, argCount, 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, &out,
                          nullptr, nullptr);
}

// The server's objects: counted for DllCanUnloadNow, reached only through
// the interfaces they list, and without type information or names.
template <class Base>
class Counted : public brisko::UntypedDispatch<Base> {
public:
    Counted() { ++g_objects; }
    ~Counted() override { --g_objects; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};

class Sink final : public Counted<IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return brisko::AnswerQueryInterface(static_cast<IDispatch*>(this), iid, out,
                                            {&IID_IUnknown, &IID_IDispatch, &brisko::DIID_VBComponentsEvents});
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (id != brisko::DISPID_ItemAdded || !params || params->cArgs != 1 || params->rgvarg[0].vt != VT_DISPATCH)
            return DISP_E_MEMBERNOTFOUND;
        VARIANT name;
        Member(params->rgvarg[0].pdispVal, L"Name", nullptr, 0, name);
        Log(std::wstring(L"ItemAdded(") + (name.vt == VT_BSTR ? name.bstrVal : L"?") + L")");
        VariantClear(&name);
        return S_OK;
    }
};

class Recorder final : public Counted<brisko::IDTExtensibility2> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return brisko::AnswerQueryInterface(static_cast<brisko::IDTExtensibility2*>(this), iid, out,
                                            {&IID_IUnknown, &IID_IDispatch, &brisko::IID_IDTExtensibility2});
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* app, long mode, IDispatch* addInInst,
                                           SAFEARRAY** custom) override {
        std::wstring line = L"OnConnection(" + std::to_wstring(mode) + L")" + CustomText(custom);
        // VBE.MainWindow.hWnd, and the MDI client under it.
        VARIANT window, hwnd;
        Member(app, L"MainWindow", nullptr, 0, window);
        Member(window.vt == VT_DISPATCH ? window.pdispVal : nullptr, L"hWnd", nullptr, 0, hwnd);
        if (hwnd.vt == VT_I4) {
            main_ = reinterpret_cast<HWND>(static_cast<LONG_PTR>(hwnd.lVal));
            line += L" main=" + std::to_wstring(hwnd.lVal);
        }
        VariantClear(&window);
        VariantClear(&hwnd);
        line += L" children=" + std::to_wstring(Children());
        line += addInInst ? L" inst" : L" noinst";
        // VBE.Events.VBComponentsEvents(Nothing), and subscribe to it.
        VARIANT events, source, nothing;
        Member(app, L"Events", nullptr, 0, events);
        VariantInit(&nothing);
        nothing.vt = VT_DISPATCH;
        nothing.pdispVal = nullptr;
        Member(events.vt == VT_DISPATCH ? events.pdispVal : nullptr, L"VBComponentsEvents", &nothing, 1, source);
        VariantClear(&events);
        if (source.vt == VT_DISPATCH && source.pdispVal) {
            IConnectionPointContainer* container = nullptr;
            if (SUCCEEDED(source.pdispVal->QueryInterface(IID_IConnectionPointContainer,
                                                          reinterpret_cast<void**>(&container)))) {
                container->FindConnectionPoint(brisko::DIID_VBComponentsEvents, &point_);
                container->Release();
            }
        }
        VariantClear(&source);
        if (point_) {
            Sink* sink = new Sink();  // its first reference is ours until Release
            if (FAILED(point_->Advise(sink, &cookie_))) line += L" advise-failed";
            sink->Release();
        }
        Log(line);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDisconnection(long mode, SAFEARRAY** custom) override {
        Log(L"OnDisconnection(" + std::to_wstring(mode) + L")" + CustomText(custom) + L" children=" +
            std::to_wstring(Children()));
        if (point_) {
            point_->Unadvise(cookie_);
            point_->Release();
            point_ = nullptr;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override {
        Log(L"OnAddInsUpdate" + CustomText(custom));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override {
        Log(L"OnStartupComplete" + CustomText(custom));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override {
        Log(L"OnBeginShutdown" + CustomText(custom) + L" children=" + std::to_wstring(Children()));
        return S_OK;
    }

    ~Recorder() override {
        if (point_) point_->Release();
    }

private:
    // The custom argument must be an empty array of Variants.
    static std::wstring CustomText(SAFEARRAY** custom) {
        VARTYPE vt = VT_EMPTY;
        if (!custom || !*custom || FAILED(SafeArrayGetVartype(*custom, &vt)) || vt != VT_VARIANT ||
            (*custom)->cDims != 1 || (*custom)->rgsabound[0].cElements != 0)
            return L" bad-custom";
        return L"";
    }
    int Children() const {
        HWND client = main_ ? FindWindowExA(main_, nullptr, "MDIClient", nullptr) : nullptr;
        if (!client) return -1;
        int n = 0;
        for (HWND w = GetWindow(client, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) ++n;
        return n;
    }

    HWND main_ = nullptr;
    IConnectionPoint* point_ = nullptr;
    DWORD cookie_ = 0;
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return brisko::AnswerQueryInterface(static_cast<IClassFactory*>(this), iid, out,
                                            {&IID_IUnknown, &IID_IClassFactory});
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        Recorder* recorder = new Recorder();
        const HRESULT hr = recorder->QueryInterface(iid, out);
        recorder->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        g_locks += lock ? 1 : -1;
        return S_OK;
    }
};

Factory g_factory;

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_Recorder)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

// For the tests: the events seen so far, each followed by ';'.
extern "C" __declspec(dllexport) const wchar_t* RecorderLog() {
    return g_log.c_str();
}
extern "C" __declspec(dllexport) void RecorderClear() {
    g_log.clear();
}
// Live objects and server locks, for the messages of failing tests.
extern "C" __declspec(dllexport) long RecorderObjects() {
    return g_objects * 1000 + g_locks;
}
