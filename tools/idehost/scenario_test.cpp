// The scenario runner: its commands act on the stand-in IDE, its input is
// real input that lands where the script says, its screenshots are the
// window as shown.
#include "tools/idehost/scenario.h"

#include <fstream>

#include "tools/idehost/test_util.h"

namespace brisko::idehost {
namespace {

TEST(ScriptWords, QuotesEscapesAndSpaces) {
    struct Row {
        std::wstring line;
        bool ok;
        std::vector<std::wstring> words;
        std::vector<bool> quoted;
    };
    const Row rows[] = {
        {L"open code \"Project1 - Module1 (x)\"", true, {L"open", L"code", L"Project1 - Module1 (x)"}, {0, 0, 1}},
        {L"  click\t10   20  ", true, {L"click", L"10", L"20"}, {0, 0, 0}},
        {L"retitle #1 \"a \\\"b\\\" \\\\ c\"", true, {L"retitle", L"#1", L"a \"b\" \\ c"}, {0, 0, 1}},
        {L"activate \"#1\"", true, {L"activate", L"#1"}, {0, 1}},
        {L"open code \"\"", true, {L"open", L"code", L""}, {0, 0, 1}},
        {L"retitle \"unclosed", false, {}, {}},
        {L"", true, {}, {}},
    };
    for (const Row& row : rows) {
        std::vector<Word> words;
        ASSERT_EQ(SplitWords(row.line, words), row.ok) << std::string(row.line.begin(), row.line.end());
        if (!row.ok) continue;
        ASSERT_EQ(words.size(), row.words.size());
        for (size_t i = 0; i < words.size(); ++i) {
            EXPECT_EQ(words[i].text, row.words[i]);
            EXPECT_EQ(words[i].quoted, row.quoted[i]);
        }
    }
}

class Scripts : public ::testing::Test {
protected:
    ScenarioResult Run(const std::string& script) { return Scenario(ide_, nullptr).Run(script); }
    IdeHost ide_;
};

TEST_F(Scripts, CommandsActOnTheIde) {
    Scenario scenario(ide_, nullptr);
    const ScenarioResult r = scenario.Run(
        "\xEF\xBB\xBF# windows, captions in UTF-8\r\n"
        "open code \"Project1 - Module1 (\xEF\xBD\xBA\xEF\xBD\xB0\xEF\xBE\x84\xEF\xBE\x9E)\"\r\n"
        "open designer \"Project1 - Form1 (Form)\"\n"
        "open tool \"\xE3\x82\xA4\xE3\x83\x9F\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xA8\xE3\x82\xA4\xE3\x83\x88\"\n"
        "open class ObjectBrowser \"Browser\"\n"
        "\n"
        "retitle #1 \"Project1 - Module2 (\xEF\xBD\xBA\xEF\xBD\xB0\xEF\xBE\x84\xEF\xBE\x9E)\"\n"
        "activate \"Project1 - Module2 (\xEF\xBD\xBA\xEF\xBD\xB0\xEF\xBE\x84\xEF\xBE\x9E)\"\n"
        "refuseclose #2 on\n"
        "close #2\n"
        "close #3\n"
        "close #4\n"
        "maximize #1\n"
        "addproject \"Project1\"\n"
        "addproject \"Project2\"\n"
        "activeproject \"Project2\"\n"
        "addcomponent \"Project1\" \"Module2\" module\n"
        "addcomponent \"Project1\" \"Form9\" form \"C:\\\\src\\\\Form9.frm\"\n"
        "addcomponent \"Project1\" \"Designer1\" 11\n");
    ASSERT_TRUE(r.ok) << r.line << ": " << r.message;
    EXPECT_FALSE(r.quit);
    const auto& opened = scenario.Opened();
    ASSERT_EQ(opened.size(), 4u);
    char caption[64] = {};
    GetWindowTextA(opened[0], caption, sizeof(caption));
    EXPECT_STREQ(caption, "Project1 - Module2 (\xBA\xB0\xC4\xDE)");
    EXPECT_EQ(ide_.ActiveChild(), opened[0]);
    EXPECT_TRUE(IsZoomed(opened[0]));
    EXPECT_TRUE(IsWindow(opened[1]));  // refused to close
    EXPECT_TRUE(IsWindow(opened[2]));  // the tool window hid
    EXPECT_FALSE(IsWindowVisible(opened[2]));
    EXPECT_FALSE(IsWindow(opened[3]));

    Project* p1 = ide_.Model().VBProjects().Find(L"Project1");
    ASSERT_TRUE(p1);
    EXPECT_EQ(ide_.Model().ActiveProject(), ide_.Model().VBProjects().Find(L"Project2"));
    ASSERT_EQ(p1->VBComponents().Count(), 3);
    EXPECT_EQ(p1->VBComponents().At(1)->Type(), vbext_ct_StdModule);
    EXPECT_EQ(p1->VBComponents().At(1)->FileName(), L"");
    EXPECT_EQ(p1->VBComponents().At(2)->FileName(), L"C:\\src\\Form9.frm");
    EXPECT_EQ(p1->VBComponents().At(3)->Type(), vbext_ct_ActiveXDesigner);
}

TEST_F(Scripts, TheFirstFailingLineStopsTheScript) {
    struct Row {
        std::string script;
        int line;
        std::string message;
    };
    const Row rows[] = {
        {"open code \"A\"\nfrobnicate\nopen code \"B\"\n", 2, "unknown command frobnicate"},
        {"open code \"A\"\nclose #2\n", 2, "no window #2 was opened"},
        {"close \"No such window\"\n", 1, "no window No such window"},
        {"open code\n", 1, "usage: open"},
        {"open code \"A\"\nretitle #1 \"unclosed\n", 2, "unclosed quote"},
        {"connect 0\n", 1, "OnConnection: no add-in is loaded"},
        {"addcomponent \"Nope\" \"X\" module\n", 1, "no project Nope"},
        {"addproject \"P\"\naddcomponent \"P\" \"X\" gadget\n", 2, "usage: addcomponent"},
        {"wait -5\n", 1, "usage: wait"},
        {"click 10\n", 1, "usage: click"},
        {"key nosuchkey\n", 1, "usage: key"},
        {"activeproject \"Nope\"\n", 1, "no project Nope"},
        {"open code \"A\"\nexpect scroll #1 vert -1 1\n", 2, "expected 1 scroll messages, the window received 0"},
    };
    for (const Row& row : rows) {
        IdeHost ide(IdeHostOptions{.visible = false});
        const ScenarioResult r = Scenario(ide, nullptr).Run(row.script);
        EXPECT_FALSE(r.ok) << row.script;
        EXPECT_EQ(r.line, row.line) << row.script;
        EXPECT_EQ(r.message.substr(0, row.message.size()), row.message) << row.script;
        // Nothing after the failing line ran; a broken line stops the script before it starts.
        const size_t expectedWindows = row.script.starts_with("open code \"A\"") && row.message != "unclosed quote";
        EXPECT_EQ(ide.Children().size(), expectedWindows) << row.script;
    }
}

TEST_F(Scripts, QuitStopsTheRest) {
    const ScenarioResult r = Run("open code \"A\"\nquit\nopen code \"B\"\n");
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.quit);
    EXPECT_EQ(ide_.Children().size(), 1u);
}

TEST_F(Scripts, FilesAreReadAsUtf8) {
    const auto file = std::filesystem::temp_directory_path() / "idehost_scenario_test.txt";
    {
        std::ofstream out(file, std::ios::binary);
        out << "open code \"Project1 - Class1 (\xEF\xBD\xBA\xEF\xBD\xB0\xEF\xBE\x84\xEF\xBE\x9E)\"\n";
    }
    Scenario scenario(ide_, nullptr);
    const ScenarioResult r = scenario.RunFile(file);
    std::filesystem::remove(file);
    ASSERT_TRUE(r.ok) << r.message;
    char caption[64] = {};
    GetWindowTextA(scenario.Opened().at(0), caption, sizeof(caption));
    EXPECT_STREQ(caption, "Project1 - Class1 (\xBA\xB0\xC4\xDE)");
    EXPECT_FALSE(Scenario(ide_, nullptr).RunFile(file).ok);  // gone now
}

// ---- Real input --------------------------------------------------------

// Script coordinates of a screen point: MDI-client window coordinates.
std::string At(const IdeHost& ide, POINT screen) {
    RECT r{};
    GetWindowRect(ide.MdiClient(), &r);
    return std::to_string(screen.x - r.left) + " " + std::to_string(screen.y - r.top);
}

POINT Centre(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST_F(Scripts, ThePointerLandsOnThePixelAsked) {
    ide_.LoadSample();
    for (POINT p : {POINT{5, 5}, POINT{123, 77}, POINT{400, 301}, POINT{639, 479}}) {
        ASSERT_TRUE(Run("move " + std::to_string(p.x) + " " + std::to_string(p.y) + "\n").ok);
        POINT cursor{};
        GetCursorPos(&cursor);
        const POINT expected = Scenario(ide_, nullptr).ToScreen(p.x, p.y);
        EXPECT_EQ(cursor.x, expected.x);
        EXPECT_EQ(cursor.y, expected.y);
    }
}

TEST_F(Scripts, AClickOnAScrollArrowReachesTheCodeWindow) {
    Scenario scenario(ide_, nullptr);
    ASSERT_TRUE(scenario.Run("open code \"Project1 - Module1 (x)\"\nmaximize #1\n").ok);
    HWND code = scenario.Opened().at(0);
    HWND bar = ide_.VerticalScrollBar(code);
    RECT r{};
    GetWindowRect(bar, &r);
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);
    const POINT down{(r.left + r.right) / 2, r.bottom - arrow / 2};
    const POINT up{(r.left + r.right) / 2, r.top + arrow / 2};
    const ScenarioResult res = scenario.Run("click " + At(ide_, down) + "\nclick " + At(ide_, down) + "\nclick " +
                                            At(ide_, up) + "\nexpect scroll #1 vert 1 2\nexpect scroll #1 horz -1 0\n");
    ASSERT_TRUE(res.ok) << res.line << ": " << res.message;
    EXPECT_EQ(ide_.ScrollCount(code, WM_VSCROLL, SB_LINEDOWN), 2);
    EXPECT_EQ(ide_.ScrollCount(code, WM_VSCROLL, SB_LINEUP), 1);
    EXPECT_EQ(ide_.ScrollCount(code, WM_VSCROLL, SB_ENDSCROLL), 3);
    EXPECT_EQ(ide_.ScrollCountFrom(code, reinterpret_cast<LPARAM>(bar)), 6);
}

// What reaches the MDI client, seen through a subclass as the add-in sees it.
struct ClientSpy {
    static inline WNDPROC previous = nullptr;
    static inline std::vector<int> wheelDeltas;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_MOUSEWHEEL) wheelDeltas.push_back(GET_WHEEL_DELTA_WPARAM(w));
        return CallWindowProcA(previous, h, m, w, l);
    }
};

