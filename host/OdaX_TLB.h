// The drawing side of the host's object model: objects, entities, texts, the selection set and
// the host's state. Each interface is one C++ call per host operation; every call throws
// HostError when the host answers with a failure status. References are owned: dropping a
// HostRef releases the host object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/Guid.h"
#include "host/HostError.h"

namespace orbelle {

template <class T>
using HostRef = std::unique_ptr<T>;

// IAcadEntity
inline constexpr Guid IID_IAcadEntity{
    0xFFE64704, 0xCEBD, 0x4C88, {0xA8, 0x67, 0xE7, 0xC8, 0x21, 0xAF, 0xE4, 0x88}};
// IAcadText
inline constexpr Guid IID_IAcadText{
    0x9CD7E38D, 0x0003, 0x410D, {0xB6, 0xDF, 0xDE, 0x36, 0xFD, 0x19, 0x08, 0x50}};
// IAcadState: what the document's application link hands out as its state object.
inline constexpr Guid IID_IAcadState{
    0x28FC575E, 0x2B66, 0x4754, {0x82, 0xD9, 0x4A, 0xC7, 0x67, 0x1E, 0x44, 0x3A}};

// The same interfaces in releases 23.0 and 24.0.
inline constexpr Guid IID_IAcadEntity_23{
    0x5C0548E8, 0x75CD, 0x4F22, {0xAA, 0x54, 0x61, 0xBA, 0x3D, 0x8C, 0x7E, 0x8D}};
inline constexpr Guid IID_IAcadText_23{
    0x5750A4E3, 0xB3CE, 0x4A1C, {0xA2, 0x28, 0xEB, 0x0C, 0x12, 0xEE, 0xDC, 0x5E}};

class HostEntity;
class HostText;

// A dispatch object as the host returned it, not yet queried for a drawing interface.
class HostObject {
 public:
  virtual ~HostObject() = default;
  // QueryInterface for IAcadEntity / IAcadText; throws HostError when the object lacks it.
  virtual HostRef<HostEntity> queryEntity() = 0;
  virtual HostRef<HostText> queryText() = 0;
};

// A value the host handed over (a VARIANT): a point, or a picked object. Points are passed
// back to the host exactly as received, whatever they hold.
class HostValue {
 public:
  virtual ~HostValue() = default;
  // The empty variant: what a pick with nothing picked gives.
  virtual bool isEmpty() const = 0;
  // Element `index` of an array, converted to a double; throws HostError when the value is
  // not an array, the index is outside it, or the element is not a number.
  virtual double element(int index) const = 0;
  // The value as a dispatch object; throws HostError when it is none, or a null reference.
  virtual HostRef<HostObject> asObject() const = 0;
};

// IAcadEntity
class HostEntity : public HostObject {
 public:
  virtual std::wstring objectName() = 0;   // ObjectName
  virtual HostRef<HostObject> copy() = 0;  // Copy: the new object, now the drawing's last
  // Rotate3D(Point1, Point2, RotationAngle): the points as the host gave them, radians.
  virtual void rotate3D(const HostValue& point1, const HostValue& point2, double radians) = 0;
  virtual void update() = 0;  // Update
};

// IAcadText
class HostText : public HostEntity {
 public:
  virtual std::int32_t alignment() = 0;  // Alignment; 0 is left-aligned
  virtual double height() = 0;           // Height
  virtual void setHeight(double value) = 0;
  virtual double rotation() = 0;  // Rotation, radians
  virtual void setRotation(double radians) = 0;
  virtual void setScaleFactor(double value) = 0;  // ScaleFactor: the width factor
  virtual double obliqueAngle() = 0;              // ObliqueAngle, radians
  virtual void setObliqueAngle(double radians) = 0;
  virtual HostRef<HostValue> insertionPoint() = 0;      // InsertionPoint
  virtual HostRef<HostValue> textAlignmentPoint() = 0;  // TextAlignmentPoint
};

// ActiveSelectionSet
class HostSelection {
 public:
  virtual ~HostSelection() = default;
  virtual std::int32_t count() = 0;                          // Count
  virtual HostRef<HostEntity> item(std::int32_t index) = 0;  // Item(Index), as IAcadEntity
  virtual void clear() = 0;                                  // Clear
  virtual void selectOnScreen() = 0;  // SelectOnScreen with both filters left out
};

// IAcadState: IsQuiescent
class HostState {
 public:
  virtual ~HostState() = default;
  virtual bool isQuiescent() = 0;  // true once the host runs no command
};

// The document's Application: the way to the state object.
class HostStateLink {
 public:
  virtual ~HostStateLink() = default;
  virtual HostRef<HostState> getState() = 0;  // GetState, queried for IAcadState
};

}  // namespace orbelle
