#include "winsvc/hook.h"

#include <windows.h>

#include <cstring>

#include "common/entry_frame.h"
#include "winsvc/win/slot_pool.h"

namespace brisko {

using winsvc_detail::SlotPool;
using winsvc_detail::SlotState;

namespace {

using HookSlot = winsvc_detail::ObjectSlot<CHook, HHOOK>;

constexpr std::size_t kHookSlots = 64;
using HookPool = SlotPool<HookSlot, kHookSlots>;
constinit HookPool g_pool;

template <class T>
T ReadAt(std::intptr_t lParam) {
    T value{};
    if (lParam != 0) std::memcpy(&value, reinterpret_cast<const void*>(lParam), sizeof(T));
    return value;
}

// The structures as the 32-bit IDE receives them.
#if !defined(_WIN64)
static_assert(sizeof(CBT_CREATEWNDA) == 8 && sizeof(CREATESTRUCTA) == 48 && sizeof(CWPSTRUCT) == 16 &&
              sizeof(CWPRETSTRUCT) == 20 && sizeof(DEBUGHOOKINFO) == 20 && sizeof(EVENTMSG) == 20 &&
              sizeof(KBDLLHOOKSTRUCT) == 20 && sizeof(MOUSEHOOKSTRUCT) == 20 && sizeof(MSG) == 28 &&
              sizeof(MSLLHOOKSTRUCT) == 24 && sizeof(RECT) == 16);
#endif

}  // namespace

class HookDispatcher {
public:
    static LRESULT Call(std::size_t i, int code, WPARAM w, LPARAM l) noexcept {
        HookSlot& s = g_pool[i];
        if (s.state.use == SlotState::Free) return CallNextHookEx(nullptr, code, w, l);
        HookPool::Use use(g_pool, i);
        const EntryFrame frame;
        // Kept for the chain call: the owner may unhook from its callback.
        const HHOOK hHook = s.handle;
        iHook* owner = s.pObj ? s.pObj->m_pOwner : nullptr;
        if (!owner) return CallNextHookEx(hHook, code, w, l);

        std::intptr_t lReturn = 0;
        bool bHandled = false;
        std::int32_t nCode = code;
        std::uintptr_t wParam = w;
        std::intptr_t lParam = l;
        try {
            owner->iHook_Proc(true, bHandled, lReturn, nCode, wParam, lParam);
        } catch (...) {
            // As if the owner had not seen the call.
            bHandled = false;
            lReturn = 0;
            nCode = code;
            wParam = w;
            lParam = l;
        }
        if (bHandled) return lReturn;

        lReturn = CallNextHookEx(hHook, nCode, wParam, lParam);
        // The owner may have unhooked or been destroyed in the before phase.
        owner = s.pObj ? s.pObj->m_pOwner : nullptr;
        if (owner) {
            const std::intptr_t chainResult = lReturn;
            try {
                owner->iHook_Proc(false, bHandled, lReturn, nCode, wParam, lParam);
            } catch (...) {
                lReturn = chainResult;
            }
        }
        return lReturn;
    }
};

namespace {

template <std::size_t I>
struct HookProc {
    static LRESULT CALLBACK Call(int code, WPARAM w, LPARAM l) { return HookDispatcher::Call(I, code, w, l); }
};
using HookProcs = winsvc_detail::ProcTable<HOOKPROC, HookProc, kHookSlots>;

}  // namespace

CHook::~CHook() {
    UnHook();
    g_pool.Orphan(m_iSlot);
}

bool CHook::Hook(iHook* Owner, std::int32_t HookType, bool bThread) {
    if (m_hHook != 0 || m_iSlot >= 0) return false;
    const int i = g_pool.Acquire();
    if (i < 0) return false;
    winsvc_detail::PinModule();
    m_pOwner = Owner;
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(HookProcs::kTable[static_cast<std::size_t>(i)]), &module);
    HookSlot& s = g_pool[static_cast<std::size_t>(i)];
    s.pObj = this;
    const HHOOK h = SetWindowsHookExA(HookType, HookProcs::kTable[static_cast<std::size_t>(i)], module,
                                      bThread ? GetCurrentThreadId() : 0);
    if (!h) {
        s.pObj = nullptr;
        g_pool.Release(i);
        return false;
    }
    s.handle = h;
    m_iSlot = i;
    m_hHook = reinterpret_cast<std::uintptr_t>(h);
    return true;
}

bool CHook::UnHook() {
    if (m_hHook == 0) return false;
    if (!UnhookWindowsHookEx(reinterpret_cast<HHOOK>(m_hHook))) return false;
    m_hHook = 0;
    g_pool[static_cast<std::size_t>(m_iSlot)].pObj = nullptr;
    g_pool.Release(m_iSlot);
    m_iSlot = -1;
    return true;
}

// Each reader copies the structure its hook type hands over.
#define BRISKO_HOOK_READER(Reader, Type)       \
    Type CHook::Reader(std::intptr_t lParam) { \
        return ReadAt<Type>(lParam);           \
    }
BRISKO_HOOK_READER(xCBT_CREATEWND, tagCBT_CREATEWNDA)
BRISKO_HOOK_READER(xCREATESTRUCT, tagCREATESTRUCTA)
BRISKO_HOOK_READER(xCWPSTRUCT, tagCWPSTRUCT)
BRISKO_HOOK_READER(xCWPRETSTRUCT, tagCWPRETSTRUCT)
BRISKO_HOOK_READER(xDEBUGSTRUCT, tagDEBUGHOOKINFO)
BRISKO_HOOK_READER(xEVENTMSG, tagEVENTMSG)
BRISKO_HOOK_READER(xKBDLLHOOKSTRUCT, tagKBDLLHOOKSTRUCT)
BRISKO_HOOK_READER(xMOUSEHOOKSTRUCT, tagMOUSEHOOKSTRUCT)
BRISKO_HOOK_READER(xMSG, tagMSG)
BRISKO_HOOK_READER(xMSLLHOOKSTRUCT, tagMSLLHOOKSTRUCT)
BRISKO_HOOK_READER(xRECT, tagRECT)
#undef BRISKO_HOOK_READER

namespace winsvc_detail {
int HookSlotsInUse() {
    return g_pool.InUse();
}
}  // namespace winsvc_detail

}  // namespace brisko
