// How the toolkit tells the user of an error: a message box on Windows, a recorder in tests.
#pragma once

#include <string>

namespace orbelle::ui {

class ErrorDialog {
 public:
  virtual ~ErrorDialog() = default;
  virtual void showError(const std::wstring& text) = 0;
};

}  // namespace orbelle::ui
