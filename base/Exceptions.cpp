#include "base/Exceptions.h"

#include "base/Utf8.h"

namespace orbelle::base {

std::wstring describeException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return utf8ToWide(e.what());
  } catch (...) {
    return L"An unknown error occurred.";
  }
}

}  // namespace orbelle::base
