#pragma once
// The Win32 side of the tab bar.
#include <memory>

#include "tabbar/mdi_tab.h"

namespace brisko {

// A tab bar wired to the real window system.
std::unique_ptr<CMDITab> CreateTabBar();

}  // namespace brisko
