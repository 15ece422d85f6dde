// What the add-in's tests and the demo rely on in the stand-in IDE: the
// object model counts every reference a client takes, the scenario's input
// is real input that lands where the script says, and its screenshots are
// the window as shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/win/dispatch.h"
#include "tools/idehost/scenario.h"

namespace brisko::idehost {
namespace {

TEST(IdeHostContract, ReferenceCountsRiseWhileHeldAndFallBackWhenReleased) {
    IdeHost ide(IdeHostOptions{.visible = false});
    ide.LoadSample();
    const auto before = ide.Model().RefCounts();
    const long live = DispatchObject::LiveObjects();
    {
        const auto project =
            DispGetObject(DispGetObject(&ide.Model(), L"VBProjects").Get(), L"Item", {Variant::Int(1)});
        const auto component =
            DispGetObject(DispGetObject(project.Get(), L"VBComponents").Get(), L"Item", {Variant::Int(1)});
        EXPECT_EQ(ide.Model().RefCounts().at(L"VBE.VBProjects(1)"), before.at(L"VBE.VBProjects(1)") + 1);
        EXPECT_GT(ide.Model().RefCounts().at(L"VBE.VBProjects(1).VBComponents(1)"),
                  before.at(L"VBE.VBProjects(1).VBComponents(1)"));
    }
    EXPECT_EQ(ide.Model().RefCounts(), before);
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

TEST_F(ScenarioInput, ClicksReachTheWindowUnderThePointer) {
    ASSERT_TRUE(scenario_.Run("open code \"Project1 - Module1 (x)\"\nmaximize #1\n").ok);
    const HWND code = scenario_.Opened().at(0);
    const HWND bar = ide_.VerticalScrollBar(code);
    RECT r{};
    GetWindowRect(bar, &r);
    const POINT down{(r.left + r.right) / 2, r.bottom - GetSystemMetrics(SM_CYVSCROLL) / 2};
    const POINT up{(r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYVSCROLL) / 2};
    const ScenarioResult res = scenario_.Run("click " + At(down) + "\nclick " + At(down) + "\nclick " + At(up) +
                                             "\nexpect scroll #1 vert 1 2\n");
    ASSERT_TRUE(res.ok) << res.line << ": " << res.message;
    EXPECT_EQ(ide_.ScrollCountFrom(code, reinterpret_cast<LPARAM>(bar)), 6);  // three presses, three ends
}

std::string ReadAndRemove(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    std::filesystem::remove(file);
    return bytes;
}

TEST_F(ScenarioInput, ScreenshotsAreTheMainWindowAsShown) {
    ASSERT_TRUE(scenario_.Run("open code \"A\"\n").ok);
    RECT main{}, mdi{}, client{};
    GetWindowRect(ide_.MainWindow(), &main);
    const auto bmpFile = std::filesystem::temp_directory_path() / "shot.bmp",
               pngFile = bmpFile.parent_path() / "shot.png";
    ASSERT_TRUE(scenario_.Run("screenshot \"" + bmpFile.string() + "\"\nscreenshot \"" + pngFile.string() + "\"\n").ok);
    const std::string bmp = ReadAndRemove(bmpFile);
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ASSERT_GT(bmp.size(), sizeof(fh) + sizeof(ih));
    memcpy(&fh, bmp.data(), sizeof(fh));
    memcpy(&ih, bmp.data() + sizeof(fh), sizeof(ih));
    ASSERT_TRUE(ih.biBitCount == 24 && ih.biWidth == main.right - main.left && ih.biHeight == main.bottom - main.top);
    auto pixel = [&](POINT screen) {
        const size_t stride = (static_cast<size_t>(ih.biWidth) * 3 + 3) & ~size_t{3};
        const size_t row = static_cast<size_t>(ih.biHeight - 1 - (screen.y - main.top));
        const auto* p = reinterpret_cast<const unsigned char*>(bmp.data()) + fh.bfOffBits + row * stride +
                        (screen.x - main.left) * 3;
        return RGB(p[2], p[1], p[0]);
    };
    const HWND code = scenario_.Opened().at(0);
    GetClientRect(code, &client);
    POINT inside{client.right - 40, client.bottom - 40};
    ClientToScreen(code, &inside);
    EXPECT_EQ(pixel(inside), GetSysColor(COLOR_WINDOW));
    GetWindowRect(ide_.MdiClient(), &mdi);
    EXPECT_EQ(pixel(POINT{mdi.right - 30, mdi.bottom - 30}), GetSysColor(COLOR_APPWORKSPACE));

    const std::string png = ReadAndRemove(pngFile);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(png.substr(16, 8),
              std::string({0, 0, static_cast<char>(ih.biWidth >> 8), static_cast<char>(ih.biWidth), 0, 0,
                           static_cast<char>(ih.biHeight >> 8), static_cast<char>(ih.biHeight)}));
}

}  // namespace
}  // namespace brisko::idehost
