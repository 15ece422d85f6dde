#include "winsvc/timer.h"

#include <windows.h>

#include "common/entry_frame.h"
#include "winsvc/win/slot_pool.h"

namespace brisko {

using winsvc_detail::SlotPool;
using winsvc_detail::SlotState;

namespace {

using TimerSlot = winsvc_detail::ObjectSlot<CTimer, UINT_PTR>;  // the handle: the system's timer id

// Running timers at one time: the tab bar's scroll repeat and the spin
// buttons' auto-repeat need one each.
constexpr std::size_t kTimerSlots = 64;
using TimerPool = SlotPool<TimerSlot, kTimerSlots>;
constinit TimerPool g_pool;

}  // namespace

class TimerDispatcher {
public:
    static void Tick(std::size_t i, UINT_PTR idEvent, DWORD dwTime) noexcept {
        TimerSlot& s = g_pool[i];
        // A tick of a timer that was stopped (or of an earlier owner of the
        // slot whose identifier the system has given out again) is dropped.
        if (s.state.use != SlotState::Taken || !s.pObj || s.handle != idEvent) return;
        TimerPool::Use use(g_pool, i);
        const EntryFrame frame;
        const CTimer& t = *s.pObj;
        iTimer* owner = t.m_pOwner;
        if (!owner) return;
        const auto elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(dwTime) - t.m_dwStartTick);
        try {
            owner->iTimer_Proc(elapsed, t.m_lTimerID);
        } catch (...) {
            // A failed tick is a lost tick; the next one comes as usual.
        }
    }
};

namespace {

template <std::size_t I>
struct TimerProc {
    static VOID CALLBACK Call(HWND, UINT, UINT_PTR idEvent, DWORD dwTime) { TimerDispatcher::Tick(I, idEvent, dwTime); }
};
using TimerProcs = winsvc_detail::ProcTable<TIMERPROC, TimerProc, kTimerSlots>;

}  // namespace

CTimer::~CTimer() {
    TmrStop();
    g_pool.Orphan(m_iSlot);
}

bool CTimer::TmrStart(iTimer* Owner, std::int32_t nInterval, std::int32_t nID) {
    if (!TmrStop()) return false;
    m_lTimerID = nID;
    m_dwStartTick = GetTickCount();
    m_pOwner = Owner;
    const int i = g_pool.Acquire();
    if (i < 0) return false;
    winsvc_detail::PinModule();
    const UINT_PTR id =
        SetTimer(nullptr, 0, static_cast<UINT>(nInterval), TimerProcs::kTable[static_cast<std::size_t>(i)]);
    if (id == 0) {
        g_pool.Release(i);
        return false;
    }
    TimerSlot& s = g_pool[static_cast<std::size_t>(i)];
    s.pObj = this;
    s.handle = id;
    m_iSlot = i;
    m_uIdEvent = id;
    return true;
}

bool CTimer::TmrStop() {
    if (m_uIdEvent == 0) return true;
    if (!KillTimer(nullptr, m_uIdEvent)) return false;
    m_uIdEvent = 0;
    g_pool[static_cast<std::size_t>(m_iSlot)].pObj = nullptr;
    g_pool.Release(m_iSlot);
    m_iSlot = -1;
    return true;
}

namespace winsvc_detail {
int TimerSlotsInUse() {
    return g_pool.InUse();
}
}  // namespace winsvc_detail

}  // namespace brisko
