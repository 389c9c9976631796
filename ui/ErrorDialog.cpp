#include "ui/ErrorDialog.h"

#include "ui/Utf8.h"

namespace orbelle::ui {

std::wstring describeException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return utf8ToWide(e.what());
  } catch (...) {
    return L"An unknown error occurred.";
  }
}

}  // namespace orbelle::ui
