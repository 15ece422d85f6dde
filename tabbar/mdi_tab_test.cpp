#include "tabbar/mdi_tab.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "common/error.h"
#include "tabbar/fake_services_test.h"

namespace brisko {
namespace {

class TabTable : public test::BarTest {
protected:
    std::wstring Order() const {
        std::wstring s;
        for (auto& t : bar.Tabs()) s += t.sKey;
        return s;
    }
};

// Where new tabs go, duplicates refused and events are the random test's;
// its keys have no letters.
TEST_F(TabTable, KeysIgnoreLetterCaseAndTabsAreAddedHidden) {
    bar.AddTab(-1, L"a", L"A");
    EXPECT_EQ(bar.Index(L"A"), 0);
    EXPECT_EQ(bar.Index(L"zz"), -1);
    EXPECT_EQ(bar.AddTab(-1, L"A", L"again"), -1);
    EXPECT_FALSE(bar.TabVisible(0));  // added without the flag
}

TEST_F(TabTable, BadIndicesFailWithSubscriptErrorAndChangeNothing) {
    Tabs(2);
    for (std::int16_t bad : {-1, 2}) {
        try {
            bar.SetTitle(bad, L"x");
            FAIL() << "no error for " << bad;
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), ErrorNumber::SubscriptOutOfRange);
        }
        EXPECT_THROW(bar.Key(bad), Error);
        EXPECT_THROW(bar.SetData(bad, 1), Error);
        EXPECT_THROW(bar.CloseTab(bad), Error);  // before asking anybody
    }
    EXPECT_EQ(Order(), L"k0k1");
    EXPECT_EQ(sink.Take(), "");
}

// Selection after removing tab r of five with tab s selected.
TEST_F(TabTable, RemovalSelectionRules) {
    struct Case {
        std::int32_t mode;
        std::int16_t selected, removed, after;
        const char* events;
    } cases[] = {
        {1, 2, 2, 1, "Changed 1 2 1"},   // left neighbour
        {1, 0, 0, 0, "Changed 0 -1 1"},  // first removed: the former second is selected
        {2, 2, 2, 2, "Changed 2 -1 1"},  // the right neighbour takes the place
        {2, 4, 4, 3, "Changed 3 4 1"},   // the last removed: go left
        {2, 3, 3, 3, "Changed 3 -1 1"},  // second to last: its right neighbour exists
        {0, 2, 2, -1, "Changed -1 2 1"},
        {7, 2, 2, 2, ""},               // unknown mode: no change, no event
        {1, 3, 1, 2, "Changed 2 3 1"},  // a tab left of the selection
        {1, 1, 3, 1, ""},               // a tab right of the selection
    };
    for (const auto& c : cases) {
        Tabs(5);
        bar.SetActiveMode(c.mode);
        bar.SetSelectedIndex(c.selected);
        sink.Take();
        bar.RemoveTab(c.removed);
        EXPECT_EQ(bar.SelectedIndex(), c.after) << "mode " << c.mode << " removed " << c.removed;
        EXPECT_EQ(sink.Take(), c.events) << "mode " << c.mode << " removed " << c.removed;
        EXPECT_EQ(bar.Count(), 4);
    }
}

TEST_F(TabTable, CloseTabAsksFirstAndHonoursCancel) {
    Tabs(3);
    sink.cancelClose = true;
    bar.CloseTab(1);
    EXPECT_EQ(Order(), L"k0k1k2");
    EXPECT_EQ(sink.Take(), "QueryClose 1 0");
    sink.cancelClose = false;
    bar.CloseTab(1);
    EXPECT_EQ(Order(), L"k0k2");
    EXPECT_EQ(sink.Take(), "QueryClose 1 0, Closed");
}

// The bar holds one reference to each caller's object while its tab lives.
TEST_F(TabTable, DataObjectsAreReleasedWithTheirTabs) {
    const auto first = std::make_shared<TabObject>(), second = std::make_shared<TabObject>();
    {
        const std::unique_ptr<CMDITab> owner = test::MakeFakeBar(log);
        CMDITab& b = *owner;
        b.AddTab(-1, L"a", L"a", true, 0, 0, 0, first);
        b.AddTab(-1, L"b", L"b", true);
        b.SetDataObject(1, second);
        EXPECT_EQ(b.DataObject(0), first);
        EXPECT_EQ(first.use_count(), 2);
        b.RemoveTab(0);
        EXPECT_EQ(first.use_count(), 1);
        EXPECT_EQ(second.use_count(), 2);
    }
    EXPECT_EQ(second.use_count(), 1);
}

TEST_F(TabTable, FontsDriveTheTabHeight) {
    bar.SetTabHeight(40);
    log.lineHeight = 20;  // 9 pt measures 20 pixels
    bar.SetFontItalic(false);
    EXPECT_EQ(bar.TabHeight(), 28);  // the larger of 26 and 20 + 8
    bar.SetSelFontSize(18);          // 40 pixels
    EXPECT_EQ(bar.TabHeight(), 48);
    log.lineHeight = 10;
    bar.SetSelFontSize(9);
    EXPECT_EQ(bar.TabHeight(), 26);
    bar.SetFontSize(9.125f);
    EXPECT_FLOAT_EQ(bar.FontSize(), 9.125f);
}

