#pragma once

#include <string>
#include <string_view>

namespace orbelle::ui {

// UTF-8 to the platform's wide text (UTF-16 on Windows). Malformed bytes become U+FFFD.
std::wstring utf8ToWide(std::string_view text);
// The platform's wide text to UTF-8. Unpaired surrogates become U+FFFD.
std::string wideToUtf8(std::wstring_view text);

}  // namespace orbelle::ui
