// The angles and factors the actions write, to the bit. Some are defined through x87 extended
// precision; they are derived here without `long double`, which MSVC makes a plain double.
#pragma once

namespace orbelle::actions {

// The isometric block's rotations, in radians: the doubles nearest pi/4 and pi/3.
inline constexpr double kQuarterPi = 0x1.921fb54442d18p-1;
inline constexpr double kThirdPi = 0x1.0c152382d7366p+0;

// The block insertion's scale factors, sqrt(3) / sqrt(2) and 1 / sqrt(2), each evaluated in
// extended precision and rounded to a double.
inline constexpr double kIsoScaleX = 0x1.3988e1409212ep+0;
inline constexpr double kIsoScaleY = 0x1.6a09e667f3bcdp-1;

// The text angles: 30 and 330 degrees as single-precision radians, widened to double.
inline constexpr double kText30Degrees = 0x1.0c1524p-1;  // 0.52359879016876220703125
inline constexpr double kText330Degrees = 0x1.709d1p+2;  // 5.759586334228515625

// 1 / c, c the extended cosine of kText30Degrees: the width factor of a scaled text copy.
inline constexpr double kTextWidthFactor = 0x1.279a7482bb751p+0;  // 1.154700548092894

// Radians times 180/pi held in extended precision, rounded to a double once.
double degreesFromRadians(double radians) noexcept;

// Degrees times pi/180 held in extended precision, rounded to a double once.
double radiansFromDegrees(double degrees) noexcept;

// A text height times c (above) in extended precision, rounded to a double once.
double scaledTextHeight(double height) noexcept;

}  // namespace orbelle::actions