TEST_F(Scripts, AWheelOverACodeWindowTravelsUpToTheMdiClient) {
    Scenario scenario(ide_, nullptr);
    ASSERT_TRUE(scenario.Run("open code \"Project1 - Module1 (x)\"\nmaximize #1\n").ok);
    HWND code = scenario.Opened().at(0);
    SetForegroundWindow(ide_.MainWindow());
    ide_.Activate(code);
    ClientSpy::wheelDeltas.clear();
    ClientSpy::previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(ide_.MdiClient(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ClientSpy::Proc)));
    const ScenarioResult r =
        scenario.Run("wheel " + At(ide_, Centre(code)) + " 2\nwheel " + At(ide_, Centre(code)) + " -1\n");
    SetWindowLongPtrA(ide_.MdiClient(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ClientSpy::previous));
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(ClientSpy::wheelDeltas, (std::vector<int>{240, -120}));
    EXPECT_EQ(ide_.ScrollCount(code, WM_VSCROLL), 0);  // the code window leaves the wheel alone
}

TEST_F(Scripts, DoubleClickAndDragOnAWindowsCaption) {
    Scenario scenario(ide_, nullptr);
    ASSERT_TRUE(scenario.Run("open designer \"Project1 - Form1 (Form)\"\nopen code \"Project1 - Module1 (x)\"\n").ok);
    HWND designer = scenario.Opened().at(0);
    HWND code = scenario.Opened().at(1);
    // A drag on the caption moves the window: the move runs a modal loop,
    // which the input from the helper thread carries through.
    RECT before{};
    GetWindowRect(code, &before);
    const POINT grip{before.left + 60, before.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
    ASSERT_EQ(SendMessageA(code, WM_NCHITTEST, 0, MAKELPARAM(grip.x, grip.y)), HTCAPTION);
    ScenarioResult r = scenario.Run("drag " + At(ide_, grip) + " " + At(ide_, POINT{grip.x + 40, grip.y + 30}) + "\n");
    ASSERT_TRUE(r.ok) << r.message;
    RECT after{};
    GetWindowRect(code, &after);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 30);
    // A double click on the caption maximises it.
    const POINT caption{after.left + 60, grip.y + 30};
    r = scenario.Run("dblclick " + At(ide_, caption) + "\n");
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_TRUE(IsZoomed(code));
    EXPECT_FALSE(IsZoomed(designer));
}

