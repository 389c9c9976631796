// Switches the process, C and C++ alike, to an installed locale whose decimal separator is a
// comma, for as long as it lives; restores the previous locales afterwards.
#pragma once

#include <string>

namespace orbelle::fake {

class CommaLocale {
 public:
  CommaLocale();
  ~CommaLocale();
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  bool active() const { return !name_.empty(); }
  const std::string& name() const { return name_; }

  // Why a test skips when no such locale is installed, and what to install.
  static const char* missingMessage();

 private:
  std::string name_;
  std::string previousC_;
};

}  // namespace orbelle::fake
