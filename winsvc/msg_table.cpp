#include "winsvc/msg_table.h"

#include <algorithm>

namespace brisko {

void MsgTable::Add(std::uint32_t uMsg) {
    if (uMsg == kAllMessages) {
        m_lCount = kAll;
        return;
    }
    // In the all-messages mode there is nothing to search: the specific
    // message replaces the mode by a table of just itself.
    const std::int32_t n = std::max<std::int32_t>(m_lCount, 0);
    const auto first = m_aMsgs.begin();
    const auto last = first + n;
    if (std::find(first, last, uMsg) != last) return;
    if (const auto freeSlot = std::find(first, last, kAllMessages); freeSlot != last) {
        *freeSlot = uMsg;
        return;
    }
    m_aMsgs.resize(static_cast<std::size_t>(n) + 1);
    m_aMsgs.back() = uMsg;
    m_lCount = n + 1;
}

void MsgTable::Del(std::uint32_t uMsg) {
    if (uMsg == kAllMessages) {
        m_lCount = 0;
        return;
    }
    if (m_lCount <= 0) return;
    const auto first = m_aMsgs.begin();
    const auto last = first + m_lCount;
    if (const auto it = std::find(first, last, uMsg); it != last) *it = kAllMessages;
}

void SubclassTables::AddMsg(std::uint32_t uMsg, MsgPhase When) {
    if (Covers(When, MsgPhase::Before)) before.Add(uMsg);
    if (Covers(When, MsgPhase::After)) after.Add(uMsg);
}

void SubclassTables::DelMsg(std::uint32_t uMsg, MsgPhase When) {
    if (Covers(When, MsgPhase::Before)) before.Del(uMsg);
    if (Covers(When, MsgPhase::After)) after.Del(uMsg);
}

}  // namespace brisko
