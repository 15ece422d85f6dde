#include "winsvc/subclass.h"

#include <windows.h>

#include "common/entry_frame.h"
#include "common/win/handles.h"
#include "winsvc/win/slot_pool.h"

namespace brisko {

using winsvc_detail::SlotPool;
using winsvc_detail::SlotState;

namespace {

// The handle is the window. Without an object our procedure stays in the
// window's chain as a pass-through to the procedure it replaced.
struct SubclassSlot : winsvc_detail::ObjectSlot<CSubclass, HWND> {
    WNDPROC pfnPrev = nullptr;
};

// One slot per subclassed window at a time: the IDE's child windows and the
// MDI client. A pass-through keeps its slot until its window is destroyed.
constexpr std::size_t kSubclassSlots = 1024;
using SubclassPool = SlotPool<SubclassSlot, kSubclassSlots>;
constinit SubclassPool g_pool;

}  // namespace

class SubclassDispatcher {
public:
    static LRESULT Dispatch(std::size_t i, HWND h, UINT m, WPARAM w, LPARAM l) noexcept;
    static void Remove(int i);

private:
    static LRESULT PassThrough(std::size_t i, WNDPROC prev, HWND h, UINT m, WPARAM w, LPARAM l);
};

namespace {

template <std::size_t I>
struct SubclassProc {
    static LRESULT CALLBACK Call(HWND h, UINT m, WPARAM w, LPARAM l) {
        return SubclassDispatcher::Dispatch(I, h, m, w, l);
    }
};
using SubclassProcs = winsvc_detail::ProcTable<WNDPROC, SubclassProc, kSubclassSlots>;

LONG_PTR ProcOf(std::size_t i) {
    return reinterpret_cast<LONG_PTR>(SubclassProcs::kTable[i]);
}

// GetWindowLongPtrA/SetWindowLongPtrA give either the procedure itself or,
// when the procedure expects the other character set, a handle that only
// CallWindowProcA can call (it translates the message). Such handles sit in
// the top 64K of the address space (0xFFFFxxxx on x86, where that is kernel
// space) or, on x86-64 Windows, at 0xFFFFxxxx; nothing else is one.
bool IsProcHandle(WNDPROC p) {
    const auto v = reinterpret_cast<std::uintptr_t>(p);
    return v >= ~static_cast<std::uintptr_t>(0xFFFF) || (v >> 16) == 0xFFFF;
}

// Runs the previous procedure. A plain ANSI procedure is called directly:
// CallWindowProcA costs more than the whole dispatch (under Wine about as much
// as SendMessage itself), and every message of every watched window pays it.
inline LRESULT CallPrevious(WNDPROC prev, HWND h, UINT m, WPARAM w, LPARAM l) {
    if (IsProcHandle(prev)) return CallWindowProcA(prev, h, m, w, l);
    return prev(h, m, w, l);
}

}  // namespace

LRESULT SubclassDispatcher::Dispatch(std::size_t i, HWND h, UINT m, WPARAM w, LPARAM l) noexcept {
    SubclassSlot& s = g_pool[i];
    // A stale call of a procedure that nobody should hold any more.
    if (s.state.use == SlotState::Free || !s.pfnPrev) return DefWindowProcA(h, m, w, l);

    SubclassPool::Use use(g_pool, i);
    const EntryFrame frame;
    // Copied now: the owner may unsubclass during the before phase, and the
    // message still goes on to the procedure we replaced.
    const WNDPROC prev = s.pfnPrev;
    if (!s.pObj) return PassThrough(i, prev, h, m, w, l);

    try {
        const auto current = [&s]() -> SubclassTarget {
            const CSubclass* o = s.pObj;
            return o ? SubclassTarget{&o->m_tTables, o->m_pOwner} : SubclassTarget{};
        };
        const auto callPrev = [prev](const SubclassMessage& x) -> std::intptr_t {
            return CallPrevious(prev, ToHwnd(x.hWnd), x.uMsg, x.wParam, x.lParam);
        };
        const LRESULT r = RunSubclassPhases(current, callPrev, SubclassMessage{FromHwnd(h), m, w, l});
        if (m == WM_NCDESTROY && h == s.handle && s.pObj) {
            // The window is gone: the object must not touch the handle again
            // (it may soon name another window), and no call will come here.
            s.pObj->m_iSlot = -1;
            s.pObj = nullptr;
            g_pool.Release(static_cast<int>(i));
        }
        return r;
    } catch (...) {
        return 0;
    }
}

LRESULT SubclassDispatcher::PassThrough(std::size_t i, WNDPROC prev, HWND h, UINT m, WPARAM w, LPARAM l) {
    const LRESULT r = CallPrevious(prev, h, m, w, l);
    SubclassSlot& s = g_pool[i];
    if (s.state.use != SlotState::Taken || s.pObj) return r;
    if (m == WM_NCDESTROY && h == s.handle) {
        g_pool.Release(static_cast<int>(i));
    } else if (GetWindowLongPtrA(s.handle, GWLP_WNDPROC) == ProcOf(i)) {
        // Whoever subclassed after us has left and put us back: now we can
        // leave the chain too.
        if (SetWindowLongPtrA(s.handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prev)) != 0) {
            g_pool.Release(static_cast<int>(i));
        }
    }
    return r;
}

