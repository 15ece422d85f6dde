#pragma once
// The control's outgoing side: connection points for the event
// dispinterface and for property change notifications, and the bridge that
// turns the window class's events into calls of the sinks' IDispatch::Invoke.
#include <ocidl.h>
#include <windows.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "common/win/com_ptr.h"
#include "spinedit/spin_edit_core.h"

namespace brisko {

class SpinEditBoxObject;

// One connection point. It shares the object's reference count: the object
// owns it and lives as long as anyone holds the point.
class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(SpinEditBoxObject& owner, REFIID iid) : owner_(owner), iid_(iid) {}

    // The sinks as they are now; a handler may advise or unadvise meanwhile.
    std::vector<ComPtr<IUnknown>> Sinks() const;
    void Clear() { sinks_.clear(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** out) override;

private:
    SpinEditBoxObject& owner_;
    IID iid_;
    std::vector<std::pair<DWORD, ComPtr<IUnknown>>> sinks_;
    DWORD nextCookie_ = 1;
};

// A new enumerator over the given points (each held while it lives).
HRESULT EnumeratePoints(std::initializer_list<IConnectionPoint*> points, IEnumConnectionPoints** out);

// Raises events on the sinks of the event connection point. Arguments are
// given in declaration order and converted to the types the type library
// declares; by-reference ones come back with what the handlers left.
class EventBridge final : public SpinEditEvents {
public:
    EventBridge(SpinEditBoxObject& owner, ConnectionPoint& point);
    void Raise(const wchar_t* name, VARIANT* args, int count) noexcept;

    void Change() override;
    void ChangeValue() override;
    void SpinBeforeClick(std::int32_t upDown, bool& cancel) override;
    void SpinClick(std::int32_t upDown) override;
    void OnPaste(std::wstring& text, bool& cancel) override;
    void BeforeKeyDown(std::int16_t& keyCode, std::int16_t& shift, bool& cancel) override;
    void KeyDown(std::int16_t& keyCode, std::int16_t& shift) override;
    void KeyPress(std::int16_t& keyAscii) override;
    void KeyPress2(std::int16_t& keyAscii, std::int16_t shift) override;
    void BeforeKeyUp(std::int16_t& keyCode, std::int16_t& shift, bool& cancel) override;
    void KeyUp(std::int16_t& keyCode, std::int16_t& shift) override;
    // The text box's mouse messages as MouseDown, MouseMove, MouseUp, Click
    // and DblClick; at is in the control's client pixels.
    void Mouse(UINT msg, WPARAM keys, POINT at);

private:
    struct Signature {
        DISPID id = DISPID_UNKNOWN;
        std::vector<VARTYPE> types;  // of each parameter, by declaration order
        std::vector<bool> byRef;
    };
    const Signature* Find(const wchar_t* name);
    void RaiseOrThrow(const wchar_t* name, VARIANT* args, int count);
    // The key events, with their Cancel argument when given.
    void RaiseKey(const wchar_t* name, std::int16_t& keyCode, std::int16_t& shift, bool* cancel);

    SpinEditBoxObject& owner_;
    ConnectionPoint& point_;
    ComPtr<ITypeInfo> info_;
    std::map<std::wstring, Signature, std::less<>> signatures_;
};

}  // namespace brisko
