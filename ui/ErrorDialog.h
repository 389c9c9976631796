// How the toolkit tells the user of an error: a message box on Windows, a recorder in tests.
#pragma once

#include <exception>
#include <string>

namespace orbelle::ui {

class ErrorDialog {
 public:
  virtual ~ErrorDialog() = default;
  virtual void showError(const std::wstring& text) = 0;
};

// The text to show for an exception that reached the toolkit (messages are UTF-8).
std::wstring describeException(std::exception_ptr error);

}  // namespace orbelle::ui
