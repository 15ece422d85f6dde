#pragma once
// Text crosses into and out of the IDE's ANSI windows (and the registry) in
// the system's ANSI code page; inside, text is std::wstring.
#include <string>
#include <string_view>

namespace brisko {

std::string ToAnsi(std::wstring_view s);
std::wstring FromAnsi(std::string_view s);

}  // namespace brisko
