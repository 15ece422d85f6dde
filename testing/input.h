#pragma once
// Real input for the tests, the demos and the stand-in IDE's scripts: mouse
// and keys through SendInput.
#include <windows.h>

#include <vector>

#include "testing/ui_channel.h"

namespace brisko::test {

enum class MouseButton { Left, Right, Middle };

// Real input through SendInput, at screen coordinates, called on the UI
// thread (the IDE's, a test's). The input is sent from a helper thread while this thread keeps
// dispatching its messages, as a user's hand acts while the program runs.
// A call returns once its input has been delivered and any modal loop it
// opened (moving a window by its caption, a menu) has ended; a menu or
// dialog that the steps leave open is closed with Esc after a few seconds
// and the call throws std::runtime_error saying so. To act inside
// a modal loop that input opens - choose from a context menu, answer a
// message box - put those steps in the same Sequence:
//
//     input::Sequence().Click(p, MouseButton::Right).Key(VK_DOWN).Key(VK_RETURN).Run();
namespace input {

class Sequence {
public:
    Sequence& MoveTo(POINT screen);
    Sequence& Click(POINT screen, MouseButton button = MouseButton::Left);
    Sequence& DoubleClick(POINT screen);
    // Press, move in steps, release.
    Sequence& Drag(POINT from, POINT to, MouseButton button = MouseButton::Left);
    // Positive notches turn the wheel away from the user.
    Sequence& Wheel(POINT screen, int notches);
    Sequence& KeyDown(WORD vk);
    Sequence& KeyUp(WORD vk);
    Sequence& Key(WORD vk);
    // Lets time pass between steps, the IDE's thread dispatching meanwhile.
    Sequence& Wait(DWORD ms);
    void Run() const;
    // Runs the steps on a helper thread that `channel` links to the IDE's
    // thread (what Run does inside RunWhilePumping).
    void Play(const UiChannel& channel) const;

private:
    enum class Kind { Move, Click, DoubleClick, Drag, Wheel, KeyDown, KeyUp, Key, Wait };
    struct Step {
        Kind kind;
        POINT a{}, b{};
        MouseButton button = MouseButton::Left;
        WORD vk = 0;
        long value = 0;
    };
    std::vector<Step> steps_;
};

void MoveTo(POINT screen);
void Click(POINT screen, MouseButton button = MouseButton::Left);
void DoubleClick(POINT screen);
void Drag(POINT from, POINT to, MouseButton button = MouseButton::Left);
void Wheel(POINT screen, int notches);
void KeyDown(WORD vk);
void KeyUp(WORD vk);
void Key(WORD vk);

}  // namespace input

}  // namespace brisko::test
