#include "winsvc/subclass_dispatch.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace brisko {
namespace {

struct Call {
    bool bBefore;
    std::intptr_t lReturnIn;
    std::uint32_t uMsg;
};

// An owner whose reaction to each phase is set by the test.
struct Owner : iSubclass {
    std::vector<Call> calls;
    std::function<void(bool, bool&, std::intptr_t&, SubclassMessage&)> react;

    void iSubclass_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle& hWnd, std::uint32_t& uMsg,
                        std::uintptr_t& wParam, std::intptr_t& lParam) override {
        calls.push_back({bBefore, lReturn, uMsg});
        if (!react) return;
        SubclassMessage m{hWnd, uMsg, wParam, lParam};
        react(bBefore, bHandled, lReturn, m);
        hWnd = m.hWnd;
        uMsg = m.uMsg;
        wParam = m.wParam;
        lParam = m.lParam;
    }
};

struct Fixture {
    SubclassTables tables;
    Owner owner;
    bool attached = true;
    std::vector<SubclassMessage> prevCalls;
    std::intptr_t prevResult = 42;

    std::intptr_t Run(std::uint32_t uMsg, std::uintptr_t wParam = 7, std::intptr_t lParam = 9) {
        const auto current = [this] { return attached ? SubclassTarget{&tables, &owner} : SubclassTarget{}; };
        const auto prev = [this](const SubclassMessage& m) {
            prevCalls.push_back(m);
            return prevResult;
        };
        return RunSubclassPhases(current, prev, SubclassMessage{1234, uMsg, wParam, lParam});
    }
};

constexpr std::uint32_t kMsgA = 0x0401, kMsgB = 0x0402;

TEST(SubclassPhases, UnregisteredMessageGoesStraightThrough) {
    Fixture f;
    f.tables.AddMsg(kMsgB, kMsgBeforeAndAfter);
    EXPECT_EQ(f.Run(kMsgA), 42);
    EXPECT_TRUE(f.owner.calls.empty());
    ASSERT_EQ(f.prevCalls.size(), 1u);
    EXPECT_EQ(f.prevCalls[0].uMsg, kMsgA);
    EXPECT_EQ(f.prevCalls[0].wParam, 7u);
    EXPECT_EQ(f.prevCalls[0].lParam, 9);
}

TEST(SubclassPhases, AfterPhaseSeesAndReplacesTheResult) {
    Fixture f;
    f.tables.AddMsg(kMsgA, kMsgAfter);
    f.owner.react = [](bool, bool& bHandled, std::intptr_t& lReturn, SubclassMessage&) {
        lReturn += 100;
        bHandled = true;  // no effect after the fact
    };
    EXPECT_EQ(f.Run(kMsgA), 142);
    ASSERT_EQ(f.owner.calls.size(), 1u);
    EXPECT_FALSE(f.owner.calls[0].bBefore);
    EXPECT_EQ(f.owner.calls[0].lReturnIn, 42);
    EXPECT_EQ(f.prevCalls.size(), 1u);
}

TEST(SubclassPhases, BeforeResultWithoutHandledIsOverwritten) {
    Fixture f;
    f.tables.AddMsg(kMsgA, kMsgBefore);
    f.owner.react = [](bool, bool&, std::intptr_t& lReturn, SubclassMessage&) { lReturn = 5; };
    EXPECT_EQ(f.Run(kMsgA), 42);
    ASSERT_EQ(f.owner.calls.size(), 1u);
    EXPECT_TRUE(f.owner.calls[0].bBefore);
    EXPECT_EQ(f.owner.calls[0].lReturnIn, 0);
}

TEST(SubclassPhases, HandledInBeforePhaseSuppressesPreviousAndAfter) {
    Fixture f;
    f.tables.AddMsg(kMsgA, kMsgBeforeAndAfter);
    f.owner.react = [](bool bBefore, bool& bHandled, std::intptr_t& lReturn, SubclassMessage&) {
        if (bBefore) {
            bHandled = true;
            lReturn = 5;
        }
    };
    EXPECT_EQ(f.Run(kMsgA), 5);
    EXPECT_TRUE(f.prevCalls.empty());
    EXPECT_EQ(f.owner.calls.size(), 1u);
}

