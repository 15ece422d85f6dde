#pragma once
// Brisko.SpinEditBox: the spin edit box as an ActiveX control that form
// containers place, store and drive. The object adapts the window class
// SpinEdit to the container's interfaces and keeps no state of its own that
// the window already holds: the window exists from the object's creation,
// parked under a hidden window of the object's until the container activates
// it in place, so that properties load before activation.
//
// The object's parts live in separate files: this one's .cpp (identity, the
// OLE object, control and persistence interfaces), spin_edit_box_view.cpp
// (in-place activation, keyboard routing, drawing), spin_edit_box_events.cpp
// (connection points and the event bridge), spin_edit_box_dispatch.cpp (the
// dual interface).
#include <ocidl.h>
#include <olectl.h>
#include <windows.h>
// After the OLE headers it builds on.
#include <objsafe.h>

#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "common/error.h"
#include "common/font.h"
#include "common/win/com_ptr.h"
#include "common/win/handles.h"
#include "spinedit/control/win/automation.h"
#include "spinedit/control/win/persist.h"
#include "spinedit/win/spin_edit.h"

namespace brisko {

// The identifiers come from the type library's IDL (its generated _i.c).
extern "C" const CLSID CLSID_SpinEditBox;
extern "C" const IID IID__SpinEditBox;
extern "C" const IID DIID___SpinEditBox;
inline const CLSID& kClsidSpinEditBox = CLSID_SpinEditBox;
inline const IID& kIidSpinEditBox = IID__SpinEditBox;           // the default dual interface
inline const IID& kDiidSpinEditBoxEvents = DIID___SpinEditBox;  // the event dispinterface

inline constexpr wchar_t kSpinEditBoxProgId[] = L"Brisko.SpinEditBox";
inline constexpr wchar_t kSpinEditBoxClassName[] = L"SpinEditBox";

// A new control object with one reference, or nullptr.
IUnknown* CreateSpinEditBoxObject();
// Before the module may unload: the window classes that the controls
// registered would point into nothing (this fails harmlessly while a window
// of them lives; the next control registers them again).
void UnregisterControlClasses();

// The type library embedded in the module this code is linked into.
ComPtr<ITypeLib> ControlTypeLib();

class ConnectionPoint;
class EventBridge;
class DragDrop;

struct AccelTraits {
    static void Close(HACCEL h) { DestroyAcceleratorTable(h); }
};

// The dual interface lives in its own part, which shares the object's identity.
class DualPart {
public:
    virtual ~DualPart() = default;
    virtual IDispatch* Dispatch() = 0;
};
std::unique_ptr<DualPart> MakeDualPart(class SpinEditBoxObject& owner);

class SpinEditBoxObject final : public IOleObject,
                                public IOleInPlaceObject,
                                public IOleInPlaceActiveObject,
                                public IOleControl,
                                public IViewObject2,
                                public IProvideClassInfo2,
                                public IConnectionPointContainer,
                                public ISupportErrorInfo,
                                public IPersistStreamInit,
                                public IPersistPropertyBag,
                                public IPersistStorage,
                                public IObjectSafety,
                                private SpinEditKeeper {
public:
    SpinEditBoxObject();
    ~SpinEditBoxObject();
    SpinEditBoxObject(const SpinEditBoxObject&) = delete;
    SpinEditBoxObject& operator=(const SpinEditBoxObject&) = delete;
    // Creates the window and the parts; false when the control cannot work.
    bool Init();

    // For the parts.
    SpinEdit* Box() const;
    SpinEditPictures& Pictures() { return pictures_; }
    // Whether the host program runs (not the designer); true without a site.
    bool UserMode() const;
    // The name the container gives the control for messages, or the
    // instance's, or the class's.
    std::wstring ControlName() const;
    // A point of the control's client area (pixels) in the container's units.
    std::pair<float, float> ContainerPoint(POINT client) const;
    // OLEDrag: a drag of the selected text.
    void DragSelection();
    // OLEDropMode changed: the window takes drops or stops taking them.
    void DropModeChanged();
    // MouseIcon or SpinMouseIcon changed: the custom pointers follow them.
    void PicturesChanged();
    // The extended control through which the container supplies Left, Top,
    // Visible, TabIndex and the other members it keeps for every control.
    ComPtr<IDispatch> ExtendedControl() const;
    // Runs a property or method body: what it throws becomes the caller's
    // error (with its error information), or in the designer the message box
    // of an invalid property value (S_FALSE: nothing changed).
    template <class F>
    HRESULT Guard(F&& body) noexcept {
        try {
            body();
            return S_OK;
        } catch (const Error& e) {
            return Report(e);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }
    // After a property changed through the interface: notifies the property
    // sinks and the view, and marks the object dirty.
    void Changed(DISPID id) noexcept;
    // The font follows the container's until one is set explicitly.
    void SetFontFromUser(const std::optional<FontSpec>& font);
    // Raises one of the control's own events (not the window class's):
    // suppressed while RaiseEvents is off unless always is set.
    void RaiseEvent(const wchar_t* name, VARIANT* args, int count, bool always = false);
    // Whether RaiseEvent reaches the handlers now.
    bool Raises() const;
    void ShowAboutBox();
    // Tells the container that the access keys changed.
    void ControlInfoChanged();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override;
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** out) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index, HWND parent,
                        LPCRECT posRect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** out) override;
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow (of both in-place interfaces)
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceObject
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target, HDC targetDc, HDC dc,
                      LPCRECTL bounds, LPCRECTL wbounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                      ULONG_PTR contArg) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** out) override;
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, LPSIZEL size) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** out) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

    // IPersist (of all three persistence interfaces)
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    // IPersistStreamInit
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    // IPersistPropertyBag
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    // IPersistStorage
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage*) override { return S_OK; }
    STDMETHODIMP HandsOffStorage() override { return S_OK; }

    // IObjectSafety
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override;
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override;

