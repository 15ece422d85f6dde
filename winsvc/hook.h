#pragma once
// CHook: one window-system hook of any type for an owner, which is called
// before the next hook in the chain (and may handle the call itself) and
// after it with the chain's result. The owner sees every call, including
// those with a negative code. All calls arrive on the installing thread.
#include <cstdint>

#include "common/non_copyable.h"

// The platform structures read by the x members; callers that use them
// include <windows.h>.
struct tagCBT_CREATEWNDA;
struct tagCREATESTRUCTA;
struct tagCWPSTRUCT;
struct tagCWPRETSTRUCT;
struct tagDEBUGHOOKINFO;
struct tagEVENTMSG;
struct tagKBDLLHOOKSTRUCT;
struct tagMOUSEHOOKSTRUCT;
struct tagMSG;
struct tagMSLLHOOKSTRUCT;
struct tagRECT;

namespace brisko {

struct iHook {
    virtual void iHook_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, std::int32_t& nCode,
                            std::uintptr_t& wParam, std::intptr_t& lParam) = 0;

protected:
    ~iHook() = default;
};

class CHook : NonCopyable {
public:
    ~CHook();

    // HookType is a WH_ number; bThread hooks only the calling thread
    // (low-level hooks are always global). False when already hooked or
    // when the system refuses.
    bool Hook(iHook* Owner, std::int32_t HookType, bool bThread = false);
    // False when not hooked or when the system refuses.
    bool UnHook();
    bool InIDE() const { return false; }
    bool Hooked() const { return m_hHook != 0; }

    // Copies of the platform structure at lParam (all zero for a null
    // address), as the hook types hand them over.
    static tagCBT_CREATEWNDA xCBT_CREATEWND(std::intptr_t lParam);
    static tagCREATESTRUCTA xCREATESTRUCT(std::intptr_t lParam);
    static tagCWPSTRUCT xCWPSTRUCT(std::intptr_t lParam);
    static tagCWPRETSTRUCT xCWPRETSTRUCT(std::intptr_t lParam);
    static tagDEBUGHOOKINFO xDEBUGSTRUCT(std::intptr_t lParam);
    static tagEVENTMSG xEVENTMSG(std::intptr_t lParam);
    static tagKBDLLHOOKSTRUCT xKBDLLHOOKSTRUCT(std::intptr_t lParam);
    static tagMOUSEHOOKSTRUCT xMOUSEHOOKSTRUCT(std::intptr_t lParam);
    static tagMSG xMSG(std::intptr_t lParam);
    static tagMSLLHOOKSTRUCT xMSLLHOOKSTRUCT(std::intptr_t lParam);
    static tagRECT xRECT(std::intptr_t lParam);

private:
    friend class HookDispatcher;

    iHook* m_pOwner = nullptr;
    std::uintptr_t m_hHook = 0;  // HHOOK, 0 when not hooked
    int m_iSlot = -1;
};

}  // namespace brisko
