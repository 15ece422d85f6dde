#pragma once
// The bar's tooltip: one common-controls tooltip window for the attached
// MDI client, fed with the client's mouse messages (the bar has no window of
// its own for the control to watch) and told what the pointer is over.
#include <windows.h>

#include <cstdint>

#include "common/win/handles.h"
#include "tabbar/tab_tip.h"

namespace brisko {

class CTabTips {
public:
    CTabTips() = default;
    CTabTips(const CTabTips&) = delete;
    CTabTips& operator=(const CTabTips&) = delete;

    // Made on attaching and destroyed on detaching; nothing is left between.
    void Create(HWND hClient);
    void Destroy();
    HWND Window() const { return m_hTip.Get(); }

    // An input of the attached window, after the bar has handled it.
    void OnInput(const CMDITab& bar, const BarInput& in);
    // The bar has been laid out again: a tip whose tab moved or went, or that
    // a scroll slid away from under the pointer, is taken down.
    void Recheck(const CMDITab& bar);

private:
    // Points the tooltip at a new target. Two tools take turns, so that the
    // control sees the pointer pass from one tool to another and shows the
    // next tip after its short reshow delay.
    void Retarget(const CMDITab& bar, const TabTip& tip);
    void SetToolRect(UINT id, const Rect& barRect, const CMDITab& bar);

    UniqueWindow m_hTip;
    HWND m_hClient = nullptr;
    TabTip m_Tip;
    UINT m_uTool = 1;
    // The last pointer position over the client, in client coordinates.
    Point m_ptLast;
    bool m_bHaveLast = false;
};

}  // namespace brisko