private:
    friend class EventBridge;
    // SpinEditKeeper: a reference for the whole of each message of the window.
    void Hold() noexcept override { AddRef(); }
    void Unhold() noexcept override { Release(); }
    HRESULT Report(const Error& e) noexcept;
    HRESULT ReportOrThrow(const Error& e, HRESULT code);
    HRESULT Mnemonic(const MSG& msg);
    HRESULT RouteKey(LPMSG msg);
    HRESULT BeginInit();
    void EndInit(bool loaded);
    PersistContext SaveContext() const;
    // A load or save through the container's object, with the steps every
    // medium shares around it.
    template <class F>
    HRESULT LoadWith(F&& load);
    template <class F>
    HRESULT SaveWith(bool clearDirty, F&& save);
    std::optional<FontSpec> AmbientFont() const;
    std::optional<std::uint32_t> AmbientColor(DISPID id) const;
    bool AmbientValue(DISPID id, VARIANT& out) const;
    void ApplyAmbientFont();
    void ApplyAmbientColors();
    HRESULT Activate(bool uiActivate, IOleClientSite* activeSite, LPCRECT posRect);
    void OnFocusChange(bool focused);
    void Park();
    // Shows or hides the window, raising Visibility when that changes it.
    void Show(bool visible);
    void RebuildAccelerators();
    bool FiresEvents() const { return freezeCount_ == 0; }

    LONG refs_ = 1;
    UniqueWindow parking_;
    HWND window_ = nullptr;  // the SpinEdit window; Box() checks it is still alive
    std::unique_ptr<DualPart> dual_;
    std::unique_ptr<EventBridge> bridge_;
    std::unique_ptr<DragDrop> drag_;
    std::unique_ptr<ConnectionPoint> eventPoint_;
    std::unique_ptr<ConnectionPoint> notifyPoint_;
    SpinEditPictures pictures_;

    ComPtr<IOleClientSite> site_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    ComPtr<IOleInPlaceFrame> frame_;
    ComPtr<IOleInPlaceUIWindow> document_;
    ComPtr<IOleAdviseHolder> adviseHolder_;
    ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0, viewFlags_ = 0;
    bool inPlaceActive_ = false;
    bool uiActive_ = false;
    bool initialized_ = false;
    bool dirty_ = false;
    bool fontFollowsAmbient_ = true;
    // Colours of a control placed new follow the site's until set.
    bool foreFollowsAmbient_ = false, disableFollowsAmbient_ = false;
    bool safeForData_ = false;
    long freezeCount_ = 0;
    SIZEL extent_{};  // HIMETRIC
    UniqueHandle<HACCEL, AccelTraits> accelerators_;
    int acceleratorCount_ = 0;
};

}  // namespace brisko
