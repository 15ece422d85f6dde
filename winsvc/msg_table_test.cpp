#include "winsvc/msg_table.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace brisko {
namespace {

// Runs steps written as "+B15 -A7 +X*": add or delete, for the Before, After
// or both (X) phases, a message number or * for all messages.
SubclassTables Tables(const std::string& steps) {
    SubclassTables t;
    std::istringstream in(steps);
    for (std::string step; in >> step;) {
        const MsgPhase when = step[1] == 'B'   ? MsgPhase::Before
                              : step[1] == 'A' ? MsgPhase::After
                                               : MsgPhase::BeforeAndAfter;
        const auto msg = step[2] == '*' ? kAllMessages : static_cast<std::uint32_t>(std::stoul(step.substr(2)));
        (t.*(step[0] == '+' ? &SubclassTables::AddMsg : &SubclassTables::DelMsg))(msg, when);
    }
    return t;
}

// "count: entries", a free slot written as _.
std::string Describe(const MsgTable& t) {
    std::string s = std::to_string(t.Count()) + ":";
    for (std::uint32_t m : t.Entries()) s += m == kAllMessages ? " _" : " " + std::to_string(m);
    return s;
}

TEST(MsgTable, RegistrationRules) {
    // What the row shows, the steps, the before table, the after table.
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"same message twice is one entry", "+B15 +B15", "1: 15", "0:"},
        {"freed slot is reused by the next message", "+B1 +B2 +B3 -B2 +B4", "3: 1 4 3", "0:"},
        {"delete keeps the count and leaves a free slot", "+A1 -A1", "0:", "1: _"},
        {"re-adding a deleted message takes its own freed slot", "+A7 +A8 -A7 +A7", "0:", "2: 7 8"},
        {"deleting an unregistered message changes nothing", "+B5 -B6 -A5", "1: 5", "0:"},
        {"first free slot is used when there are several", "+B1 +B2 +B3 -B3 -B1 +B9", "3: 9 2 _", "0:"},
        {"both phases at once", "+X512 +A513", "1: 512", "2: 512 513"},
        {"all-messages mode keeps the entries it hides", "+B5 +B6 +B*", "-1: 5 6", "0:"},
        {"a specific message after all-messages mode is a one-entry table", "+B5 +B6 +B* -B15 +B15", "1: 15", "0:"},
        {"delete of all messages ends callbacks; the next add starts afresh", "+A5 +A6 -A* +A7", "0:", "1: 7"},
        {"delete in all-messages mode changes nothing", "+A* -A3", "0:", "-1:"},
        {"delete of all messages in all-messages mode ends it", "+X* -B*", "0:", "-1:"},
    };
    for (const auto& [name, steps, before, after] : cases) {
        const SubclassTables t = Tables(steps);
        EXPECT_EQ(Describe(t.before), before) << name;
        EXPECT_EQ(Describe(t.after), after) << name;
    }
}

TEST(MsgTable, MatchesOnlyReachableEntries) {
    SubclassTables t = Tables("+B15 +B16 -B16 +A20 +A21");
    EXPECT_TRUE(t.before.Matches(15));
    EXPECT_FALSE(t.before.Matches(16));
    EXPECT_FALSE(t.before.Matches(kAllMessages)) << "a free slot is no message";
    // All-messages mode matches every number.
    t.AddMsg(kAllMessages, MsgPhase::Before);
    EXPECT_TRUE(t.before.Matches(0xC000));
    // Clearing (as UnSubclass does) hides entries until something is added.
    t.Clear();
    EXPECT_FALSE(t.after.Matches(20));
    t.AddMsg(22, MsgPhase::After);
    EXPECT_FALSE(t.after.Matches(20)) << "old entries beyond the new count stay unreachable";
    EXPECT_TRUE(t.after.Matches(22));
}

}  // namespace
}  // namespace brisko
