#include "winsvc/hookey.h"

#include <windows.h>

#include "winsvc/key_text.h"
#include "winsvc/win/keyboard_port.h"

namespace brisko {

CHooKey::CHooKey(IHooKeyEvents* pEvents) : m_pEvents(pEvents) {
    m_cHook.Hook(this, WH_KEYBOARD_LL, false);
}

CHooKey::~CHooKey() {
    m_cHook.UnHook();
}

void CHooKey::iHook_Proc(bool bBefore, bool&, std::intptr_t&, std::int32_t& nCode, std::uintptr_t& wParam,
                         std::intptr_t& lParam) {
    if (!m_pEvents || lParam == 0) return;
    const KBDLLHOOKSTRUCT k = CHook::xKBDLLHOOKSTRUCT(lParam);
    if (!IsReportedKeyDown(m_bActive, bBefore, nCode, wParam, k.vkCode)) return;
    const KeyRecord rec{k.vkCode, k.scanCode, k.flags, k.time, k.dwExtraInfo};
    Win32KeyboardPort port;
    const std::wstring sKey = BuildKeyText(rec, m_bShowLR, port);
    if (!sKey.empty()) m_pEvents->KeyPress(sKey, (k.flags & kKeyInjected) != 0);
}

}  // namespace brisko
