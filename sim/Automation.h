// The host's automation objects as portable C++: values by their meaning, and objects whose
// members are called by name. The Windows side only translates VARIANTs and IDispatch.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "sim/Drawing.h"
#include "sim/Error.h"
#include "sim/Wire.h"

namespace orbelle::sim {

class Session;
struct Dialect;

// A left-out optional argument.
struct Missing {
  friend bool operator==(const Missing&, const Missing&) = default;
};
// A dispatch object that is not one of the host's.
struct Foreign {
  friend bool operator==(const Foreign&, const Foreign&) = default;
};

// What calls carry, by meaning: a 64-bit integer is a window handle; a vector of doubles is a
// point.
using Value = std::variant<std::monostate, Missing, bool, std::int32_t, std::int64_t, double,
                           std::wstring, std::vector<double>, ObjectRef, Foreign>;

// One argument of a call; out parameters are written through `output`, and the session puts
// that in the connection's dialect in `reply`.
struct Argument {
  Argument(Value in = {}, bool out = false) : value(std::move(in)), isOut(out) {}  // NOLINT
  Value value;
  bool isOut = false;
  std::string encoding;  // how it came, for the log ("VT_I4"); empty when not over COM
  std::optional<Value> output;
  std::optional<WireValue> reply;
};

// The interfaces of the automation contract, besides IUnknown and IDispatch. Their IDs are
// spelled once, in the type library's IDL; the Windows side maps these to them.
enum class Interface { Application, Utility, State, Entity, Text };

// Invoke flags, the platform's values.
inline constexpr int kMethod = 1;
inline constexpr int kGet = 2;
inline constexpr int kPut = 4;
// The DISPID of a name the object does not know (DISPID_UNKNOWN).
inline constexpr int kUnknownDispid = -1;

// Statuses the objects answer with, the platform's values.
inline constexpr std::int32_t kMemberNotFound = static_cast<std::int32_t>(0x80020003);
inline constexpr std::int32_t kUnknownName = static_cast<std::int32_t>(0x80020006);
inline constexpr std::int32_t kTypeMismatch = static_cast<std::int32_t>(0x80020005);
inline constexpr std::int32_t kBadParamCount = static_cast<std::int32_t>(0x8002000E);
inline constexpr std::int32_t kParamNotOptional = static_cast<std::int32_t>(0x8002000F);
inline constexpr std::int32_t kInvalidArgument = static_cast<std::int32_t>(0x80070057);
inline constexpr std::int32_t kFailed = static_cast<std::int32_t>(0x80004005);
inline constexpr std::int32_t kAborted = static_cast<std::int32_t>(0x80004004);
inline constexpr std::int32_t kDispatchException = static_cast<std::int32_t>(0x80020009);

// A call that fails. An `exception` travels as DISP_E_EXCEPTION with `status` and the
// description in its exception information; otherwise `status` is the call's own result.
class AutomationError : public Error {
 public:
  AutomationError(std::int32_t status, std::wstring description, bool exception = true);
  std::int32_t status() const { return status_; }
  const std::wstring& description() const { return description_; }
  bool exception() const { return exception_; }

 private:
  std::int32_t status_;
  std::wstring description_;
  bool exception_;
};

class AutomationObject : public std::enable_shared_from_this<AutomationObject> {
 public:
  // Objects speak the dialect of the connection that made them.
  AutomationObject(Session& session, std::string kind, const Dialect& dialect);
  virtual ~AutomationObject();
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;

  const std::string& kind() const { return kind_; }
  int id() const { return id_; }
  const Dialect& dialect() const { return *dialect_; }
  // The interfaces the object answers besides IUnknown and IDispatch.
  virtual std::vector<Interface> interfaces() const = 0;
  // Member names; a member's DISPID is its index plus one.
  virtual const std::vector<std::wstring>& members() const = 0;
  // The entity it stands for, if it is one.
  virtual std::optional<Handle> handle() const { return std::nullopt; }
  // Calls a member (by its name as listed); throws AutomationError.
  virtual Value invoke(const std::wstring& member, int flags, std::vector<Argument>& arguments) = 0;

  // DISPID of a member, case-insensitively; 0 when there is none.
  int memberId(std::wstring_view name) const;

 protected:
  // A new object of the same connection.
  template <class T, class... Rest>
  ObjectRef child(Rest&&... rest) const {
    return std::make_shared<T>(session_, *dialect_, std::forward<Rest>(rest)...);
  }

  Session& session_;

 private:
  std::string kind_;
  const Dialect* dialect_;
  int id_;
};

// The application object that a client's creation gets.
ObjectRef makeApplication(Session& session, const Dialect& dialect);
// The automation object of a drawing entity.
ObjectRef makeEntity(Session& session, const Dialect& dialect, Handle handle);

}  // namespace orbelle::sim
