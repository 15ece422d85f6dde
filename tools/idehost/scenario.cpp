#include "tools/idehost/scenario.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cwctype>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "common/win/ansi.h"
#include "common/win/handles.h"

namespace brisko::idehost {

// ---- Input --------------------------------------------------------------

namespace {

struct KernelHandleTraits {
    static void Close(HANDLE h) { CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;

constexpr UINT kRunOnUiThread = WM_APP + 0x2B1;
constexpr const char* kChannelClass = "IdeHostScenarioChannel";

// A message-only window of the IDE's thread through which a helper thread
// runs code on the IDE's thread and waits for it. Sent messages are
// dispatched inside every message loop, modal ones included.
class UiChannel {
public:
    UiChannel() {
        static const bool registered = [] {
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = &UiChannel::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = kChannelClass;
            return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        }();
        if (registered)
            hwnd_.Reset(CreateWindowExA(0, kChannelClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        GetModuleHandleA(nullptr), nullptr));
    }
    // From the helper thread: runs `fn` on the IDE's thread. False when
    // the IDE's thread could not be reached.
    bool Run(const std::function<void()>& fn) const {
        DWORD_PTR result = 0;
        return hwnd_ && SendMessageTimeoutA(hwnd_.Get(), kRunOnUiThread, 0, reinterpret_cast<LPARAM>(&fn), SMTO_NORMAL,
                                            60000, &result) != 0;
    }
    // From the helper thread: waits until the IDE's thread has taken its messages.
    void Sync() const {
        DWORD_PTR result = 0;
        if (hwnd_) SendMessageTimeoutA(hwnd_.Get(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == kRunOnUiThread) {
            try {
                (*reinterpret_cast<const std::function<void()>*>(lp))();
            } catch (...) {
            }
            return 1;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    UniqueWindow hwnd_;
};

// Ends a modal loop that input left open on `thread` (a menu, a dialog):
// Esc first, as a user would, then a request to close the active window.
// False when the loop is still running.
bool CloseLeftOpenLoop(DWORD thread, HANDLE back) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (attempt < 3) {
            INPUT keys[2]{};
            keys[0].type = keys[1].type = INPUT_KEYBOARD;
            keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
            keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(2, keys, sizeof(INPUT));
        } else {
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            if (GetGUIThreadInfo(thread, &info)) {
                if (info.hwndMenuOwner) PostMessageA(info.hwndMenuOwner, WM_CANCELMODE, 0, 0);
                if (info.hwndActive) PostMessageA(info.hwndActive, WM_CLOSE, 0, 0);
            }
        }
        if (WaitForSingleObject(back, 1000) == WAIT_OBJECT_0) return true;
    }
    return false;
}

// Runs `work` on a helper thread while this thread dispatches its
// messages. When the work is done but this thread does not come back
// (input opened a menu or a dialog that nothing closes), the helper closes
// it after a while and the call fails, instead of waiting for ever.
void RunWhilePumping(const std::function<void(const UiChannel&)>& work) {
    constexpr DWORD kModalGraceMs = 4000;
    UiChannel channel;
    UniqueKernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    UniqueKernelHandle back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!done || !back) throw std::runtime_error("no event for the helper thread");
    const DWORD uiThread = GetCurrentThreadId();
    std::exception_ptr error;
    bool leftOpen = false;
    std::thread helper([&] {
        try {
            work(channel);
        } catch (...) {
            error = std::current_exception();
        }
        SetEvent(done.Get());
        if (WaitForSingleObject(back.Get(), kModalGraceMs) != WAIT_OBJECT_0) {
            leftOpen = true;
            CloseLeftOpenLoop(uiThread, back.Get());
        }
    });
    bool quit = false;
    WPARAM quitCode = 0;
    HANDLE wait = done.Get();
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                quit = true;
                quitCode = m.wParam;
                continue;
            }
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        if (MsgWaitForMultipleObjects(1, &wait, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0) break;
    }
    SetEvent(back.Get());
    helper.join();
    if (quit) PostQuitMessage(static_cast<int>(quitCode));  // for the outer loop
    if (error) std::rethrow_exception(error);
    if (leftOpen)
        throw std::runtime_error(
            "the input left a modal loop open (a menu or a dialog); it was closed with Esc. Steps that act inside "
            "it belong in the same input sequence");
}

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

// The input sequences, run on the helper thread.
namespace offthread {

void MoveTo(const UiChannel& ch, POINT p) {
    Send(ch, {MoveInput(p)});
}

void Click(const UiChannel& ch, POINT p, MouseButton button) {
    MoveTo(ch, p);
    Send(ch, {ButtonInput(button, true), ButtonInput(button, false)});
}

void DoubleClick(const UiChannel& ch, POINT p) {
    MoveTo(ch, p);
    Send(ch, {ButtonInput(MouseButton::Left, true), ButtonInput(MouseButton::Left, false),
              ButtonInput(MouseButton::Left, true), ButtonInput(MouseButton::Left, false)});
}

void Drag(const UiChannel& ch, POINT from, POINT to, MouseButton button) {
    MoveTo(ch, from);
    Send(ch, {ButtonInput(button, true)});
    // In steps, as a hand moves, so that drag thresholds are crossed on the way.
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps; ++i) {
        MoveTo(ch, POINT{from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps});
    }
    Send(ch, {ButtonInput(button, false)});
}

void Wheel(const UiChannel& ch, POINT p, int notches) {
    MoveTo(ch, p);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = static_cast<DWORD>(notches * WHEEL_DELTA);
    Send(ch, {in});
}

void Key(const UiChannel& ch, WORD vk, bool down, bool up) {
    std::vector<INPUT> inputs;
    if (down) inputs.push_back(KeyInput(vk, true));
    if (up) inputs.push_back(KeyInput(vk, false));
    Send(ch, inputs);
}

}  // namespace offthread
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
    RunWhilePumping([&](const UiChannel& ch) {
        for (const Step& s : steps_) {
            switch (s.kind) {
                case Kind::Move:
                    offthread::MoveTo(ch, s.a);
                    break;
                case Kind::Click:
                    offthread::Click(ch, s.a, s.button);
                    break;
                case Kind::DoubleClick:
                    offthread::DoubleClick(ch, s.a);
                    break;
                case Kind::Drag:
                    offthread::Drag(ch, s.a, s.b, s.button);
                    break;
                case Kind::Wheel:
                    offthread::Wheel(ch, s.a, static_cast<int>(s.value));
                    break;
                case Kind::KeyDown:
                    offthread::Key(ch, s.vk, true, false);
                    break;
                case Kind::KeyUp:
                    offthread::Key(ch, s.vk, false, true);
                    break;
                case Kind::Key:
                    offthread::Key(ch, s.vk, true, true);
                    break;
                case Kind::Wait:
                    Sleep(static_cast<DWORD>(s.value));
                    ch.Sync();
                    break;
            }
        }
    });
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

// ---- Screenshot ---------------------------------------------------------

namespace {

void PutBigEndian32(std::string& out, uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

uint32_t Crc32(const char* data, size_t size, uint32_t crc = 0) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian32(out, static_cast<uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    PutBigEndian32(out, Crc32(body.data(), body.size()));
}

}  // namespace

// A PNG of 8-bit RGB from a bottom-up 24-bit DIB, its image data in stored
// (uncompressed) deflate blocks: no compression library needed, and any
// reader takes it.
std::string EncodePng(const unsigned char* bottomUpBgr, int width, int height, unsigned long stride) {
    std::string raw;
    raw.reserve(static_cast<size_t>(height) * (static_cast<size_t>(width) * 3 + 1));
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = bottomUpBgr + static_cast<size_t>(height - 1 - y) * stride;
        raw += '\0';  // no filter
        for (int x = 0; x < width; ++x) {
            raw += static_cast<char>(row[x * 3 + 2]);
            raw += static_cast<char>(row[x * 3 + 1]);
            raw += static_cast<char>(row[x * 3]);
        }
    }
    std::string zlib = "\x78\x01";
    for (size_t pos = 0; pos < raw.size() || pos == 0;) {
        const size_t len = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + len == raw.size();
        zlib += static_cast<char>(last ? 1 : 0);
        zlib += static_cast<char>(len & 0xFF);
        zlib += static_cast<char>(len >> 8);
        zlib += static_cast<char>(~len & 0xFF);
        zlib += static_cast<char>((~len >> 8) & 0xFF);
        zlib.append(raw, pos, len);
        pos += len;
        if (last) break;
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian32(zlib, (b << 16) | a);

    std::string png = "\x89PNG\r\n\x1A\n";
    std::string header;
    PutBigEndian32(header, static_cast<uint32_t>(width));
    PutBigEndian32(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", std::string());
    return png;
}

bool SaveScreenshot(HWND window, const std::filesystem::path& file) {
    if (!IsWindow(window)) return false;
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    IdeHost::Pump(50);
    RECT r{};
    if (!GetWindowRect(window, &r)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;

    WindowDC screen(nullptr, false);
    if (!screen.Get()) return false;
    UniqueMemDC mem(CreateCompatibleDC(screen.Get()));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, as the file stores rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueGdi dib(CreateDIBSection(screen.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!mem || !dib || !bits) return false;
    {
        SelectInDC select(mem.Get(), dib.Get());
        if (!BitBlt(mem.Get(), 0, 0, w, h, screen.Get(), r.left, r.top, SRCCOPY | CAPTUREBLT)) return false;
    }
    GdiFlush();

    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    const auto* pixels = static_cast<const unsigned char*>(bits);
    std::string ext = file.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    if (ext == ".png") {
        const std::string png = EncodePng(pixels, w, h, stride);
        out.write(png.data(), static_cast<std::streamsize>(png.size()));
    } else {
        const DWORD imageSize = stride * static_cast<DWORD>(h);
        BITMAPFILEHEADER fh{};
        fh.bfType = 0x4D42;  // "BM"
        fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        fh.bfSize = fh.bfOffBits + imageSize;
        BITMAPINFOHEADER ih = bi.bmiHeader;
        ih.biSizeImage = imageSize;
        out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
        out.write(reinterpret_cast<const char*>(&ih), sizeof(ih));
        out.write(reinterpret_cast<const char*>(pixels), imageSize);
    }
    return static_cast<bool>(out.flush());
}

// ---- Script -------------------------------------------------------------

namespace {

std::wstring FromUtf8(std::string_view s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(0, n)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string ToUtf8(std::wstring_view s) {
    if (s.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(0, n)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool ParseLong(const std::wstring& text, long& out) {
    if (text.empty()) return false;
    size_t used = 0;
    try {
        out = std::stol(text, &used, 10);
    } catch (...) {
        return false;
    }
    return used == text.size();
}

std::string Hex(HRESULT hr) {
    char buf[16];
    std::snprintf(buf, sizeof(buf), "0x%08lX", static_cast<unsigned long>(hr));
    return buf;
}

bool Is(const Word& w, const wchar_t* text) {
    return !w.quoted && CompareStringOrdinal(w.text.c_str(), -1, text, -1, TRUE) == CSTR_EQUAL;
}

struct NamedValue {
    const wchar_t* name;
    long value;
};

constexpr NamedValue kComponentTypes[] = {
    {L"module", vbext_ct_StdModule},
    {L"class", vbext_ct_ClassModule},
    {L"form", vbext_ct_VBForm},
    {L"mdiform", vbext_ct_VBMDIForm},
    {L"propertypage", vbext_ct_PropPage},
    {L"usercontrol", vbext_ct_UserControl},
    {L"userdocument", vbext_ct_DocObject},
    {L"designer", vbext_ct_ActiveXDesigner},
};

constexpr NamedValue kKeys[] = {
    {L"esc", VK_ESCAPE},    {L"escape", VK_ESCAPE}, {L"ctrl", VK_CONTROL},   {L"control", VK_CONTROL},
    {L"shift", VK_SHIFT},   {L"alt", VK_MENU},      {L"enter", VK_RETURN},   {L"tab", VK_TAB},
    {L"space", VK_SPACE},   {L"up", VK_UP},         {L"down", VK_DOWN},      {L"left", VK_LEFT},
    {L"right", VK_RIGHT},   {L"home", VK_HOME},     {L"end", VK_END},        {L"pageup", VK_PRIOR},
    {L"pagedown", VK_NEXT}, {L"delete", VK_DELETE}, {L"backspace", VK_BACK}, {L"f1", VK_F1},
    {L"f2", VK_F2},         {L"f4", VK_F4},         {L"f5", VK_F5},          {L"f10", VK_F10},
};

template <size_t N>
bool Lookup(const NamedValue (&table)[N], const Word& w, long& out) {
    for (const NamedValue& nv : table) {
        if (Is(w, nv.name)) {
            out = nv.value;
            return true;
        }
    }
    return ParseLong(w.text, out);
}

}  // namespace

bool SplitWords(const std::wstring& line, std::vector<Word>& words) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        if (std::iswspace(line[i])) {
            ++i;
            continue;
        }
        Word w;
        if (line[i] == L'"') {
            w.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const wchar_t c = line[i++];
                if (c == L'"') {
                    closed = true;
                    break;
                }
                if (c == L'\\' && i < line.size() && (line[i] == L'"' || line[i] == L'\\')) {
                    w.text += line[i++];
                } else {
                    w.text += c;
                }
            }
            if (!closed) return false;
        } else {
            while (i < line.size() && !std::iswspace(line[i])) w.text += line[i++];
        }
        words.push_back(std::move(w));
    }
    return true;
}

namespace {

// The commands that run on the helper thread: input and waiting. False
// when `w` is another command.
bool RunInputCommand(const Scenario& scenario, const UiChannel& ch, const std::vector<Word>& w, std::string& error) {
    const Word& cmd = w[0];
    const size_t n = w.size();
    auto need = [&](size_t count) { return n == count; };
    auto usage = [&](const char* form) {
        error = std::string("usage: ") + form;
        return true;
    };
    auto number = [&](size_t i, long& out) { return i < n && !w[i].quoted && ParseLong(w[i].text, out); };
    auto at = [&](long x, long y) { return scenario.ToScreen(static_cast<int>(x), static_cast<int>(y)); };
    long x = 0, y = 0, x2 = 0, y2 = 0;

    if (Is(cmd, L"wait")) {
        long ms = 0;
        if (!need(2) || !number(1, ms) || ms < 0) return usage("wait MS");
        Sleep(static_cast<DWORD>(ms));
        ch.Sync();
        return true;
    }
    if (Is(cmd, L"move")) {
        if (!need(3) || !number(1, x) || !number(2, y)) return usage("move X Y");
        offthread::MoveTo(ch, at(x, y));
        return true;
    }
    if (Is(cmd, L"click")) {
        MouseButton button = MouseButton::Left;
        if ((n != 3 && n != 4) || !number(1, x) || !number(2, y)) return usage("click X Y [left|right|middle]");
        if (n == 4) {
            if (Is(w[3], L"right"))
                button = MouseButton::Right;
            else if (Is(w[3], L"middle"))
                button = MouseButton::Middle;
            else if (!Is(w[3], L"left"))
                return usage("click X Y [left|right|middle]");
        }
        offthread::Click(ch, at(x, y), button);
        return true;
    }
    if (Is(cmd, L"dblclick")) {
        if (!need(3) || !number(1, x) || !number(2, y)) return usage("dblclick X Y");
        offthread::DoubleClick(ch, at(x, y));
        return true;
    }
    if (Is(cmd, L"drag")) {
        MouseButton button = MouseButton::Left;
        if ((n != 5 && n != 6) || !number(1, x) || !number(2, y) || !number(3, x2) || !number(4, y2))
            return usage("drag X1 Y1 X2 Y2 [left|right]");
        if (n == 6) {
            if (Is(w[5], L"right"))
                button = MouseButton::Right;
            else if (!Is(w[5], L"left"))
                return usage("drag X1 Y1 X2 Y2 [left|right]");
        }
        offthread::Drag(ch, at(x, y), at(x2, y2), button);
        return true;
    }
    if (Is(cmd, L"wheel")) {
        long notches = 0;
        if (!need(4) || !number(1, x) || !number(2, y) || !number(3, notches)) return usage("wheel X Y NOTCHES");
        offthread::Wheel(ch, at(x, y), static_cast<int>(notches));
        return true;
    }
    if (Is(cmd, L"key") || Is(cmd, L"keydown") || Is(cmd, L"keyup")) {
        long vk = 0;
        if (!need(2) || !Lookup(kKeys, w[1], vk) || vk <= 0 || vk > 0xFE) return usage("key|keydown|keyup NAME");
        offthread::Key(ch, static_cast<WORD>(vk), !Is(cmd, L"keyup"), !Is(cmd, L"keydown"));
        return true;
    }
    return false;
}

}  // namespace

POINT Scenario::ToScreen(int x, int y) const {
    RECT r{};
    GetWindowRect(ide_.MdiClient(), &r);
    return POINT{r.left + x, r.top + y};
}

HWND Scenario::Resolve(const Word& ref, std::string& error) const {
    HWND hwnd = nullptr;
    if (!ref.quoted && ref.text.size() > 1 && ref.text[0] == L'#') {
        long n = 0;
        if (!ParseLong(ref.text.substr(1), n) || n < 1 || n > static_cast<long>(opened_.size())) {
            error = "no window " + ToUtf8(ref.text) + " was opened";
            return nullptr;
        }
        hwnd = opened_[static_cast<size_t>(n - 1)];
    } else {
        hwnd = ide_.FindChild(ref.text);
    }
    if (!hwnd || !IsWindow(hwnd)) {
        error = "no window " + ToUtf8(ref.text);
        return nullptr;
    }
    return hwnd;
}

ScenarioResult Scenario::RunFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return ScenarioResult{false, false, 0, "cannot read " + file.string()};
    std::ostringstream text;
    text << in.rdbuf();
    return Run(text.str());
}

ScenarioResult Scenario::Run(const std::string& utf8Script) {
    // The whole script is read first, so a broken line stops it before anything ran.
    std::vector<std::pair<int, std::vector<Word>>> commands;
    std::string_view script = utf8Script;
    if (script.substr(0, 3) == "\xEF\xBB\xBF") script.remove_prefix(3);
    int lineNo = 0;
    while (!script.empty()) {
        const size_t end = script.find('\n');
        std::string_view raw = script.substr(0, end);
        script = end == std::string_view::npos ? std::string_view() : script.substr(end + 1);
        ++lineNo;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        std::vector<Word> words;
        if (!SplitWords(FromUtf8(raw), words)) return ScenarioResult{false, false, lineNo, "unclosed quote"};
        if (words.empty() || (!words[0].quoted && words[0].text[0] == L'#')) continue;
        commands.emplace_back(lineNo, std::move(words));
    }

    ScenarioResult result;
    int lastLine = 0;
    try {
        RunWhilePumping([&](const UiChannel& channel) {
            for (const auto& [line, words] : commands) {
                lastLine = line;
                std::string error;
                bool quit = false;
                if (!RunInputCommand(*this, channel, words, error)) {
                    const bool reached = channel.Run([&, &words = words] {
                        try {
                            error = Execute(words, quit);
                        } catch (const std::exception& e) {
                            error = e.what();
                        } catch (...) {
                            error = "the command failed";
                        }
                    });
                    if (!reached) error = "the IDE's thread did not answer";
                }
                if (!error.empty()) {
                    result = ScenarioResult{false, false, line, error};
                    return;
                }
                if (quit) {
                    result.quit = true;
                    return;
                }
            }
        });
    } catch (const std::exception& e) {
        // The failure of a line comes first; a modal loop left open is reported when nothing else failed.
        if (result.ok) result = ScenarioResult{false, false, lastLine, e.what()};
    }
    return result;
}

std::string Scenario::Execute(const std::vector<Word>& w, bool& quit) {
    const Word& cmd = w[0];
    const size_t n = w.size();
    auto need = [&](size_t count) { return n == count; };
    auto usage = [&](const char* form) { return std::string("usage: ") + form; };
    auto number = [&](size_t i, long& out) { return i < n && !w[i].quoted && ParseLong(w[i].text, out); };
    std::string error;

    if (Is(cmd, L"sample")) {
        if (!need(1)) return usage("sample");
        ide_.LoadSample();
        return {};
    }
    if (Is(cmd, L"open")) {
        std::wstring cls;
        const Word* caption = nullptr;
        if (n == 3 && Is(w[1], L"code"))
            cls = L"VbaWindow";
        else if (n == 3 && Is(w[1], L"designer"))
            cls = L"DesignerWindow";
        else if (n == 3 && Is(w[1], L"tool"))
            cls = L"DockingView";
        else if (n == 4 && Is(w[1], L"class"))
            cls = w[2].text;
        else
            return usage("open code|designer|tool \"caption\" | open class NAME \"caption\"");
        caption = &w[n - 1];
        HWND hwnd = cls == L"DockingView" ? ide_.OpenToolWindow(caption->text) : ide_.Open(cls, caption->text);
        if (!hwnd) return "the window could not be made";
        opened_.push_back(hwnd);
        return {};
    }
    if (Is(cmd, L"retitle")) {
        if (!need(3)) return usage("retitle REF \"caption\"");
        HWND hwnd = Resolve(w[1], error);
        if (!hwnd) return error;
        if (!ide_.Retitle(hwnd, w[2].text)) return "SetWindowTextA failed";
        return {};
    }
    struct WindowCommand {
        const wchar_t* name;
        void (IdeHost::*action)(HWND);
    };
    static const WindowCommand kWindowCommands[] = {
        {L"activate", &IdeHost::Activate}, {L"close", &IdeHost::Close},     {L"minimize", &IdeHost::Minimize},
        {L"maximize", &IdeHost::Maximize}, {L"restore", &IdeHost::Restore}, {L"show", &IdeHost::Show},
        {L"hide", &IdeHost::Hide},
    };
    for (const WindowCommand& wc : kWindowCommands) {
        if (!Is(cmd, wc.name)) continue;
        if (!need(2)) return usage("COMMAND REF");
        HWND hwnd = Resolve(w[1], error);
        if (!hwnd) return error;
        (ide_.*wc.action)(hwnd);
        return {};
    }
    if (Is(cmd, L"refuseclose")) {
        if (!need(3) || !(Is(w[2], L"on") || Is(w[2], L"off"))) return usage("refuseclose REF on|off");
        HWND hwnd = Resolve(w[1], error);
        if (!hwnd) return error;
        ide_.SetCloseBehaviour(hwnd, Is(w[2], L"on") ? CloseBehaviour::Refuse : CloseBehaviour::Destroy);
        return {};
    }
    if (Is(cmd, L"addproject")) {
        if (!need(2)) return usage("addproject \"name\"");
        ide_.Model().AddProject(w[1].text);
        return {};
    }
    if (Is(cmd, L"activeproject")) {
        if (!need(2)) return usage("activeproject \"name\"|none");
        if (Is(w[1], L"none")) {
            ide_.Model().SetActiveProject(nullptr);
            return {};
        }
        Project* p = ide_.Model().VBProjects().Find(w[1].text);
        if (!p) return "no project " + ToUtf8(w[1].text);
        ide_.Model().SetActiveProject(p);
        return {};
    }
    if (Is(cmd, L"removeproject")) {
        if (!need(2)) return usage("removeproject \"name\"");
        Project* p = ide_.Model().VBProjects().Find(w[1].text);
        if (!p || !ide_.Model().RemoveProject(*p)) return "no project " + ToUtf8(w[1].text);
        return {};
    }
    if (Is(cmd, L"addcomponent")) {
        long type = 0;
        if ((n != 4 && n != 5) || !Lookup(kComponentTypes, w[3], type))
            return usage("addcomponent \"project\" \"name\" TYPE [\"file\"]");
        Project* p = ide_.Model().VBProjects().Find(w[1].text);
        if (!p) return "no project " + ToUtf8(w[1].text);
        p->AddComponent(w[2].text, type, n == 5 ? w[4].text : std::wstring());
        return {};
    }

    // The add-in manager's commands.
    auto addinCall = [&](const char* what, auto&& call) -> std::string {
        if (!addin_ || !addin_->Loaded()) return std::string(what) + ": no add-in is loaded";
        const HRESULT hr = call();
        return FAILED(hr) ? std::string(what) + " failed with " + Hex(hr) : std::string();
    };
    if (Is(cmd, L"connect")) {
        long mode = 0;
        if (!need(2) || !number(1, mode)) return usage("connect MODE");
        return addinCall("OnConnection", [&] { return addin_->Connect(mode); });
    }
    if (Is(cmd, L"startupcomplete")) return addinCall("OnStartupComplete", [&] { return addin_->StartupComplete(); });
    if (Is(cmd, L"beginshutdown")) return addinCall("OnBeginShutdown", [&] { return addin_->BeginShutdown(); });
    if (Is(cmd, L"addinsupdate")) return addinCall("OnAddInsUpdate", [&] { return addin_->AddInsUpdate(); });
    if (Is(cmd, L"disconnect")) {
        long mode = ext_dm_UserClosed;
        if (n > 2 || (n == 2 && !number(1, mode))) return usage("disconnect [MODE]");
        return addinCall("OnDisconnection", [&] { return addin_->Disconnect(mode); });
    }

    if (Is(cmd, L"screenshot")) {
        if (!need(2)) return usage("screenshot \"file.bmp\"");
        if (!SaveScreenshot(ide_.MainWindow(), std::filesystem::path(w[1].text)))
            return "the screenshot could not be written to " + ToUtf8(w[1].text);
        return {};
    }
    if (Is(cmd, L"expect")) {
        long code = 0, count = 0;
        if (n != 6 || !Is(w[1], L"scroll") || !(Is(w[3], L"vert") || Is(w[3], L"horz")) || !number(4, code) ||
            !number(5, count))
            return usage("expect scroll REF vert|horz CODE COUNT");
        HWND hwnd = Resolve(w[2], error);
        if (!hwnd) return error;
        const UINT msg = Is(w[3], L"vert") ? WM_VSCROLL : WM_HSCROLL;
        const int got = ide_.ScrollCount(hwnd, msg, static_cast<int>(code));
        if (got != count)
            return "expected " + std::to_string(count) + " scroll messages, the window received " + std::to_string(got);
        return {};
    }
    if (Is(cmd, L"quit")) {
        if (!need(1)) return usage("quit");
        quit = true;
        return {};
    }
    return "unknown command " + ToUtf8(cmd.text);
}

}  // namespace brisko::idehost
