// Paths read whole however long they are, and the name a program goes by.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace orbelle::ui {

// Reads a text of unknown length through `read`, which works as GetModuleFileNameW does: it
// writes at most `size` characters into the buffer and returns how many it wrote, `size` itself
// when the text did not fit (cut short), and 0 when it fails. The buffer grows until the whole
// text fits. Throws std::runtime_error when `read` fails or the text never fits.
std::wstring readWhole(const std::function<std::size_t(wchar_t* buffer, std::size_t size)>& read);

// The name a program goes by: the file name of its path, without folders and extension
// ("C:\Tools\orbelle.exe" -> "orbelle"). A name that is nothing but an extension stays whole.
std::wstring programNameOf(std::wstring_view path);

}  // namespace orbelle::ui
