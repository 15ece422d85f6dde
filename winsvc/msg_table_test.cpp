#include "winsvc/msg_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace brisko {
namespace {

constexpr std::uint32_t kFree = kAllMessages;

struct Step {
    bool add;
    std::uint32_t uMsg;
    std::uint32_t when;
};

struct TableCase {
    const char* name;
    std::vector<Step> steps;
    std::int32_t beforeCount;
    std::vector<std::uint32_t> beforeEntries;
    std::int32_t afterCount;
    std::vector<std::uint32_t> afterEntries;
};

TEST(MsgTable, RegistrationRules) {
    const TableCase cases[] = {
        {"same message twice is one entry", {{true, 15, kMsgBefore}, {true, 15, kMsgBefore}}, 1, {15}, 0, {}},
        {"freed slot is reused by the next message",
         {{true, 1, kMsgBefore},
          {true, 2, kMsgBefore},
          {true, 3, kMsgBefore},
          {false, 2, kMsgBefore},
          {true, 4, kMsgBefore}},
         3,
         {1, 4, 3},
         0,
         {}},
        {"delete keeps the count and leaves a free slot",
         {{true, 1, kMsgAfter}, {true, 2, kMsgAfter}, {false, 1, kMsgAfter}},
         0,
         {},
         2,
         {kFree, 2}},
        {"re-adding a deleted message takes its own freed slot",
         {{true, 7, kMsgAfter}, {true, 8, kMsgAfter}, {false, 7, kMsgAfter}, {true, 7, kMsgAfter}},
         0,
         {},
         2,
         {7, 8}},
        {"deleting an unregistered message changes nothing",
         {{true, 5, kMsgBefore}, {false, 6, kMsgBefore}, {false, 5, kMsgAfter}},
         1,
         {5},
         0,
         {}},
        {"first free slot is used when there are several",
         {{true, 1, kMsgBefore},
          {true, 2, kMsgBefore},
          {true, 3, kMsgBefore},
          {false, 3, kMsgBefore},
          {false, 1, kMsgBefore},
          {true, 9, kMsgBefore}},
         3,
         {9, 2, kFree},
         0,
         {}},
        {"both phases at once",
         {{true, 0x200, kMsgBeforeAndAfter}, {true, 0x201, kMsgAfter}},
         1,
         {0x200},
         2,
         {0x200, 0x201}},
        {"all-messages mode keeps the entries it hides",
         {{true, 5, kMsgBefore}, {true, 6, kMsgBefore}, {true, kAllMessages, kMsgBefore}},
         -1,
         {5, 6},
         0,
         {}},
        {"a specific message after all-messages mode replaces the mode by a one-entry table",
         {{true, 5, kMsgBefore},
          {true, 6, kMsgBefore},
          {true, kAllMessages, kMsgBefore},
          {false, 15, kMsgBefore},
          {true, 15, kMsgBefore}},
         1,
         {15},
         0,
         {}},
        {"delete of all messages ends callbacks; the next add starts a fresh table",
         {{true, 5, kMsgAfter}, {true, 6, kMsgAfter}, {false, kAllMessages, kMsgAfter}, {true, 7, kMsgAfter}},
         0,
         {},
         1,
         {7}},
        {"delete in all-messages mode changes nothing",
         {{true, kAllMessages, kMsgAfter}, {false, 3, kMsgAfter}},
         0,
         {},
         -1,
         {}},
        {"delete of all messages in all-messages mode ends it",
         {{true, kAllMessages, kMsgBeforeAndAfter}, {false, kAllMessages, kMsgBefore}},
         0,
         {},
         -1,
         {}},
        {"no phase named does nothing", {{true, 5, 0}, {true, 6, 4}}, 0, {}, 0, {}},
    };
    for (const TableCase& c : cases) {
        SCOPED_TRACE(c.name);
        SubclassTables t;
        for (const Step& s : c.steps) {
            if (s.add) {
                t.AddMsg(s.uMsg, s.when);
            } else {
                t.DelMsg(s.uMsg, s.when);
            }
        }
        EXPECT_EQ(t.before.Count(), c.beforeCount);
        EXPECT_EQ(t.after.Count(), c.afterCount);
        if (c.beforeCount > 0 || !c.beforeEntries.empty()) {
            EXPECT_EQ(t.before.Entries(), c.beforeEntries);
        }
        if (c.afterCount > 0 || !c.afterEntries.empty()) {
            EXPECT_EQ(t.after.Entries(), c.afterEntries);
        }
    }
}

TEST(MsgTable, MatchesOnlyReachableEntries) {
    SubclassTables t;
    t.AddMsg(0x0F, kMsgBefore);
    t.AddMsg(0x10, kMsgBefore);
    t.DelMsg(0x10, kMsgBefore);
    EXPECT_TRUE(t.before.Matches(0x0F));
    EXPECT_FALSE(t.before.Matches(0x10));
    EXPECT_FALSE(t.before.Matches(kAllMessages)) << "a free slot is no message";
    EXPECT_FALSE(t.after.Matches(0x0F));

    // All-messages mode matches every number, then ends without a trace.
    t.AddMsg(kAllMessages, kMsgBefore);
    for (std::uint32_t m : {0u, 1u, 0x0Fu, 0x10u, 0x8000u, 0xC000u}) EXPECT_TRUE(t.before.Matches(m)) << m;
    t.DelMsg(kAllMessages, kMsgBefore);
    for (std::uint32_t m : {0u, 0x0Fu, 0x10u}) EXPECT_FALSE(t.before.Matches(m)) << m;

    // Clearing (as UnSubclass does) hides entries until something is added.
    t.AddMsg(0x20, kMsgAfter);
    t.AddMsg(0x21, kMsgAfter);
    t.Clear();
    EXPECT_FALSE(t.after.Matches(0x20));
    t.AddMsg(0x22, kMsgAfter);
    EXPECT_FALSE(t.after.Matches(0x20)) << "old entries beyond the new count stay unreachable";
    EXPECT_TRUE(t.after.Matches(0x22));
    EXPECT_EQ(t.after.Entries(), (std::vector<std::uint32_t>{0x22}));
}

}  // namespace
}  // namespace brisko
