#pragma once
// CHooKey: a low-level keyboard hook that reports every key press anywhere on
// the desktop as a key text ("Esc", "a", "A", "Ctrl+A", "Alt+Ctrl+F5", "Caps
// Lock+"), while Active. It never swallows a key. The hook is installed for
// the object's whole life and its calls arrive on the creating thread, whose
// message loop must run.
#include <string>

#include "winsvc/hook.h"

namespace brisko {

struct IHooKeyEvents {
    // sKey is never empty; bInjected is true for input produced by a program.
    virtual void KeyPress(const std::wstring& sKey, bool bInjected) = 0;

protected:
    ~IHooKeyEvents() = default;
};

class CHooKey : private iHook {
public:
    explicit CHooKey(IHooKeyEvents* pEvents = nullptr);
    CHooKey(const CHooKey&) = delete;
    CHooKey& operator=(const CHooKey&) = delete;
    ~CHooKey();

    // The sink of KeyPress; the object does not keep it alive.
    void SetEvents(IHooKeyEvents* pEvents) { m_pEvents = pEvents; }

    bool Active() const { return m_bActive; }
    void SetActive(bool bActive) { m_bActive = bActive; }
    // Distinguish left and right Shift and Ctrl in the key names.
    bool ShowLR() const { return m_bShowLR; }
    void SetShowLR(bool bShowLR) { m_bShowLR = bShowLR; }

    // Whether the system accepted the hook.
    bool Hooked() const { return m_cHook.Hooked(); }

private:
    void iHook_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, std::int32_t& nCode, std::uintptr_t& wParam,
                    std::intptr_t& lParam) override;

    CHook m_cHook;
    IHooKeyEvents* m_pEvents = nullptr;
    bool m_bActive = false;
    bool m_bShowLR = false;
};

}  // namespace brisko
