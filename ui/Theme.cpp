#include "ui/Theme.h"

#include <array>
#include <optional>
#include <utility>

#include "base/Utf8.h"

namespace orbelle::ui {

namespace {

constexpr std::array<std::pair<std::string_view, Color Theme::*>, 12> kColorKeys = {{
    {"window", &Theme::window},
    {"window.text", &Theme::windowText},
    {"panel", &Theme::panel},
    {"bevel.light", &Theme::bevelLight},
    {"bevel.shadow", &Theme::bevelShadow},
    {"button.face", &Theme::buttonFace},
    {"button.hot", &Theme::buttonHot},
    {"button.pressed", &Theme::buttonPressed},
    {"button.border", &Theme::buttonBorder},
    {"button.text", &Theme::buttonText},
    {"tooltip.background", &Theme::tooltipBackground},
    {"tooltip.text", &Theme::tooltipText},
}};

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos)
    return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

std::optional<Color> parseColor(std::string_view text) {
  if (text.size() != 7 || text[0] != '#')
    return std::nullopt;
  std::array<std::uint8_t, 3> bytes{};
  for (std::size_t i = 0; i < 6; ++i) {
    const char c = text[1 + i];
    int digit = 0;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    bytes[i / 2] = static_cast<std::uint8_t>(bytes[i / 2] * 16 + digit);
  }
  return Color{bytes[0], bytes[1], bytes[2]};
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) about "literal" + std::string at -O3.
std::string quoted(std::string_view text) {
  std::string result(1, '"');
  result.append(text);
  result.push_back('"');
  return result;
}

[[noreturn]] void fail(int line, const std::string& what) {
  throw ThemeError("theme line " + std::to_string(line) + ": " + what);
}

}  // namespace

Theme parseTheme(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF")
    text.remove_prefix(3);
  Theme theme;
  bool haveName = false;
  std::array<bool, kColorKeys.size()> have{};
  int lineNumber = 0;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;
    if (line.empty() || line[0] == '#')
      continue;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
      fail(lineNumber, "expected \"key = value\"");
    const std::string_view key = trim(line.substr(0, equals));
    const std::string_view value = trim(line.substr(equals + 1));
    if (key == "name") {
      if (haveName)
        fail(lineNumber, "\"name\" is given twice");
      if (value.empty())
        fail(lineNumber, "the theme's name is empty");
      theme.name = base::utf8ToWide(value);
      haveName = true;
      continue;
    }
    std::size_t index = 0;
    while (index < kColorKeys.size() && kColorKeys[index].first != key)
      ++index;
    if (index == kColorKeys.size())
      fail(lineNumber, "unknown key " + quoted(key));
    if (have[index])
      fail(lineNumber, quoted(key) + " is given twice");
    const std::optional<Color> color = parseColor(value);
    if (!color)
      fail(lineNumber, quoted(value) + " is not a colour of the form #RRGGBB");
    theme.*kColorKeys[index].second = *color;
    have[index] = true;
  }
  if (!haveName)
    throw ThemeError("theme: the \"name\" line is missing");
  for (std::size_t i = 0; i < kColorKeys.size(); ++i) {
    if (!have[i])
      throw ThemeError("theme: the colour " + quoted(kColorKeys[i].first) + " is missing");
  }
  return theme;
}

}  // namespace orbelle::ui
