#pragma once
// The callback interface of the subclassing service and the rule by which one
// message passes the owner's before phase, the previous window procedure and
// the owner's after phase, kept free of the window system so that the owners'
// headers need no <windows.h>.
#include <cstdint>

#include "common/types.h"
#include "winsvc/msg_table.h"

namespace brisko {

// Implemented by every owner of a CSubclass. Parameters are pointer-sized
// where the window system's are (LRESULT, WPARAM, LPARAM), so the same owner
// code serves the 32-bit and the 64-bit build.
struct iSubclass {
    virtual void iSubclass_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle& hWnd,
                                std::uint32_t& uMsg, std::uintptr_t& wParam, std::intptr_t& lParam) = 0;

protected:
    ~iSubclass() = default;
};

struct SubclassMessage {
    WindowHandle hWnd = 0;
    std::uint32_t uMsg = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// What the dispatcher needs of its object at one moment of a message.
struct SubclassTarget {
    const SubclassTables* pTables = nullptr;
    iSubclass* pOwner = nullptr;
};

// Runs one message. `current()` gives the object's tables and owner as they
// are now, or a null target once the object has let go of the window; it is
// asked again after each step, because a callback may change the tables,
// unsubclass or even destroy the object. `callPrev(msg)` runs the previous
// procedure. An owner callback that throws counts as not having handled the
// message: a failed before phase lets the original message through, a failed
// after phase keeps the previous procedure's result.
template <class Current, class CallPrev>
std::intptr_t RunSubclassPhases(Current&& current, CallPrev&& callPrev, SubclassMessage m) {
    std::intptr_t lReturn = 0;
    bool bHandled = false;

    if (const SubclassTarget t = current(); t.pOwner && t.pTables->before.Matches(m.uMsg)) {
        const SubclassMessage original = m;
        try {
            t.pOwner->iSubclass_Proc(true, bHandled, lReturn, m.hWnd, m.uMsg, m.wParam, m.lParam);
        } catch (...) {
            bHandled = false;
            m = original;
        }
        if (bHandled) return lReturn;
    }

    lReturn = callPrev(m);

    if (const SubclassTarget t = current(); t.pOwner && t.pTables->after.Matches(m.uMsg)) {
        const std::intptr_t prevResult = lReturn;
        try {
            t.pOwner->iSubclass_Proc(false, bHandled, lReturn, m.hWnd, m.uMsg, m.wParam, m.lParam);
        } catch (...) {
            lReturn = prevResult;
        }
    }
    return lReturn;
}

}  // namespace brisko
