#pragma once
// CTimer: periodic ticks for an owner without a window of its own. Each tick
// tells the owner the time since TmrStart (not since the previous tick) and
// the id the owner chose. Ticks arrive through the message loop of the thread
// that started the timer; iTimer_Proc may stop or restart its own timer.
#include <cstdint>

#include "common/non_copyable.h"

namespace brisko {

struct iTimer {
    virtual void iTimer_Proc(std::int32_t lElapsedMS, std::int32_t lTimerID) = 0;

protected:
    ~iTimer() = default;
};

class CTimer : NonCopyable {
public:
    // Stops a running timer; the owner is never called afterwards.
    ~CTimer();

    // (Re)starts: a running timer is stopped first and the elapsed time counts
    // from this call. False when the system refuses the timer (the object is
    // then idle) or when a running timer cannot be stopped.
    bool TmrStart(iTimer* Owner, std::int32_t nInterval, std::int32_t nID = 0);
    // True when idle afterwards; false (still running) when the system refuses.
    bool TmrStop();
    bool InIDE() const { return false; }

    bool Running() const { return m_uIdEvent != 0; }

private:
    friend class TimerDispatcher;

    iTimer* m_pOwner = nullptr;
    std::int32_t m_lTimerID = 0;
    std::uint32_t m_dwStartTick = 0;
    std::uintptr_t m_uIdEvent = 0;  // the system's timer identifier, 0 when idle
    int m_iSlot = -1;
};

}  // namespace brisko
