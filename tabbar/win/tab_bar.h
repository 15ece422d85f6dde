#pragma once
// The tab bar as the window system's programs make it.
#include <memory>

#include "tabbar/mdi_tab.h"

namespace brisko {

// A tab bar wired to the real window system: its services, the attachment
// to the MDI client (class and extended style, subclassing, the reserved
// strip), its painting and its tooltips.
std::unique_ptr<CMDITab> CreateTabBar();

}  // namespace brisko
