#include "spinedit/control/win/ole_font.h"

#include <cstdint>
#include <cstdlib>

#include "common/units.h"
#include "common/win/gdi.h"

namespace brisko {

std::optional<FontSpec> FontSpecOf(IUnknown* object) {
    if (!object) return std::nullopt;
    ComPtr<IFont> font;
    if (FAILED(object->QueryInterface(IID_IFont, reinterpret_cast<void**>(font.Put()))) || !font) return std::nullopt;
    FontSpec value;
    BSTR name = nullptr;
    if (FAILED(font->get_Name(&name)) || !name) return std::nullopt;
    value.name.assign(name, SysStringLen(name));
    SysFreeString(name);
    CY size{};
    if (SUCCEEDED(font->get_Size(&size)) && size.int64 > 0) value.sizeCy = size.int64;
    SHORT weight = 400, charset = value.charset;
    BOOL italic = FALSE, underline = FALSE, strike = FALSE;
    if (SUCCEEDED(font->get_Weight(&weight)) && weight > 0) value.weight = weight;
    if (SUCCEEDED(font->get_Charset(&charset))) value.charset = charset;
    if (SUCCEEDED(font->get_Italic(&italic))) value.italic = italic != FALSE;
    if (SUCCEEDED(font->get_Underline(&underline))) value.underline = underline != FALSE;
    if (SUCCEEDED(font->get_Strikethrough(&strike))) value.strikethrough = strike != FALSE;
    return value;
}

ComPtr<IFontDisp> MakeFontObject(const FontSpec& font) {
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = const_cast<LPOLESTR>(font.name.c_str());
    desc.cySize.int64 = font.sizeCy;
    desc.sWeight = font.weight;
    desc.sCharset = font.charset;
    desc.fItalic = font.italic;
    desc.fUnderline = font.underline;
    desc.fStrikethrough = font.strikethrough;
    ComPtr<IFontDisp> out;
    if (FAILED(OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(out.Put())))) out.Reset();
    return out;
}

std::optional<FontSpec> FontSpecOfGdiFont(HFONT font) {
    LOGFONTW lf{};
    if (!font || !GetObjectW(font, sizeof lf, &lf)) return std::nullopt;
    FontSpec value;
    value.name = lf.lfFaceName;
    value.SetSize(std::abs(lf.lfHeight) * static_cast<double>(kPointsPerInch) / ScreenDpi());
    value.weight = static_cast<std::int16_t>(lf.lfWeight ? lf.lfWeight : 400);
    value.italic = lf.lfItalic != 0;
    value.underline = lf.lfUnderline != 0;
    value.strikethrough = lf.lfStrikeOut != 0;
    value.charset = lf.lfCharSet;
    return value;
}

}  // namespace brisko
