#include "settings/win/pickers.h"

#include <commdlg.h>

#include <array>
#include <cstring>

#include "common/win/ansi.h"
#include "common/win/handles.h"

namespace brisko {

namespace {

// Movable, zero-initialised: the blocks the dialogs read their custom colours
// and logical font from.
constexpr UINT kBlockFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;

class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL h) : h_(h), p_(h ? GlobalLock(h) : nullptr) {}
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    ~GlobalLockGuard() {
        if (p_) GlobalUnlock(h_);
    }
    void* Get() const { return p_; }

private:
    HGLOBAL h_;
    void* p_;
};

// The face name in the 32-byte field: the name, a NUL, spaces after it. A
// longer name is cut so that the NUL always fits and no double-byte
// character is split.
void FillFaceName(char (&field)[LF_FACESIZE], const std::wstring& name) {
    const std::string ansi = ToAnsi(name);
    size_t keep = 0;
    while (keep < ansi.size()) {
        size_t step = IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(ansi[keep])) && keep + 1 < ansi.size() ? 2 : 1;
        if (keep + step > LF_FACESIZE - 1) break;
        keep += step;
    }
    std::memset(field, ' ', LF_FACESIZE);
    std::memcpy(field, ansi.data(), keep);
    field[keep] = '\0';
}

std::wstring ReadFaceName(const char (&field)[LF_FACESIZE]) {
    return StripNull(FromAnsi(std::string_view(field, strnlen(field, LF_FACESIZE))));
}

}  // namespace

bool ShowColorDialog(std::uint32_t& lColor, HWND hWndOwner) {
    UniqueGlobal block(GlobalAlloc(kBlockFlags, 16 * sizeof(COLORREF)));
    if (!block) return false;
    GlobalLockGuard custom(block.Get());
    if (!custom.Get()) return false;
    // The custom colours start white on every call; nothing is kept between calls.
    std::array<COLORREF, 16> white;
    white.fill(0x00FFFFFF);
    std::memcpy(custom.Get(), white.data(), sizeof(white));

    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = hWndOwner;
    cc.rgbResult = lColor;
    cc.lpCustColors = static_cast<COLORREF*>(custom.Get());
    cc.Flags = CC_RGBINIT;
    if (!ChooseColorA(&cc)) return false;
    lColor = cc.rgbResult;
    return true;
}

bool ShowFontDialog(HWND hWndOwner, DWORD lFlags, std::wstring& sName, std::int32_t& lSize, std::uint32_t& lColor,
                    std::int32_t& lWeight, std::uint8_t& bItalic, std::uint8_t& bStrikeOut, std::uint8_t& bUnderline,
                    std::int32_t& lCharset, std::int32_t lSizeMin, std::int32_t lSizeMax) {
    LOGFONTA lf{};
    FillFaceName(lf.lfFaceName, sName);
    // Positive: a cell height in pixels, which the dialog turns into points.
    lf.lfHeight = PointsToLogHeight(lSize);
    lf.lfWeight = lWeight;
    lf.lfItalic = bItalic;
    lf.lfUnderline = bUnderline;
    lf.lfStrikeOut = bStrikeOut;
    lf.lfCharSet = static_cast<BYTE>(lCharset);

    UniqueGlobal block(GlobalAlloc(kBlockFlags, sizeof(LOGFONTA)));
    if (!block) return false;
    BOOL ok;
    CHOOSEFONTA cf{};
    {
        GlobalLockGuard font(block.Get());
        if (!font.Get()) return false;
        std::memcpy(font.Get(), &lf, sizeof(lf));
        cf.lStructSize = sizeof(cf);
        cf.hwndOwner = hWndOwner;
        cf.lpLogFont = static_cast<LOGFONTA*>(font.Get());
        cf.Flags = lFlags | CF_INITTOLOGFONTSTRUCT;
        cf.rgbColors = lColor;
        cf.nSizeMin = lSizeMin;
        cf.nSizeMax = lSizeMax;
        ok = ChooseFontA(&cf);
        std::memcpy(&lf, font.Get(), sizeof(lf));
    }
    if (!ok) return false;

    sName = ReadFaceName(lf.lfFaceName);
    lSize = LogHeightToPoints(lf.lfHeight);
    lColor = cf.rgbColors;
    lWeight = lf.lfWeight;
    bItalic = lf.lfItalic;
    bStrikeOut = lf.lfStrikeOut;
    bUnderline = lf.lfUnderline;
    lCharset = lf.lfCharSet;
    return true;
}

bool EditFont(FontSpec& fnt, std::uint32_t& lColor, HWND hWndOwner, DWORD lFlags, std::int32_t lSizeMin,
              std::int32_t lSizeMax) {
    std::wstring name = fnt.name;
    std::int32_t size = ToInt32(static_cast<double>(fnt.sizeCy) / 10000.0).value_or(0);
    std::int32_t weight = fnt.weight;
    std::uint8_t italic = fnt.italic, strikeOut = fnt.strikethrough, underline = fnt.underline;
    std::int32_t charset = fnt.charset;
    if (!ShowFontDialog(hWndOwner, lFlags, name, size, lColor, weight, italic, strikeOut, underline, charset, lSizeMin,
                        lSizeMax))
        return false;
    fnt.name = std::move(name);
    fnt.SetSize(size);
    fnt.weight = static_cast<std::int16_t>(weight);
    fnt.italic = italic != 0;
    fnt.strikethrough = strikeOut != 0;
    fnt.underline = underline != 0;
    fnt.charset = static_cast<std::int16_t>(charset);
    return true;
}

}  // namespace brisko
