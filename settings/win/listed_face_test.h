#pragma once
// For the font picker tests: a face the font dialog lists. Wine lists neither
// its own fonts nor substituted names, so look for a common free face.
#include <windows.h>

#include <cwchar>
#include <string>

#include "common/win/gdi.h"

namespace brisko::test {

inline std::wstring ListedFace() {
    for (const wchar_t* face : {L"Liberation Sans", L"DejaVu Sans", L"Nimbus Sans"}) {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        std::wcscpy(lf.lfFaceName, face);
        bool found = false;
        ScreenDC screen;
        EnumFontFamiliesExW(
            screen.Get(), &lf,
            [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM p) -> int {
                *reinterpret_cast<bool*>(p) = true;
                return 0;
            },
            reinterpret_cast<LPARAM>(&found), 0);
        if (found) return face;
    }
    return L"";
}

}  // namespace brisko::test
