// Interface and class identifiers, portable. Same memory layout as the platform's GUID.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orbelle {

struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::array<std::uint8_t, 8> data4;

  friend constexpr bool operator==(const Guid&, const Guid&) = default;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case: the registry's spelling.
std::wstring toRegistryString(const Guid& guid);

}  // namespace orbelle