TEST_F(TabTable, DefaultColoursBlendButtonTextTowardsTheWindow) {
    EXPECT_EQ(bar.DefaultFontColor(), 0x535353u);  // 83, 83, 83
    EXPECT_EQ(bar.FontColor(), 0x535353u);
    EXPECT_EQ(bar.DefaultSelFontColor(), 0x000000u);
    EXPECT_EQ(bar.BlendColor(0x80000012, 0x80000005, 90), 0xA5A5A5u);  // the dimmed glyph
    EXPECT_EQ(bar.BlendColor(0x80000099, 0x000000, 255), 0xFFFFFFu);   // untranslatable counts as white
}

// A batch of changes: drawn once at its end, with the same state and events
// as the same changes made one by one.
// Tabs that overflow a narrow bar, the last one selected and scrolled into
// view, then removed and the first one hidden.
void BatchWork(CMDITab& bar) {
    for (int i = 0; i < 6; ++i) bar.AddTab(-1, L"#" + std::to_wstring(i), L"t", true);
    bar.SetSelectedIndex(5);
    bar.CloseTab(5);
    bar.SetTabVisible(0, false);
}

// The fixture's bar works in a batch, a second one the same changes one by one.
TEST_F(TabTable, BatchDrawsOnceAtTheEndWithTheSameStateAndEvents) {
    test::Log plainLog;
    const std::unique_ptr<CMDITab> plainOwner = test::MakeFakeBar(plainLog);
    CMDITab& plain = *plainOwner;
    test::TabEvents plainEvents;
    plain.SetEvents(&plainEvents);
    plainLog.width = log.width = 300;
    plainLog.paintOnFrameChange = log.paintOnFrameChange = true;
    plain.Attach(1);
    bar.Attach(1);
    plainLog.calls.clear();
    log.calls.clear();

    BatchWork(plain);
    bar.BeginBatch();
    bar.BeginBatch();
    BatchWork(bar);
    // A paint the window asks for is drawn at once, batch or not.
    test::Send(bar, test::kPaint, 0, 0);
    EXPECT_EQ(log.calls, std::vector<std::string>{"paint"});
    bar.EndBatch();  // the inner one: still nothing
    EXPECT_EQ(log.calls.size(), 1u);
    bar.EndBatch();
    bar.EndBatch();  // one too many: ignored

    EXPECT_GT(plainLog.calls.size(), 4u);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"paint", "frame", "paint"}));
    EXPECT_EQ(sink.Take(), plainEvents.Take());
    EXPECT_EQ(bar.SelectedIndex(), plain.SelectedIndex());
    EXPECT_EQ(bar.ScrollPos(), plain.ScrollPos());
    EXPECT_GT(plain.ScrollPos(), 0);

    // A batch whose only change is a removal paints it directly, exactly.
    bar.SetSelectedIndex(1);
    log.calls.clear();
    bar.BeginBatch();
    bar.CloseTab(4);
    bar.EndBatch();
    EXPECT_EQ(log.calls, std::vector<std::string>{"paint"});
}

// Thousands of random operations checked against a plain model after each one.
TEST_F(TabTable, RandomOperationsMatchASimpleModel) {
    std::vector<std::wstring> keys;
    int sel = -1;
    std::mt19937 rng(20261206);
    for (int step = 0, next = 0; step < 20000; ++step) {
        sink.ev.clear();
        const int n = static_cast<int>(keys.size());
        const int op = static_cast<int>(rng() % 10);
        if (op < 4 || n == 0) {
            std::wstring key = L"#" + std::to_wstring(next++ % 60);  // keys repeat: duplicates are refused
            const int at = static_cast<int>(rng() % (n + 3)) - 1;
            const bool dup = std::find(keys.begin(), keys.end(), key) != keys.end();
            const int pos = dup ? -1 : (at < 0 || at >= n) ? n : at;
            ASSERT_EQ(bar.AddTab(static_cast<std::int16_t>(at), key, key, true), pos);
            // Adding never moves the selection index, even when the selected tab shifts.
            if (!dup) keys.insert(keys.begin() + pos, key);
            ASSERT_TRUE(sink.ev.empty());
        } else if (op < 6) {
            // Which tab is selected afterwards: the removal rules' own test has the events.
            const int r = static_cast<int>(rng() % n);
            bar.RemoveTab(static_cast<std::int16_t>(r));
            keys.erase(keys.begin() + r);
            sel = keys.empty() ? -1 : (r < sel || (r == sel && sel > 0)) ? sel - 1 : sel;
        } else if (op < 8) {
            const int f = static_cast<int>(rng() % n), t = static_cast<int>(rng() % n);
            bar.MoveTab(static_cast<std::int16_t>(f), static_cast<std::int16_t>(t));
            auto k = keys[f];
            keys.erase(keys.begin() + f);
            keys.insert(keys.begin() + t, k);
            sel = sel == f ? t : sel == t ? f : sel;
            ASSERT_EQ(sink.ev.size(), 2u);
        } else {
            const int s = static_cast<int>(rng() % (n + 1)) - 1;
            bar.SetSelectedIndex(static_cast<std::int16_t>(s));
            ASSERT_EQ(sink.Take(), s == sel ? "" : "Changed " + std::to_string(s) + " " + std::to_string(sel) + " 0");
            sel = s;
        }
        ASSERT_EQ(bar.Count(), static_cast<int>(keys.size()));
        ASSERT_EQ(bar.SelectedIndex(), sel) << "step " << step << ", operation " << op;
        for (int i = 0; i < static_cast<int>(keys.size()); ++i) {
            ASSERT_EQ(bar.Key(static_cast<std::int16_t>(i)), keys[i]);
            ASSERT_EQ(bar.Index(keys[i]), i);
        }
    }
}

}  // namespace
}  // namespace brisko
