#include "common/win/ansi.h"

#include <windows.h>

#include "common/text_convert.h"

namespace brisko {

std::string ToAnsi(std::wstring_view s) {
    return NarrowText(s, [](const wchar_t* in, int n, char* out, int capacity) {
        return WideCharToMultiByte(CP_ACP, 0, in, n, out, capacity, nullptr, nullptr);
    });
}

std::wstring FromAnsi(std::string_view s) {
    return WidenText(s, [](const char* in, int n, wchar_t* out, int capacity) {
        return MultiByteToWideChar(CP_ACP, 0, in, n, out, capacity);
    });
}

}  // namespace brisko
