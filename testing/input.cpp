#include "testing/input.h"

namespace brisko::test {
namespace {

constexpr DWORD kSettleMs = 25;

// Sends input from the helper thread and waits until the IDE's thread has
// had it.
void Send(const UiChannel& channel, std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Sleep(kSettleMs);
    channel.Sync();
}

// Normalised absolute coordinates, rounded up so that the system's scaling
// back to pixels (truncating) lands on the pixel asked for.
LONG Normalise(LONG v, int size) {
    if (size <= 0) return 0;
    return static_cast<LONG>((static_cast<long long>(v) * 65536 + size - 1) / size);
}

INPUT MoveInput(POINT p) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = Normalise(p.x, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = Normalise(p.y, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return in;
}

INPUT ButtonInput(MouseButton button, bool down) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    switch (button) {
        case MouseButton::Left:
            in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
            break;
        case MouseButton::Right:
            in.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
            break;
        case MouseButton::Middle:
            in.mi.dwFlags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
            break;
    }
    return in;
}

INPUT KeyInput(WORD vk, bool down) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    return in;
}

// The steps, on the helper thread.
void PlayMove(const UiChannel& ch, POINT p) {
    Send(ch, {MoveInput(p)});
}

// `times` presses and releases at p.
void PlayPress(const UiChannel& ch, POINT p, MouseButton button, int times) {
    PlayMove(ch, p);
    std::vector<INPUT> clicks;
    for (int i = 0; i < times; ++i) {
        clicks.push_back(ButtonInput(button, true));
        clicks.push_back(ButtonInput(button, false));
    }
    Send(ch, clicks);
}

void PlayDrag(const UiChannel& ch, POINT from, POINT to, MouseButton button) {
    PlayMove(ch, from);
    Send(ch, {ButtonInput(button, true)});
    // In steps, as a hand moves, so that drag thresholds are crossed on the way.
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps; ++i) {
        PlayMove(ch, POINT{from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps});
    }
    Send(ch, {ButtonInput(button, false)});
}

void PlayWheel(const UiChannel& ch, POINT p, int notches) {
    PlayMove(ch, p);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = static_cast<DWORD>(notches * WHEEL_DELTA);
    Send(ch, {in});
}

void PlayKey(const UiChannel& ch, WORD vk, bool down, bool up) {
    std::vector<INPUT> inputs;
    if (down) inputs.push_back(KeyInput(vk, true));
    if (up) inputs.push_back(KeyInput(vk, false));
    Send(ch, inputs);
}

}  // namespace

namespace input {

Sequence& Sequence::MoveTo(POINT screen) {
    steps_.push_back(Step{Kind::Move, screen});
    return *this;
}
Sequence& Sequence::Click(POINT screen, MouseButton button) {
    steps_.push_back(Step{Kind::Click, screen, {}, button});
    return *this;
}
Sequence& Sequence::DoubleClick(POINT screen) {
    steps_.push_back(Step{Kind::DoubleClick, screen});
    return *this;
}
Sequence& Sequence::Drag(POINT from, POINT to, MouseButton button) {
    steps_.push_back(Step{Kind::Drag, from, to, button});
    return *this;
}
Sequence& Sequence::Wheel(POINT screen, int notches) {
    steps_.push_back(Step{Kind::Wheel, screen, {}, MouseButton::Left, 0, notches});
    return *this;
}
Sequence& Sequence::KeyDown(WORD vk) {
    steps_.push_back(Step{Kind::KeyDown, {}, {}, MouseButton::Left, vk});
    return *this;
}
Sequence& Sequence::KeyUp(WORD vk) {
    steps_.push_back(Step{Kind::KeyUp, {}, {}, MouseButton::Left, vk});
    return *this;
}
Sequence& Sequence::Key(WORD vk) {
    steps_.push_back(Step{Kind::Key, {}, {}, MouseButton::Left, vk});
    return *this;
}
Sequence& Sequence::Wait(DWORD ms) {
    steps_.push_back(Step{Kind::Wait, {}, {}, MouseButton::Left, 0, static_cast<long>(ms)});
    return *this;
}

void Sequence::Run() const {
    RunWhilePumping([&](const UiChannel& ch) { Play(ch); });
}

void Sequence::Play(const UiChannel& ch) const {
    for (const Step& s : steps_) {
        switch (s.kind) {
            case Kind::Move:
                PlayMove(ch, s.a);
                break;
            case Kind::Click:
                PlayPress(ch, s.a, s.button, 1);
                break;
            case Kind::DoubleClick:
                PlayPress(ch, s.a, MouseButton::Left, 2);
                break;
            case Kind::Drag:
                PlayDrag(ch, s.a, s.b, s.button);
                break;
            case Kind::Wheel:
                PlayWheel(ch, s.a, static_cast<int>(s.value));
                break;
            case Kind::KeyDown:
                PlayKey(ch, s.vk, true, false);
                break;
            case Kind::KeyUp:
                PlayKey(ch, s.vk, false, true);
                break;
            case Kind::Key:
                PlayKey(ch, s.vk, true, true);
                break;
            case Kind::Wait:
                Sleep(static_cast<DWORD>(s.value));
                ch.Sync();
                break;
        }
    }
}

void MoveTo(POINT screen) {
    Sequence().MoveTo(screen).Run();
}
void Click(POINT screen, MouseButton button) {
    Sequence().Click(screen, button).Run();
}
void DoubleClick(POINT screen) {
    Sequence().DoubleClick(screen).Run();
}
void Drag(POINT from, POINT to, MouseButton button) {
    Sequence().Drag(from, to, button).Run();
}
void Wheel(POINT screen, int notches) {
    Sequence().Wheel(screen, notches).Run();
}
void KeyDown(WORD vk) {
    Sequence().KeyDown(vk).Run();
}
void KeyUp(WORD vk) {
    Sequence().KeyUp(vk).Run();
}
void Key(WORD vk) {
    Sequence().Key(vk).Run();
}

}  // namespace input

}  // namespace brisko::test
