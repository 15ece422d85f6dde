#include "tools/idehost/scenario.h"

#include <cstdio>
#include <cwctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "testing/ui_channel.h"

namespace brisko::idehost {

namespace {

using test::MouseButton;
using test::RunWhilePumping;
using test::SaveScreenshot;
using test::UiChannel;
namespace input = test::input;

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
    {L"userform", vbext_ct_MSForm},
    {L"document", vbext_ct_Document},
};

constexpr NamedValue kConnectModes[] = {
    {L"afterstartup", ext_cm_AfterStartup},
    {L"startup", ext_cm_Startup},
    {L"external", ext_cm_External},
    {L"commandline", ext_cm_CommandLine},
};

constexpr NamedValue kDisconnectModes[] = {{L"hostshutdown", ext_dm_HostShutdown}, {L"userclosed", ext_dm_UserClosed}};

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
    auto usage = [&](const char* form) {
        error = std::string("usage: ") + form;
        return true;
    };
    // The first `count` words after the command as numbers.
    long v[4] = {};
    auto numbers = [&](size_t count) {
        for (size_t i = 0; i < count; ++i)
            if (i + 1 >= n || w[i + 1].quoted || !ParseLong(w[i + 1].text, v[i])) return false;
        return true;
    };
    auto at = [&](size_t k) { return scenario.ToScreen(static_cast<int>(v[k]), static_cast<int>(v[k + 1])); };
    // The optional button word at w[i] (the middle one only where `middle`).
    MouseButton button = MouseButton::Left;
    auto buttonAt = [&](size_t i, bool middle) {
        if (n == i || (n == i + 1 && Is(w[i], L"left"))) return true;
        if (n == i + 1 && Is(w[i], L"right")) button = MouseButton::Right;
        if (n == i + 1 && middle && Is(w[i], L"middle")) button = MouseButton::Middle;
        return button != MouseButton::Left;
    };

    input::Sequence seq;
    if (Is(cmd, L"wait")) {
        if (n != 2 || !numbers(1) || v[0] < 0) return usage("wait MS");
        seq.Wait(static_cast<DWORD>(v[0]));
    } else if (Is(cmd, L"move")) {
        if (n != 3 || !numbers(2)) return usage("move X Y");
        seq.MoveTo(at(0));
    } else if (Is(cmd, L"click")) {
        if (!numbers(2) || !buttonAt(3, true)) return usage("click X Y [left|right|middle]");
        seq.Click(at(0), button);
    } else if (Is(cmd, L"dblclick")) {
        if (n != 3 || !numbers(2)) return usage("dblclick X Y");
        seq.DoubleClick(at(0));
    } else if (Is(cmd, L"drag")) {
        if (!numbers(4) || !buttonAt(5, false)) return usage("drag X1 Y1 X2 Y2 [left|right]");
        seq.Drag(at(0), at(2), button);
    } else if (Is(cmd, L"wheel")) {
        if (n != 4 || !numbers(3)) return usage("wheel X Y NOTCHES");
        seq.Wheel(at(0), static_cast<int>(v[2]));
    } else if (Is(cmd, L"key") || Is(cmd, L"keydown") || Is(cmd, L"keyup")) {
        long vk = 0;
        if (n != 2 || !Lookup(kKeys, w[1], vk) || vk <= 0 || vk > 0xFE) return usage("key|keydown|keyup NAME");
        const auto key = static_cast<WORD>(vk);
        if (Is(cmd, L"keydown"))
            seq.KeyDown(key);
        else if (Is(cmd, L"keyup"))
            seq.KeyUp(key);
        else
            seq.Key(key);
    } else {
        return false;
    }
    seq.Play(ch);
    return true;
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
    if (Is(cmd, L"refuseclose") || Is(cmd, L"promptclose")) {
        const bool refuse = Is(cmd, L"refuseclose");
        if (!need(3) || !(Is(w[2], L"on") || Is(w[2], L"off")))
            return usage(refuse ? "refuseclose REF on|off" : "promptclose REF on|off");
        HWND hwnd = Resolve(w[1], error);
        if (!hwnd) return error;
        const CloseBehaviour on = refuse ? CloseBehaviour::Refuse : CloseBehaviour::Prompt;
        ide_.SetCloseBehaviour(hwnd, Is(w[2], L"on") ? on : CloseBehaviour::Destroy);
        return {};
    }
    if (Is(cmd, L"addproject")) {
        if (n < 2 || n > 4) return usage("addproject \"name\" [\"document\" [\"file\"]]");
        Project& p = ide_.Model().AddProject(w[1].text);
        if (n >= 3) p.SetDocument(w[2].text, n == 4 ? w[3].text : std::wstring());
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
        Project* p = ide_.Model().VBProjects().FindByNameOrDocument(w[1].text);
        if (!p || !ide_.Model().RemoveProject(*p)) return "no project " + ToUtf8(w[1].text);
        return {};
    }
    if (Is(cmd, L"addcomponent")) {
        long type = 0;
        if ((n != 4 && n != 5) || !Lookup(kComponentTypes, w[3], type))
            return usage("addcomponent \"project\" \"name\" TYPE [\"file\"]");
        Project* p = ide_.Model().VBProjects().FindByNameOrDocument(w[1].text);
        if (!p) return "no project " + ToUtf8(w[1].text);
        p->AddComponent(w[2].text, type, n == 5 ? w[4].text : std::wstring());
        return {};
    }
    if (Is(cmd, L"removecomponent")) {
        if (!need(3)) return usage("removecomponent \"project\" \"name\"");
        Project* p = ide_.Model().VBProjects().FindByNameOrDocument(w[1].text);
        if (!p || !p->RemoveComponent(w[2].text)) return "no such component " + ToUtf8(w[2].text);
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
        if (!need(2) || !Lookup(kConnectModes, w[1], mode)) return usage("connect MODE");
        return addinCall("OnConnection", [&] { return addin_->Connect(mode); });
    }
    if (Is(cmd, L"startupcomplete")) return addinCall("OnStartupComplete", [&] { return addin_->StartupComplete(); });
    if (Is(cmd, L"beginshutdown")) return addinCall("OnBeginShutdown", [&] { return addin_->BeginShutdown(); });
    if (Is(cmd, L"addinsupdate")) return addinCall("OnAddInsUpdate", [&] { return addin_->AddInsUpdate(); });
    if (Is(cmd, L"disconnect")) {
        long mode = ext_dm_UserClosed;
        if (n > 2 || (n == 2 && !Lookup(kDisconnectModes, w[1], mode))) return usage("disconnect [MODE]");
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
