// A theme: the colours the toolkit draws its windows and controls in.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "ui/Color.h"

namespace orbelle::ui {

struct Theme {
  std::wstring name;
  Color window;  // form background
  Color windowText;
  Color panel;
  Color bevelLight;
  Color bevelShadow;
  Color buttonFace;
  Color buttonHot;
  Color buttonPressed;
  Color buttonBorder;
  Color buttonText;
  Color tooltipBackground;
  Color tooltipText;
};

class ThemeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a theme file: UTF-8 text of "key = value" lines, blank lines and "#" comment lines;
// "name" is the theme's name, every other key a colour written #RRGGBB. Every key is required
// once. Throws ThemeError naming the line or the key at fault.
Theme parseTheme(std::string_view text);

}  // namespace orbelle::ui
