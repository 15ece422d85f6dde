#pragma once
// One message of the attached window as the bar reads it. The window side
// makes it once from the raw message (tabbar/win/bar_messages.cpp); the bar
// and its tooltips both read it, and neither sees a message number or an
// lParam.
#include <cstdint>

#include "common/types.h"
#include "winsvc/msg_phase.h"

namespace brisko {

// Mouse buttons as the mouse events report them; 0 for none.
enum MouseButton : std::int32_t { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4, kXButton1 = 5, kXButton2 = 6 };

enum class BarInputKind : std::uint8_t {
    Other,           // nothing the bar reads
    ButtonDown,      // a mouse button pressed over the client area
    DoubleClick,     // pressed again within the double-click time
    ButtonUp,        // released
    MouseMove,       // keys: the buttons and modifier keys held
    MouseLeave,      // the pointer left the window
    Wheel,           // point on the screen; wheelDelta and keys
    CaptureChanged,  // the window lost the mouse capture
    ChildCreated,    // child: the new MDI child window
    ChildDestroyed,  // child: the MDI child going away
    ChildActivated,  // child: the MDI child activated
    Resized,         // point: the new client width and height
    Painted,         // the client area or its frame was painted
    HitTest,         // point on the screen
    Destroyed,       // the window's last message
};

struct BarInput {
    BarInputKind kind = BarInputKind::Other;
    MsgPhase phase = MsgPhase::After;  // before or after the window's own procedure
    WindowHandle window = 0;           // the window the message is for
    std::int32_t button = 0;           // MouseButton of a press or release
    Point point{};                     // client coordinates, unless the kind says otherwise
    std::uint32_t keys = 0;            // MK_ flags of a move or a wheel turn
    std::int16_t wheelDelta = 0;       // multiples of 120, positive away from the user
    WindowHandle child = 0;

    bool Before() const { return phase == MsgPhase::Before; }
    bool LeftButton() const { return button == kLeftButton; }
    // The point as the mouse events report it in lFlags: x in the low and y
    // in the high 16 bits, the packed position the message carried.
    std::int32_t PackedPoint() const {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(point.x)) |
                                         static_cast<std::uint32_t>(static_cast<std::uint16_t>(point.y)) << 16);
    }
};

// The window's answer to a message the bar has answered.
enum class BarAnswer : std::uint8_t {
    Unchanged,  // whatever the window's own procedure answers
    Zero,       // 0
    HitClient,  // the point is the bar's: the window sees client-area mouse messages
    HitBorder,  // the point is outside the bar: the window's border
};

struct BarReply {
    // Before the window's own procedure: the bar has dealt with the message
    // and the procedure does not see it.
    bool handled = false;
    BarAnswer answer = BarAnswer::Unchanged;
};

}  // namespace brisko