// A window that shows a context menu on a right click, as the add-in's bar does.
struct MenuWindow {
    static inline WNDPROC previous = nullptr;
    static inline UINT chosen = 0;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_RBUTTONUP) {
            HMENU menu = CreatePopupMenu();
            AppendMenuA(menu, MF_STRING, 1, "One");
            AppendMenuA(menu, MF_STRING, 2, "Two");
            AppendMenuA(menu, MF_STRING, 3, "Three");
            POINT p{};
            GetCursorPos(&p);
            chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, h, nullptr));
            DestroyMenu(menu);
            return 0;
        }
        return CallWindowProcA(previous, h, m, w, l);
    }
};

TEST_F(Scripts, LaterStepsActInsideTheMenuThatAClickOpened) {
    Scenario scenario(ide_, nullptr);
    ASSERT_TRUE(scenario.Run("open code \"A\"\nmaximize #1\n").ok);
    HWND code = scenario.Opened().at(0);
    SetForegroundWindow(ide_.MainWindow());
    MenuWindow::previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(code, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MenuWindow::Proc)));
    const POINT centre = Centre(code);
    MenuWindow::chosen = 99;
    input::Sequence().Click(centre, MouseButton::Right).Key(VK_DOWN).Key(VK_DOWN).Key(VK_RETURN).Run();
    EXPECT_EQ(MenuWindow::chosen, 2u);
    MenuWindow::chosen = 99;
    const ScenarioResult r = scenario.Run("click " + At(ide_, centre) + " right\nkey down\nkey enter\n");
    EXPECT_TRUE(r.ok) << r.message;
    EXPECT_EQ(MenuWindow::chosen, 1u);
    MenuWindow::chosen = 99;
    input::Sequence().Click(centre, MouseButton::Right).Wait(100).Key(VK_ESCAPE).Run();
    EXPECT_EQ(MenuWindow::chosen, 0u);
    // A menu that the steps leave open is closed, and the caller hears of it.
    MenuWindow::chosen = 99;
    EXPECT_THROW(input::Click(centre, MouseButton::Right), std::runtime_error);
    EXPECT_EQ(MenuWindow::chosen, 0u);
    const ScenarioResult open = scenario.Run("activate #1\nclick " + At(ide_, centre) + " right\n");
    EXPECT_FALSE(open.ok);
    EXPECT_EQ(open.line, 2);
    EXPECT_NE(open.message.find("modal loop"), std::string::npos) << open.message;
    SetWindowLongPtrA(code, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MenuWindow::previous));
}

