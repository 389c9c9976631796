// The host's automation objects as portable C++: values as the calls carry them, and objects
// whose members are called by name. The Windows side only translates VARIANTs and IDispatch.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/Guid.h"
#include "sim/Drawing.h"

namespace orbelle::sim {

class Session;
class AutomationObject;
using ObjectRef = std::shared_ptr<AutomationObject>;

struct Missing {};  // a left-out optional argument
struct Foreign {};  // a dispatch object that is not one of the host's

using Value = std::variant<std::monostate, Missing, bool, std::int32_t, double, std::wstring,
                           std::vector<double>, ObjectRef, Foreign>;

// One argument of a call; out parameters are written through `output`.
struct Argument {
  Argument(Value in = {}, bool out = false) : value(std::move(in)), isOut(out) {}  // NOLINT
  Value value;
  bool isOut = false;
  std::optional<Value> output;
};

// Invoke flags, the platform's values.
inline constexpr int kMethod = 1;
inline constexpr int kGet = 2;
inline constexpr int kPut = 4;

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
class AutomationError : public std::runtime_error {
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
  AutomationObject(Session& session, std::string kind);
  virtual ~AutomationObject();
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;

  const std::string& kind() const { return kind_; }
  int id() const { return id_; }
  // The interface IDs the object answers besides IUnknown and IDispatch.
  virtual std::vector<Guid> interfaces() const = 0;
  // Member names; a member's DISPID is its index plus one.
  virtual const std::vector<std::wstring>& members() const = 0;
  // The entity it stands for, if it is one.
  virtual std::optional<Handle> handle() const { return std::nullopt; }
  // Calls a member (by its name as listed); throws AutomationError.
  virtual Value invoke(const std::wstring& member, int flags, std::vector<Argument>& arguments) = 0;

  // DISPID of a member, case-insensitively; 0 when there is none.
  int memberId(std::wstring_view name) const;

 protected:
  Session& session_;

 private:
  std::string kind_;
  int id_;
};

// The application object that a client's creation gets.
ObjectRef makeApplication(Session& session);
// The automation object of a drawing entity.
ObjectRef makeEntity(Session& session, Handle handle);

}  // namespace orbelle::sim