void SubclassDispatcher::Remove(int i) {
    SubclassSlot& s = g_pool[static_cast<std::size_t>(i)];
    s.pObj = nullptr;
    if (IsWindow(s.handle)) {
        // Restoring our predecessor while a later subclasser sits on top would
        // cut it out of the chain; stay as a pass-through instead.
        if (GetWindowLongPtrA(s.handle, GWLP_WNDPROC) != ProcOf(static_cast<std::size_t>(i))) return;
        if (SetWindowLongPtrA(s.handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.pfnPrev)) == 0) return;
    }
    g_pool.Release(i);
}

CSubclass::~CSubclass() {
    UnSubclass();
}

bool CSubclass::SubClass(WindowHandle hWnd, iSubclass* Owner) {
    if (m_hWnd) return false;
    const HWND h = ToHwnd(hWnd);
    DWORD pid = 0;
    if (!IsWindow(h) || !GetWindowThreadProcessId(h, &pid) || pid != GetCurrentProcessId()) return false;
    const int i = g_pool.Acquire();
    if (i < 0) return false;
    winsvc_detail::PinModule();

    SubclassSlot& s = g_pool[static_cast<std::size_t>(i)];
    s.pObj = this;
    s.handle = h;
    s.pfnPrev = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(h, GWLP_WNDPROC));
    m_pOwner = Owner;
    m_hWnd = hWnd;
    m_iSlot = i;
    const LONG_PTR old = SetWindowLongPtrA(h, GWLP_WNDPROC, ProcOf(static_cast<std::size_t>(i)));
    if (old == 0) {
        // Nothing was installed, so the object counts as detached.
        s.pObj = nullptr;
        g_pool.Release(i);
        m_hWnd = 0;
        m_iSlot = -1;
        return false;
    }
    s.pfnPrev = reinterpret_cast<WNDPROC>(old);
    return true;
}

bool CSubclass::UnSubclass() {
    if (!m_hWnd) return false;
    // Messages already on their way reach no callback from now on.
    m_tTables.Clear();
    if (m_iSlot >= 0) SubclassDispatcher::Remove(m_iSlot);
    m_iSlot = -1;
    m_hWnd = 0;
    return true;
}

std::intptr_t CSubclass::CallOrigWndProc(std::uint32_t uMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!m_hWnd || m_iSlot < 0) return 0;
    return CallWindowProcA(g_pool[static_cast<std::size_t>(m_iSlot)].pfnPrev, ToHwnd(m_hWnd), uMsg, wParam, lParam);
}

namespace winsvc_detail {
int SubclassSlotsInUse() {
    return g_pool.InUse();
}
}  // namespace winsvc_detail

}  // namespace brisko
