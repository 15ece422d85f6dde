#pragma once
// Per-object procedures for the window system's callbacks without generated
// code: a fixed pool of distinct callback functions, one per slot, each of
// which knows its slot at compile time. A service object takes a slot while
// it has something installed, so its procedure reaches exactly that object
// with a constant-time array access: no search, no lock, no allocation.
//
// Everything runs on the thread that owns the windows, timers and hooks (the
// IDE's user-interface thread), so the slots need no synchronisation.
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace brisko::winsvc_detail {

struct SlotState {
    enum Use : std::uint8_t { Free, Taken, Releasing };
    Use use = Free;
    // Calls of this slot's procedure that have not returned yet. A slot given
    // up inside its own callback stays out of reach until they have, so an
    // outer call never finds another object in its slot.
    std::uint32_t depth = 0;
};

// A slot that reaches one service object and the system handle installed for
// it. The object is null once it has let go while the system may still call.
template <class Object, class Handle>
struct ObjectSlot {
    SlotState state;
    Object* pObj = nullptr;
    Handle handle{};
};

template <class Slot, std::size_t N>
class SlotPool {
public:
    static constexpr std::size_t kSize = N;

    // A free slot marked taken, or -1 when all are in use.
    int Acquire() {
        for (std::size_t k = 0; k < N; ++k) {
            const std::size_t i = (m_next + k) % N;
            if (m_slots[i].state.use == SlotState::Free) {
                m_slots[i] = Slot{};
                m_slots[i].state.use = SlotState::Taken;
                m_next = (i + 1) % N;
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    // Gives a slot back; it becomes free once no call of it is running.
    void Release(int i) {
        Slot& s = m_slots[static_cast<std::size_t>(i)];
        if (s.state.depth == 0) {
            s = Slot{};
        } else {
            s.state.use = SlotState::Releasing;
        }
    }

    Slot& operator[](std::size_t i) { return m_slots[i]; }

    // Marks one running call of a slot's procedure.
    class Use {
    public:
        Use(SlotPool& pool, std::size_t i) : m_pool(pool), m_i(i) { ++pool.m_slots[i].state.depth; }
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        ~Use() {
            Slot& s = m_pool.m_slots[m_i];
            if (--s.state.depth == 0 && s.state.use == SlotState::Releasing) s = Slot{};
        }

    private:
        SlotPool& m_pool;
        std::size_t m_i;
    };

    // For an object going away while the system keeps what it installed (the
    // system refused to remove it): the slot stays taken, so later calls land
    // nowhere instead of on a destroyed object. No-op for -1.
    void Orphan(int i) {
        if (i >= 0) m_slots[static_cast<std::size_t>(i)].pObj = nullptr;
    }

    int InUse() const {
        int n = 0;
        for (const Slot& s : m_slots) n += s.state.use != SlotState::Free;
        return n;
    }

private:
    std::array<Slot, N> m_slots{};
    std::size_t m_next = 0;
};

// The table of the pool's procedures: Procs<F, N>::kTable[i] is the
// procedure of slot i, made from the template F<i>.
template <class Fn, template <std::size_t> class Proc, std::size_t N>
struct ProcTable {
    template <std::size_t... I>
    static constexpr std::array<Fn, N> Make(std::index_sequence<I...>) {
        return {&Proc<I>::Call...};
    }
    static constexpr std::array<Fn, N> kTable = Make(std::make_index_sequence<N>{});
};

// Keeps the module that holds these procedures loaded for the rest of the
// process once any of them has been handed to the window system.
void PinModule();

// Slots taken (attached, pass-through or still running), for leak checks.
int SubclassSlotsInUse();
int TimerSlotsInUse();
int HookSlotsInUse();

}  // namespace brisko::winsvc_detail
