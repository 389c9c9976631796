// Points, vectors and rigid or affine maps in 3-D: the arithmetic of the drawing.
#pragma once

#include <array>
#include <cmath>

namespace orbelle::sim {

struct Vec3 {
  double x = 0, y = 0, z = 0;

  friend constexpr Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
  friend constexpr Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
  friend constexpr Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
  friend constexpr bool operator==(Vec3, Vec3) = default;
};

constexpr double dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
constexpr Vec3 cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a) {
  return std::sqrt(dot(a, a));
}
inline Vec3 normalized(Vec3 a) {
  const double l = length(a);
  return l == 0 ? a : (1 / l) * a;
}

// A 3x3 matrix, rows first.
struct Mat3 {
  std::array<std::array<double, 3>, 3> m{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

  Vec3 operator*(Vec3 v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
  }
  Mat3 operator*(const Mat3& o) const;
  static Mat3 columns(Vec3 a, Vec3 b, Vec3 c);
  static Mat3 scale(double sx, double sy, double sz);
  static Mat3 rotationZ(double radians);
  // Right-handed rotation about the unit vector `axis`.
  static Mat3 rotation(Vec3 axis, double radians);
};

// p -> m.p + t
struct Affine {
  Mat3 m;
  Vec3 t;

  Vec3 apply(Vec3 p) const { return m * p + t; }
  Vec3 applyVector(Vec3 v) const { return m * v; }
  Affine operator*(const Affine& inner) const { return {m * inner.m, m * inner.t + t}; }
  // Rotation by `radians` about the line through `from` towards `to`.
  static Affine rotationAbout(Vec3 from, Vec3 to, double radians);
};

// The object coordinate system of a plane with normal `normal`, by the arbitrary axis rule that
// CAD files use: its X axis, Y axis and the normal as columns.
Mat3 objectCoordinateSystem(Vec3 normal);

// An angle in [0, 2*pi).
double normalizedAngle(double radians);

}  // namespace orbelle::sim