TEST_F(Scripts, KeysReachTheFocusedWindow) {
    Scenario scenario(ide_, nullptr);
    ASSERT_TRUE(scenario.Run("open code \"A\"\n").ok);
    SetForegroundWindow(ide_.MainWindow());
    ide_.Activate(scenario.Opened().at(0));
    ASSERT_TRUE(scenario.Run("keydown ctrl\n").ok);
    EXPECT_TRUE(GetKeyState(VK_CONTROL) & 0x8000);
    ASSERT_TRUE(scenario.Run("keyup ctrl\n").ok);
    EXPECT_FALSE(GetKeyState(VK_CONTROL) & 0x8000);
}

// ---- Screenshots -------------------------------------------------------

TEST_F(Scripts, AScreenshotIsTheWindowAsShownIn24BitBmp) {
    Scenario scenario(ide_, nullptr);
    ASSERT_TRUE(scenario.Run("open code \"A\"\n").ok);
    HWND code = scenario.Opened().at(0);
    const auto file = std::filesystem::temp_directory_path() / "idehost_shot.bmp";
    std::string path = file.string();
    ASSERT_TRUE(Run("screenshot \"" + path + "\"\n").ok);
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::filesystem::remove(file);
    ASSERT_GT(bytes.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    BITMAPFILEHEADER fh;
    BITMAPINFOHEADER ih;
    memcpy(&fh, bytes.data(), sizeof(fh));
    memcpy(&ih, bytes.data() + sizeof(fh), sizeof(ih));
    RECT main{};
    GetWindowRect(ide_.MainWindow(), &main);
    EXPECT_EQ(fh.bfType, 0x4D42);
    EXPECT_EQ(fh.bfSize, bytes.size());
    EXPECT_EQ(ih.biBitCount, 24);
    EXPECT_EQ(ih.biWidth, main.right - main.left);
    EXPECT_EQ(ih.biHeight, main.bottom - main.top);
    const size_t stride = (static_cast<size_t>(ih.biWidth) * 3 + 3) & ~size_t{3};
    auto pixel = [&](POINT screen) {
        const size_t row = static_cast<size_t>(ih.biHeight - 1 - (screen.y - main.top));
        const unsigned char* p = bytes.data() + fh.bfOffBits + row * stride + (screen.x - main.left) * 3;
        return RGB(p[2], p[1], p[0]);
    };
    // Inside the code window's client area it is painted white; the empty
    // MDI client shows the application workspace colour.
    RECT client{};
    GetClientRect(code, &client);
    POINT inside{client.right - 40, client.bottom - 40};
    ClientToScreen(code, &inside);
    EXPECT_EQ(pixel(inside), GetSysColor(COLOR_WINDOW));
    RECT mdi{};
    GetWindowRect(ide_.MdiClient(), &mdi);
    EXPECT_EQ(pixel(POINT{mdi.right - 30, mdi.bottom - 30}), GetSysColor(COLOR_APPWORKSPACE));
    EXPECT_FALSE(Run("screenshot \"Z:\\\\no\\\\such\\\\dir\\\\x.bmp\"\n").ok);
}

// Reads back a PNG as EncodePng writes it (stored deflate blocks), checking
// every checksum with the system's own CRC-32; answers the RGB rows top-down.
struct DecodedPng {
    bool ok = false;
    uint32_t width = 0, height = 0;
    std::string rgb;
};

uint32_t BigEndian(const std::string& s, size_t at) {
    return (uint32_t{static_cast<unsigned char>(s[at])} << 24) |
           (uint32_t{static_cast<unsigned char>(s[at + 1])} << 16) |
           (uint32_t{static_cast<unsigned char>(s[at + 2])} << 8) | uint32_t{static_cast<unsigned char>(s[at + 3])};
}

DecodedPng DecodeStoredPng(const std::string& png) {
    using Crc = DWORD(WINAPI*)(DWORD, const BYTE*, INT);
    auto crc =
        reinterpret_cast<Crc>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll"), "RtlComputeCrc32")));
    DecodedPng out;
    if (!crc || png.compare(0, 8, "\x89PNG\r\n\x1A\n") != 0) return out;
    std::string idat;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t len = BigEndian(png, at);
        const std::string type = png.substr(at + 4, 4);
        const std::string body = png.substr(at + 4, 4 + len);
        if (crc(0, reinterpret_cast<const BYTE*>(body.data()), static_cast<INT>(body.size())) !=
            BigEndian(png, at + 8 + len))
            return out;
        if (type == "IHDR") {
            out.width = BigEndian(png, at + 8);
            out.height = BigEndian(png, at + 12);
            if (png.substr(at + 16, 5) != std::string("\x08\x02\x00\x00\x00", 5)) return out;
        }
        if (type == "IDAT") idat += png.substr(at + 8, len);
        at += 12 + len;
        if (type == "IEND") break;
    }
    if (idat.size() < 6 || idat[0] != '\x78') return out;
    std::string raw;
    size_t at = 2;
    for (bool last = false; !last;) {
        if (at + 5 > idat.size()) return out;
        last = idat[at] & 1;
        const size_t len = static_cast<unsigned char>(idat[at + 1]) | static_cast<unsigned char>(idat[at + 2]) << 8;
        const size_t nlen = static_cast<unsigned char>(idat[at + 3]) | static_cast<unsigned char>(idat[at + 4]) << 8;
        if ((idat[at] & 6) != 0 || (len ^ nlen) != 0xFFFF) return out;
        raw += idat.substr(at + 5, len);
        at += 5 + len;
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    if (BigEndian(idat, at) != ((b << 16) | a) || raw.size() != out.height * (out.width * 3 + 1)) return out;
    for (uint32_t y = 0; y < out.height; ++y) {
        if (raw[y * (out.width * 3 + 1)] != 0) return out;
        out.rgb += raw.substr(y * (out.width * 3 + 1) + 1, out.width * 3);
    }
    out.ok = true;
    return out;
}

TEST(Png, RowsColoursAndBlocksComeBackAsDrawn) {
    // Sizes with padded rows, and one whose data needs more than one block.
    for (const auto& [w, h] : {std::pair{3, 2}, std::pair{1, 1}, std::pair{200, 120}}) {
        const unsigned long stride = (static_cast<unsigned long>(w) * 3 + 3) & ~3ul;
        std::vector<unsigned char> dib(stride * h, 0xEE);  // padding bytes must not leak in
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                unsigned char* p = dib.data() + static_cast<size_t>(h - 1 - y) * stride + x * 3;  // bottom-up
                p[0] = static_cast<unsigned char>(x);                                             // blue
                p[1] = static_cast<unsigned char>(y);                                             // green
                p[2] = static_cast<unsigned char>(x + y + 1);                                     // red
            }
        }
        const DecodedPng png = DecodeStoredPng(EncodePng(dib.data(), w, h, stride));
        ASSERT_TRUE(png.ok) << w << "x" << h;
        EXPECT_EQ(png.width, static_cast<uint32_t>(w));
        EXPECT_EQ(png.height, static_cast<uint32_t>(h));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const size_t at = (static_cast<size_t>(y) * w + x) * 3;
                ASSERT_EQ(static_cast<unsigned char>(png.rgb[at]), static_cast<unsigned char>(x + y + 1));
                ASSERT_EQ(static_cast<unsigned char>(png.rgb[at + 1]), static_cast<unsigned char>(y));
                ASSERT_EQ(static_cast<unsigned char>(png.rgb[at + 2]), static_cast<unsigned char>(x));
            }
        }
    }
}

TEST_F(Scripts, AScreenshotAsPng) {
    ASSERT_TRUE(Run("open code \"A\"\n").ok);
    const auto file = std::filesystem::temp_directory_path() / "idehost_shot.png";
    ASSERT_TRUE(Run("screenshot \"" + file.string() + "\"\n").ok);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::filesystem::remove(file);
    const DecodedPng png = DecodeStoredPng(bytes);
    ASSERT_TRUE(png.ok);
    RECT main{};
    GetWindowRect(ide_.MainWindow(), &main);
    EXPECT_EQ(png.width, static_cast<uint32_t>(main.right - main.left));
    EXPECT_EQ(png.height, static_cast<uint32_t>(main.bottom - main.top));
}

}  // namespace
}  // namespace brisko::idehost
