#include "sim/Geometry.h"

#include <numbers>

namespace orbelle::sim {

Mat3 Mat3::operator*(const Mat3& o) const {
  Mat3 r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
  }
  return r;
}

Mat3 Mat3::columns(Vec3 a, Vec3 b, Vec3 c) {
  Mat3 r;
  r.m = {{{a.x, b.x, c.x}, {a.y, b.y, c.y}, {a.z, b.z, c.z}}};
  return r;
}

Mat3 Mat3::scale(double sx, double sy, double sz) {
  Mat3 r;
  r.m = {{{sx, 0, 0}, {0, sy, 0}, {0, 0, sz}}};
  return r;
}

Mat3 Mat3::rotationZ(double radians) {
  const double c = std::cos(radians), s = std::sin(radians);
  Mat3 r;
  r.m = {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
  return r;
}

Mat3 Mat3::rotation(Vec3 u, double radians) {
  // Rodrigues' formula.
  const double c = std::cos(radians), s = std::sin(radians), k = 1 - c;
  Mat3 r;
  r.m = {{{c + u.x * u.x * k, u.x * u.y * k - u.z * s, u.x * u.z * k + u.y * s},
          {u.y * u.x * k + u.z * s, c + u.y * u.y * k, u.y * u.z * k - u.x * s},
          {u.z * u.x * k - u.y * s, u.z * u.y * k + u.x * s, c + u.z * u.z * k}}};
  return r;
}

Affine Affine::rotationAbout(Vec3 from, Vec3 to, double radians) {
  const Mat3 r = Mat3::rotation(normalized(to - from), radians);
  return {r, from - r * from};
}

Mat3 objectCoordinateSystem(Vec3 normal) {
  const Vec3 n = normalized(normal);
  constexpr double kLimit = 1.0 / 64;
  const Vec3 ax = std::abs(n.x) < kLimit && std::abs(n.y) < kLimit
                      ? normalized(cross({0, 1, 0}, n))
                      : normalized(cross({0, 0, 1}, n));
  return Mat3::columns(ax, normalized(cross(n, ax)), n);
}

double normalizedAngle(double radians) {
  constexpr double kTurn = 2 * std::numbers::pi;
  double a = std::fmod(radians, kTurn);
  if (a < 0)
    a += kTurn;
  return a >= kTurn ? 0 : a;
}

}  // namespace orbelle::sim
