// Text between the platform's wide strings and UTF-8, for every layer.
#pragma once

#include <string>
#include <string_view>

namespace orbelle::base {

// UTF-8 to the platform's wide text (UTF-16 on Windows). Malformed bytes become U+FFFD.
std::wstring utf8ToWide(std::string_view text);
// The platform's wide text to UTF-8. Unpaired surrogates become U+FFFD.
std::string wideToUtf8(std::wstring_view text);
// Appends one code point as UTF-8; surrogates and values past U+10FFFF become U+FFFD.
void appendUtf8(std::string& out, char32_t code);

}  // namespace orbelle::base
