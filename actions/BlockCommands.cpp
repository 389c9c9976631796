#include "actions/BlockCommands.h"

#include <cstdio>

#include "actions/ExactValues.h"
#include "actions/NumberText.h"

namespace orbelle::actions {

PlaneRow planeRow(const std::wstring& makeType) {
  if (makeType == L"R")
    return {kQuarterPi, -kThirdPi, L"R"};
  if (makeType == L"L")
    return {-kQuarterPi, kThirdPi, L"L"};
  if (makeType == L"TL")
    return {kQuarterPi, 0.0, L"R"};
  return {-kQuarterPi, 0.0, L"L"};
}

std::wstring blockNamePrefix(const LocalTime& time) {
  wchar_t stamp[32];
  std::swprintf(stamp, std::size(stamp), L"ISO-%02d%02d%02d-%02d%02d%02d", time.year % 100,
                time.month, time.day, time.hour, time.minute, time.second);
  return stamp;
}

std::array<std::wstring, 4> blockCommands(const std::wstring& blockName, const std::wstring& point,
                                          const PlaneRow& row) {
  const std::wstring firstDegrees = generalNumberText(degreesFromRadians(row.firstRotation));
  const std::wstring secondDegrees = generalNumberText(degreesFromRadians(row.secondRotation));
  return {
      L"ROTATE\rP\r\r" + point + L"\r" + firstDegrees + L"\r",
      L"-NEWBLOCK\r" + blockName + L"\r" + point + L"\rP\r\r",
      L"-INSERT\r" + blockName + L"\r" + point + L"\r" + generalNumberText(kIsoScaleX) + L"\r" +
          generalNumberText(kIsoScaleY) + L"\r" + secondDegrees + L"\r",
      L"move\rL\r\r" + point + L"\r",
  };
}

}  // namespace orbelle::actions
