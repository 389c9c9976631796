#include "actions/ExactValues.h"

#include "actions/ExtendedProduct.h"

namespace orbelle::actions {

namespace {

// Each constant is the exact value rounded to 64 significant bits, the way the x87 holds it.
constexpr Extended kDegreesPerRadian{0xE52EE0D31E0FBDC3u, -58};  // 180/pi, 57.29577951308232...
constexpr Extended kRadiansPerDegree{0x8EFA351294E9C8AEu, -69};  // pi/180, 0.017453292519943295...
// cos(0.52359879016876220703125): 0.86602539649920688785..., not sqrt(3)/2.
constexpr Extended kTextHeightFactor{0xDDB3D7237832E30Fu, -64};

}  // namespace

double degreesFromRadians(double radians) noexcept {
  return multiplyRounded(radians, kDegreesPerRadian);
}

double radiansFromDegrees(double degrees) noexcept {
  return multiplyRounded(degrees, kRadiansPerDegree);
}

double scaledTextHeight(double height) noexcept {
  return multiplyRounded(height, kTextHeightFactor);
}

}  // namespace orbelle::actions
