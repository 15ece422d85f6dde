#pragma once
// The message tables of a subclassed window: which messages reach the owner
// before and which after the window's previous procedure.
//
// A table is a short list searched linearly; owners register a handful of
// messages, so a search is a few compares and never allocates. Only adding a
// message can allocate.
#include <cstdint>
#include <vector>

#include "winsvc/msg_phase.h"

namespace brisko {

// As a message number: every message (AddMsg) or every registration (DelMsg).
// As a table entry: a free slot, which matches nothing.
inline constexpr std::uint32_t kAllMessages = 0xFFFFFFFFu;

class MsgTable {
public:
    // Count of the all-messages mode.
    static constexpr std::int32_t kAll = -1;

    void Add(std::uint32_t uMsg);
    void Del(std::uint32_t uMsg);
    // No callbacks in this phase; entries stay but are out of reach.
    void Clear() { m_lCount = 0; }

    bool Matches(std::uint32_t uMsg) const {
        if (m_lCount == kAll) return true;
        if (uMsg == kAllMessages) return false;  // a free slot is not a message
        const std::uint32_t* p = m_aMsgs.data();
        for (std::int32_t i = 0; i < m_lCount; ++i) {
            if (p[i] == uMsg) return true;
        }
        return false;
    }

    std::int32_t Count() const { return m_lCount; }
    // The whole stored table, free slots and unreachable entries included.
    const std::vector<std::uint32_t>& Entries() const { return m_aMsgs; }

private:
    std::vector<std::uint32_t> m_aMsgs;
    std::int32_t m_lCount = 0;
};

// Both phases of one subclassed window.
struct SubclassTables {
    MsgTable before;
    MsgTable after;

    void AddMsg(std::uint32_t uMsg, MsgPhase When);
    void DelMsg(std::uint32_t uMsg, MsgPhase When);
    void Clear() {
        before.Clear();
        after.Clear();
    }
};

}  // namespace brisko
