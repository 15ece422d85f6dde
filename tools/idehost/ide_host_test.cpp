// What the add-in's tests and the demo rely on in the stand-in IDE: the
// object model counts every reference a client takes, the scenario's input
// is real input that lands where the script says, and its screenshots are
// the window as shown.
#include "tools/idehost/ide_host.h"

#include <filesystem>
#include <fstream>

#include "tools/idehost/scenario.h"
#include "tools/idehost/test_util.h"

namespace brisko::idehost {
namespace {

using testing::Get;
using testing::Variant;

[[maybe_unused]] const auto* const kCom =
    ::testing::AddGlobalTestEnvironment(std::make_unique<testing::ComEnvironment>().release());

TEST(IdeHostContract, ReferenceCountsRiseWhileHeldAndFallBackWhenReleased) {
    IdeHost ide(IdeHostOptions{.visible = false});
    ide.LoadSample();
    IDispatch* root = &ide.Model();
    const auto before = ide.Model().RefCounts();
    const long live = DispatchObject::LiveObjects();
    {
        Variant projects = Get(root, L"VBProjects");
        Variant project = Get(projects.AsObject(), L"Item", {Variant::Long(1)});
        Variant comps = Get(project.AsObject(), L"VBComponents");
        Variant comp = Get(comps.AsObject(), L"Item", {Variant::Long(1)});
        EXPECT_EQ(ide.Model().RefCounts().at(L"VBE.VBProjects(1)"), before.at(L"VBE.VBProjects(1)") + 1);
        EXPECT_GT(ide.Model().RefCounts().at(L"VBE.VBProjects(1).VBComponents(1)"),
                  before.at(L"VBE.VBProjects(1).VBComponents(1)"));
        EXPECT_EQ(
            reinterpret_cast<HWND>(static_cast<LONG_PTR>(Get(Get(root, L"MainWindow").AsObject(), L"hWnd").AsLong())),
            ide.MainWindow());
    }
    auto after = ide.Model().RefCounts();
    for (const auto& [path, count] : before) EXPECT_EQ(after.at(path), count) << std::string(path.begin(), path.end());
    EXPECT_EQ(DispatchObject::LiveObjects(), live);
}

class ScenarioInput : public ::testing::Test {
protected:
    // Script coordinates of a screen point: MDI-client window coordinates.
    std::string At(POINT screen) const {
        RECT r{};
        GetWindowRect(ide_.MdiClient(), &r);
        return std::to_string(screen.x - r.left) + " " + std::to_string(screen.y - r.top);
    }
    IdeHost ide_;
    Scenario scenario_{ide_, nullptr};
};

TEST_F(ScenarioInput, ClicksWheelsAndKeysReachTheWindowUnderThePointer) {
    ASSERT_TRUE(scenario_.Run("open code \"Project1 - Module1 (x)\"\nmaximize #1\n").ok);
    HWND code = scenario_.Opened().at(0);
    HWND bar = ide_.VerticalScrollBar(code);
    RECT r{};
    GetWindowRect(bar, &r);
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);
    const POINT down{(r.left + r.right) / 2, r.bottom - arrow / 2};
    const POINT up{(r.left + r.right) / 2, r.top + arrow / 2};
    const ScenarioResult res = scenario_.Run("click " + At(down) + "\nclick " + At(down) + "\nclick " + At(up) +
                                             "\nexpect scroll #1 vert 1 2\n");
    ASSERT_TRUE(res.ok) << res.line << ": " << res.message;
    EXPECT_EQ(ide_.ScrollCount(code, WM_VSCROLL, SB_LINEDOWN), 2);
    EXPECT_EQ(ide_.ScrollCount(code, WM_VSCROLL, SB_LINEUP), 1);
    EXPECT_EQ(ide_.ScrollCountFrom(code, reinterpret_cast<LPARAM>(bar)), 6);  // three downs, three ends
    SetForegroundWindow(ide_.MainWindow());
    ide_.Activate(code);
    ASSERT_TRUE(scenario_.Run("keydown ctrl\n").ok);
    EXPECT_TRUE(GetKeyState(VK_CONTROL) & 0x8000);
    ASSERT_TRUE(scenario_.Run("keyup ctrl\n").ok);
    EXPECT_FALSE(GetKeyState(VK_CONTROL) & 0x8000);
    // A failing step stops the script and names its line.
    const ScenarioResult bad = scenario_.Run("activate #1\nfrobnicate\nquit\n");
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.line, 2);
}

std::string ReadAndRemove(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::filesystem::remove(file);
    return bytes;
}

uint32_t BigEndian(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}

TEST_F(ScenarioInput, ScreenshotsAreTheMainWindowAsShown) {
    ASSERT_TRUE(scenario_.Run("open code \"A\"\n").ok);
    HWND code = scenario_.Opened().at(0);
    RECT main{};
    GetWindowRect(ide_.MainWindow(), &main);
    const auto dir = std::filesystem::temp_directory_path();
    ASSERT_TRUE(scenario_
                    .Run("screenshot \"" + (dir / "idehost_shot.bmp").string() + "\"\nscreenshot \"" +
                         (dir / "idehost_shot.png").string() + "\"\n")
                    .ok);
    const std::string bmp = ReadAndRemove(dir / "idehost_shot.bmp");
    ASSERT_GT(bmp.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    BITMAPFILEHEADER fh;
    BITMAPINFOHEADER ih;
    memcpy(&fh, bmp.data(), sizeof(fh));
    memcpy(&ih, bmp.data() + sizeof(fh), sizeof(ih));
    EXPECT_EQ(fh.bfSize, bmp.size());
    EXPECT_EQ(ih.biBitCount, 24);
    EXPECT_EQ(ih.biWidth, main.right - main.left);
    EXPECT_EQ(ih.biHeight, main.bottom - main.top);
    const size_t stride = (static_cast<size_t>(ih.biWidth) * 3 + 3) & ~size_t{3};
    auto pixel = [&](POINT screen) {
        const size_t row = static_cast<size_t>(ih.biHeight - 1 - (screen.y - main.top));
        const auto* p = reinterpret_cast<const unsigned char*>(bmp.data()) + fh.bfOffBits + row * stride +
                        (screen.x - main.left) * 3;
        return RGB(p[2], p[1], p[0]);
    };
    RECT client{};
    GetClientRect(code, &client);
    POINT inside{client.right - 40, client.bottom - 40};
    ClientToScreen(code, &inside);
    EXPECT_EQ(pixel(inside), GetSysColor(COLOR_WINDOW));
    RECT mdi{};
    GetWindowRect(ide_.MdiClient(), &mdi);
    EXPECT_EQ(pixel(POINT{mdi.right - 30, mdi.bottom - 30}), GetSysColor(COLOR_APPWORKSPACE));

    const std::string png = ReadAndRemove(dir / "idehost_shot.png");
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(BigEndian(png, 16), static_cast<uint32_t>(main.right - main.left));
    EXPECT_EQ(BigEndian(png, 20), static_cast<uint32_t>(main.bottom - main.top));
}

}  // namespace
}  // namespace brisko::idehost