TEST(SubclassPhases, RewrittenMessageReachesPreviousAndSelectsAfterPhase) {
    Fixture f;
    f.tables.AddMsg(kMsgA, kMsgBefore);
    f.tables.AddMsg(kMsgB, kMsgAfter);
    f.owner.react = [](bool bBefore, bool&, std::intptr_t&, SubclassMessage& m) {
        if (bBefore) m = SubclassMessage{5678, kMsgB, 70, 90};
    };
    f.Run(kMsgA);
    ASSERT_EQ(f.prevCalls.size(), 1u);
    EXPECT_EQ(f.prevCalls[0].hWnd, 5678);
    EXPECT_EQ(f.prevCalls[0].uMsg, kMsgB);
    EXPECT_EQ(f.prevCalls[0].wParam, 70u);
    EXPECT_EQ(f.prevCalls[0].lParam, 90);
    ASSERT_EQ(f.owner.calls.size(), 2u);
    EXPECT_FALSE(f.owner.calls[1].bBefore);
    EXPECT_EQ(f.owner.calls[1].uMsg, kMsgB);

    // Rewritten to a message without an after registration: no after call.
    Fixture g;
    g.tables.AddMsg(kMsgA, kMsgBeforeAndAfter);
    g.owner.react = [](bool bBefore, bool&, std::intptr_t&, SubclassMessage& m) {
        if (bBefore) m.uMsg = kMsgB;
    };
    g.Run(kMsgA);
    EXPECT_EQ(g.owner.calls.size(), 1u);
}

TEST(SubclassPhases, TableChangesInsideCallbackApplyToTheAfterPhase) {
    Fixture f;
    f.tables.AddMsg(kMsgA, kMsgBeforeAndAfter);
    f.owner.react = [&f](bool bBefore, bool&, std::intptr_t&, SubclassMessage&) {
        if (bBefore) f.tables.DelMsg(kMsgA, kMsgAfter);
    };
    f.Run(kMsgA);
    EXPECT_EQ(f.owner.calls.size(), 1u);

    Fixture g;
    g.tables.AddMsg(kMsgA, kMsgBefore);
    g.owner.react = [&g](bool bBefore, bool&, std::intptr_t&, SubclassMessage&) {
        if (bBefore) g.tables.AddMsg(kMsgA, kMsgAfter);
    };
    g.Run(kMsgA);
    EXPECT_EQ(g.owner.calls.size(), 2u);
}

TEST(SubclassPhases, ObjectGoneDuringBeforePhaseStillChainsButSkipsAfter) {
    Fixture f;
    f.tables.AddMsg(kMsgA, kMsgBeforeAndAfter);
    f.owner.react = [&f](bool, bool&, std::intptr_t&, SubclassMessage&) { f.attached = false; };
    EXPECT_EQ(f.Run(kMsgA), 42);
    EXPECT_EQ(f.prevCalls.size(), 1u);
    EXPECT_EQ(f.owner.calls.size(), 1u);
}

TEST(SubclassPhases, ThrowingOwnerCountsAsNotHandled) {
    // Before phase: the half-done rewrite and bHandled are dropped.
    Fixture f;
    f.tables.AddMsg(kMsgA, kMsgBefore);
    f.owner.react = [](bool, bool& bHandled, std::intptr_t& lReturn, SubclassMessage& m) {
        bHandled = true;
        lReturn = 5;
        m.uMsg = kMsgB;
        m.wParam = 0;
        throw std::runtime_error("owner failed");
    };
    EXPECT_EQ(f.Run(kMsgA), 42);
    ASSERT_EQ(f.prevCalls.size(), 1u);
    EXPECT_EQ(f.prevCalls[0].uMsg, kMsgA);
    EXPECT_EQ(f.prevCalls[0].wParam, 7u);

    // After phase: the previous procedure's result stands.
    Fixture g;
    g.tables.AddMsg(kMsgA, kMsgAfter);
    g.owner.react = [](bool, bool&, std::intptr_t& lReturn, SubclassMessage&) {
        lReturn = 5;
        throw 1;
    };
    EXPECT_EQ(g.Run(kMsgA), 42);
}

TEST(SubclassPhases, AllMessagesModeCallsBothPhasesOncePerMessage) {
    Fixture f;
    f.tables.AddMsg(kAllMessages, kMsgBeforeAndAfter);
    for (std::uint32_t m : {0x0001u, 0x000Fu, 0x0200u, 0xC123u}) f.Run(m);
    ASSERT_EQ(f.owner.calls.size(), 8u);
    for (std::size_t i = 0; i < 8; i += 2) {
        EXPECT_TRUE(f.owner.calls[i].bBefore);
        EXPECT_FALSE(f.owner.calls[i + 1].bBefore);
    }
}

}  // namespace
}  // namespace brisko
