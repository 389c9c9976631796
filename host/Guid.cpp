#include "host/Guid.h"

#include <cstdio>

namespace orbelle {

std::wstring toRegistryString(const Guid& g) {
  wchar_t text[40];
  std::swprintf(text, std::size(text), L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.data1), g.data2, g.data3, g.data4[0], g.data4[1],
                g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
  return text;
}

}  // namespace orbelle
