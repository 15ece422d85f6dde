#pragma once
// The control's font values as the standard font objects that form
// containers hand out (ambient font) and take (the Font property), and as
// the GDI fonts that windows show.
#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <optional>

#include "common/font.h"
#include "common/win/com_ptr.h"

namespace brisko {

// The font an object describes; none for a null or failing object.
std::optional<FontSpec> FontSpecOf(IUnknown* font);
// A new standard font object with these attributes.
ComPtr<IFontDisp> MakeFontObject(const FontSpec& font);
// The font a GDI font shows, sized at the screen's DPI; none for a null
// font or one that cannot be read.
std::optional<FontSpec> FontSpecOfGdiFont(HFONT font);

}  // namespace brisko
