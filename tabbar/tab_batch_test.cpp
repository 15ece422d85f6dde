// A batch of changes: drawn once at its end, with the same state and events
// as the same changes made one by one.
#include <gtest/gtest.h>

#include "tabbar/fake_port_test.h"
#include "tabbar/mdi_tab.h"

namespace brisko {
namespace {

using test::FakePort;

// Tabs that overflow a narrow bar, the last one selected and scrolled into
// view, then removed and the first one hidden.
void Work(CMDITab& bar) {
    for (int i = 0; i < 6; ++i) bar.AddTab(-1, L"#" + std::to_wstring(i), L"t", true);
    bar.SetSelectedIndex(5);
    bar.CloseTab(5);
    bar.SetTabVisible(0, false);
}

TEST(TabBatch, DrawsOnceAtTheEndWithTheSameStateAndEvents) {
    FakePort::Log plainLog, batchLog;
    plainLog.width = batchLog.width = 300;
    plainLog.paintOnFrameChange = batchLog.paintOnFrameChange = true;
    CMDITab plain{std::make_unique<FakePort>(&plainLog)}, batched{std::make_unique<FakePort>(&batchLog)};
    test::TabEvents plainEvents, batchEvents;
    plain.SetEvents(&plainEvents);
    batched.SetEvents(&batchEvents);
    plain.Attach(1);
    batched.Attach(1);
    plainLog.calls.clear();
    batchLog.calls.clear();

    Work(plain);
    batched.BeginBatch();
    batched.BeginBatch();
    Work(batched);
    // A paint the window asks for is drawn at once, batch or not.
    test::Send(batched, msg::kPaint, 0, 0);
    EXPECT_EQ(batchLog.calls, std::vector<std::string>{"paint"});
    batched.EndBatch();  // the inner one: still nothing
    EXPECT_EQ(batchLog.calls.size(), 1u);
    batched.EndBatch();
    batched.EndBatch();  // one too many: ignored

    EXPECT_GT(plainLog.calls.size(), 4u);
    EXPECT_EQ(batchLog.calls, (std::vector<std::string>{"paint", "frame", "paint"}));
    EXPECT_EQ(batchEvents.Take(), plainEvents.Take());
    EXPECT_EQ(batched.SelectedIndex(), plain.SelectedIndex());
    EXPECT_EQ(batched.ScrollPos(), plain.ScrollPos());
    EXPECT_GT(plain.ScrollPos(), 0);

    // A batch whose only change is a removal paints it directly, exactly.
    batched.SetSelectedIndex(1);
    batchLog.calls.clear();
    batched.BeginBatch();
    batched.CloseTab(4);
    batched.EndBatch();
    EXPECT_EQ(batchLog.calls, std::vector<std::string>{"paint-exact"});
}

}  // namespace
}  // namespace brisko
