// What an exception says, in the platform's wide text: for a message box, a debugger's line, or
// any other reader.
#pragma once

#include <exception>
#include <string>

namespace orbelle::base {

// The exception's message (messages are UTF-8), or a fixed text for one that carries none.
std::wstring describeException(std::exception_ptr error);

}  // namespace orbelle::base
