#pragma once
// CSubclass: lets an owner watch and alter the messages of one window it does
// not own. The window's procedure is replaced by a dispatcher that calls the
// owner for the registered messages, before and/or after the procedure that
// was in place before, and chains to that procedure for everything else.
//
// Usage: create, AddMsg the messages wanted, SubClass, and UnSubclass before
// the owner goes away (destroying the object does it too). The owner is not
// kept alive by the service. All calls happen on the window's thread.
#include <cstdint>

#include "common/non_copyable.h"
#include "common/types.h"
#include "winsvc/msg_table.h"
#include "winsvc/subclass_dispatch.h"

namespace brisko {

class CSubclass : NonCopyable {
public:
    ~CSubclass();

    // False when already attached, when the window cannot be subclassed
    // (not a window of this process) or when no dispatcher is left.
    bool SubClass(WindowHandle hWnd, iSubclass* Owner);
    // False when not attached. If somebody subclassed the window after us, our
    // dispatcher stays in their chain as a pass-through to the procedure we
    // replaced, so neither procedure is cut out.
    bool UnSubclass();

    // When: before the window's procedure, after it or both; uMsg kAllMessages for every message.
    void AddMsg(std::uint32_t uMsg, MsgPhase When) { m_tTables.AddMsg(uMsg, When); }
    void DelMsg(std::uint32_t uMsg, MsgPhase When) { m_tTables.DelMsg(uMsg, When); }

    // Runs the previous procedure directly; 0 when not attached or when the
    // window has already been destroyed.
    std::intptr_t CallOrigWndProc(std::uint32_t uMsg, std::uintptr_t wParam, std::intptr_t lParam);

    // The window given to SubClass until UnSubclass, 0 when detached.
    WindowHandle hWnd() const { return m_hWnd; }
    bool InIDE() const { return false; }

    const SubclassTables& Tables() const { return m_tTables; }

private:
    friend class SubclassDispatcher;

    SubclassTables m_tTables;
    iSubclass* m_pOwner = nullptr;
    WindowHandle m_hWnd = 0;
    // The dispatcher slot while our procedure is installed; -1 when detached
    // or once the window has been destroyed under us.
    int m_iSlot = -1;
};

}  // namespace brisko
