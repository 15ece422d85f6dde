#pragma once
// When the owner of a subclassed window sees one of its messages: before the
// window's own procedure (and may then keep the message from it), after it,
// or both. Owners register with it, and the tab bar's typed input carries it.
#include <cstdint>

namespace brisko {

enum class MsgPhase : std::uint32_t { After = 1, Before = 2, BeforeAndAfter = After | Before };

// Whether a registration for `when` covers `phase`.
constexpr bool Covers(MsgPhase when, MsgPhase phase) {
    return (static_cast<std::uint32_t>(when) & static_cast<std::uint32_t>(phase)) != 0;
}

}  // namespace brisko
