// The objects of the automation model and their members. Argument checks answer as IDispatch
// does (bad count, type mismatch); a refusal of the host itself travels as an exception with a
// description, as the real host's do.
#include <cmath>

#include "sim/Automation.h"
#include "sim/Encoding.h"
#include "sim/Session.h"

namespace orbelle::sim {

AutomationError::AutomationError(std::int32_t status, std::wstring description, bool exception)
    : Error("automation call failed"),
      status_(status),
      description_(std::move(description)),
      exception_(exception) {}

AutomationObject::AutomationObject(Session& session, std::string kind, const Dialect& dialect)
    : session_(session), kind_(std::move(kind)), dialect_(&dialect), id_(0) {
  id_ = session_.objectCreated(*this);
}

AutomationObject::~AutomationObject() {
  session_.objectReleased(*this);
}

int AutomationObject::memberId(std::wstring_view name) const {
  const std::wstring wanted = upperCase(name);
  const auto& names = members();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (upperCase(names[i]) == wanted)
      return static_cast<int>(i + 1);
  }
  return 0;
}

namespace {

// --- arguments -------------------------------------------------------------------------------

void expectCount(const std::vector<Argument>& arguments, std::size_t least, std::size_t most) {
  if (arguments.size() < least || arguments.size() > most)
    throw AutomationError(kBadParamCount, L"wrong number of arguments", false);
}

bool isMissing(const std::vector<Argument>& arguments, std::size_t index) {
  return index >= arguments.size() || std::holds_alternative<Missing>(arguments[index].value);
}

double numberOf(const Value& value) {
  if (const auto* d = std::get_if<double>(&value)) {
    if (!std::isfinite(*d))
      throw AutomationError(kInvalidArgument, L"the number is not finite");
    return *d;
  }
  if (const auto* i = std::get_if<std::int32_t>(&value))
    return *i;
  if (const auto* l = std::get_if<std::int64_t>(&value))
    return static_cast<double>(*l);
  throw AutomationError(kTypeMismatch, L"a number was expected", false);
}

std::int32_t integerOf(const Value& value) {
  if (const auto* i = std::get_if<std::int32_t>(&value))
    return *i;
  const double d = numberOf(value);
  if (d != std::floor(d) || std::abs(d) > 2147483647.0)
    throw AutomationError(kTypeMismatch, L"a whole number was expected", false);
  return static_cast<std::int32_t>(d);
}

Vec3 pointOf(const Value& value) {
  const auto* array = std::get_if<std::vector<double>>(&value);
  if (array == nullptr)
    throw AutomationError(kTypeMismatch, L"a point (an array of three doubles) was expected",
                          false);
  if (array->size() != 3)
    throw AutomationError(kInvalidArgument, L"a point has three coordinates");
  for (double d : *array) {
    if (!std::isfinite(d))
      throw AutomationError(kInvalidArgument, L"a point's coordinates must be finite");
  }
  return {(*array)[0], (*array)[1], (*array)[2]};
}

std::wstring textOf(const std::vector<Argument>& arguments, std::size_t index) {
  if (isMissing(arguments, index))
    return {};
  if (const auto* text = std::get_if<std::wstring>(&arguments[index].value))
    return *text;
  throw AutomationError(kTypeMismatch, L"a string was expected", false);
}

Value pointValue(Vec3 p) {
  return std::vector<double>{p.x, p.y, p.z};
}

bool wantsGet(int flags) {
  return (flags & (kGet | kMethod)) != 0;
}

[[noreturn]] void noSuchMember() {
  throw AutomationError(kMemberNotFound, L"the member cannot be called that way", false);
}

// --- objects ---------------------------------------------------------------------------------

class State final : public AutomationObject {
 public:
  State(Session& s, const Dialect& d) : AutomationObject(s, "State", d) {}
  std::vector<Interface> interfaces() const override { return {Interface::State}; }
  const std::vector<std::wstring>& members() const override {
    static const std::vector<std::wstring> names{L"IsQuiescent"};
    return names;
  }
  Value invoke(const std::wstring&, int flags, std::vector<Argument>& arguments) override {
    if (!wantsGet(flags))
      noSuchMember();
    expectCount(arguments, 0, 0);
    return session_.isQuiescent();
  }
};

class Document;

class Application final : public AutomationObject {
 public:
  Application(Session& s, const Dialect& d) : AutomationObject(s, "Application", d) {}
  std::vector<Interface> interfaces() const override { return {Interface::Application}; }
  const std::vector<std::wstring>& members() const override {
    static const std::vector<std::wstring> names{L"ActiveDocument", L"HWND", L"GetState", L"Name"};
    return names;
  }
  Value invoke(const std::wstring& member, int flags, std::vector<Argument>& arguments) override;
};

class SelectionSet final : public AutomationObject {
 public:
  SelectionSet(Session& s, const Dialect& d) : AutomationObject(s, "SelectionSet", d) {}
  std::vector<Interface> interfaces() const override { return {}; }
  const std::vector<std::wstring>& members() const override {
    static const std::vector<std::wstring> names{L"Count", L"Item", L"Clear", L"SelectOnScreen"};
    return names;
  }
  Value invoke(const std::wstring& member, int flags, std::vector<Argument>& arguments) override {
    if (!wantsGet(flags))
      noSuchMember();
    Drawing& drawing = session_.drawing();
    const std::vector<Handle> items = drawing.existing(drawing.activeSelection);
    if (member == L"Count") {
      expectCount(arguments, 0, 0);
      return static_cast<std::int32_t>(items.size());
    }
    if (member == L"Item") {
      expectCount(arguments, 1, 1);
      const std::int32_t index = integerOf(arguments[0].value);
      if (index < 0 || index >= static_cast<std::int32_t>(items.size()))
        throw AutomationError(kInvalidArgument, L"the index is outside the selection set");
      return makeEntity(session_, dialect(), items[static_cast<std::size_t>(index)]);
    }
    if (member == L"Clear") {
      expectCount(arguments, 0, 0);
      drawing.activeSelection.clear();
      session_.drawingChanged();
      return {};
    }
    // SelectOnScreen(FilterType, FilterData)
    expectCount(arguments, 0, 2);
    if (!isMissing(arguments, 0) || !isMissing(arguments, 1))
      throw AutomationError(kInvalidArgument, L"selection filters are not supported here");
    for (Handle h : session_.selectOnScreen(L"Select objects: ")) {
      if (std::find(drawing.activeSelection.begin(), drawing.activeSelection.end(), h) ==
          drawing.activeSelection.end()) {
        drawing.activeSelection.push_back(h);
      }
    }
    session_.drawingChanged();
    return {};
  }
};

class Utility final : public AutomationObject {
 public:
  Utility(Session& s, const Dialect& d) : AutomationObject(s, "Utility", d) {}
  std::vector<Interface> interfaces() const override { return {Interface::Utility}; }
  const std::vector<std::wstring>& members() const override {
    static const std::vector<std::wstring> names{L"Prompt", L"GetPoint", L"GetReal", L"GetEntity"};
    return names;
  }
  Value invoke(const std::wstring& member, int flags, std::vector<Argument>& arguments) override {
    if (!wantsGet(flags))
      noSuchMember();
    if (member == L"Prompt") {
      expectCount(arguments, 1, 1);
      session_.showPrompt(textOf(arguments, 0));
      return {};
    }
    if (member == L"GetPoint") {
      expectCount(arguments, 0, 2);
      std::optional<Vec3> base;
      if (!isMissing(arguments, 0))
        base = pointOf(arguments[0].value);
      return pointValue(session_.getPoint(base, textOf(arguments, 1)));
    }
    if (member == L"GetReal") {
      expectCount(arguments, 0, 1);
      return session_.getReal(textOf(arguments, 0));
    }
    // GetEntity(Object, PickedPoint, Prompt): the first two are out parameters.
    expectCount(arguments, 2, 3);
    if (!arguments[0].isOut || !arguments[1].isOut)
      throw AutomationError(kTypeMismatch, L"Object and PickedPoint are out parameters", false);
    const auto [entity, point] = session_.getEntity(textOf(arguments, 2));
    if (entity) {
      arguments[0].output = Value(makeEntity(session_, dialect(), *entity));
      arguments[1].output = pointValue(point);
    } else {
      arguments[0].output = Value();
      arguments[1].output = Value();
    }
    return {};
  }
};

class Document final : public AutomationObject {
 public:
  Document(Session& s, const Dialect& d) : AutomationObject(s, "Document", d) {}
  std::vector<Interface> interfaces() const override { return {}; }
  const std::vector<std::wstring>& members() const override {
    static const std::vector<std::wstring> names{L"ActiveSelectionSet", L"Utility", L"SendCommand",
                                                 L"Application", L"Name"};
    return names;
  }
  Value invoke(const std::wstring& member, int flags, std::vector<Argument>& arguments) override {
    if (!wantsGet(flags))
      noSuchMember();
    if (member == L"SendCommand") {
      expectCount(arguments, 1, 1);
      if (!std::holds_alternative<std::wstring>(arguments[0].value))
        throw AutomationError(kTypeMismatch, L"the command must be a string", false);
      session_.sendCommand(std::get<std::wstring>(arguments[0].value));
      return {};
    }
    expectCount(arguments, 0, 0);
    if (member == L"ActiveSelectionSet")
      return child<SelectionSet>();
    if (member == L"Utility")
      return child<Utility>();
    if (member == L"Application")
      return child<Application>();
    return std::wstring(L"Drawing1.dwg");
  }
};

Value Application::invoke(const std::wstring& member, int flags, std::vector<Argument>& arguments) {
  if (!wantsGet(flags))
    noSuchMember();
  expectCount(arguments, 0, 0);
  if (member == L"ActiveDocument")
    return child<Document>();
  if (member == L"HWND")
    return session_.windowHandle();  // a 64-bit integer: the dialect says how it is answered
  if (member == L"GetState")
    return child<State>();
  return std::wstring(L"nanoCAD");
}

class EntityObject final : public AutomationObject {
 public:
  EntityObject(Session& s, const Dialect& d, Handle handle, EntityType type)
      : AutomationObject(s, "Entity", d), handle_(handle), type_(type) {}

  std::optional<Handle> handle() const override { return handle_; }
  std::vector<Interface> interfaces() const override {
    if (type_ == EntityType::Text)
      return {Interface::Entity, Interface::Text};
    return {Interface::Entity};
  }
  const std::vector<std::wstring>& members() const override {
    static const std::vector<std::wstring> entity{L"ObjectName", L"Handle", L"Copy", L"Rotate3D",
                                                  L"Update"};
    static const std::vector<std::wstring> text{
        L"ObjectName",  L"Handle",       L"Copy",           L"Rotate3D",
        L"Update",      L"Alignment",    L"Height",         L"Rotation",
        L"ScaleFactor", L"ObliqueAngle", L"InsertionPoint", L"TextAlignmentPoint",
        L"TextString"};
    static const std::vector<std::wstring> mtext{L"ObjectName", L"Handle",         L"Copy",
                                                 L"Rotate3D",   L"Update",         L"Height",
                                                 L"Rotation",   L"InsertionPoint", L"TextString"};
    return type_ == EntityType::Text ? text : type_ == EntityType::MText ? mtext : entity;
  }

  Value invoke(const std::wstring& member, int flags, std::vector<Argument>& arguments) override {
    Entity& e = entity();
    if ((flags & kPut) != 0)
      return put(e, member, arguments);
    if (!wantsGet(flags))
      noSuchMember();
    if (member == L"Rotate3D") {
      expectCount(arguments, 3, 3);
      const Vec3 from = pointOf(arguments[0].value), to = pointOf(arguments[1].value);
      const double angle = numberOf(arguments[2].value);
      if (from == to)
        throw AutomationError(kInvalidArgument, L"the two axis points must differ");
      session_.drawing().rotate({handle_}, from, to, angle);
      session_.drawingChanged();
      return {};
    }
    expectCount(arguments, 0, 0);
    if (member == L"ObjectName")
      return std::wstring(objectName(e.type));
    if (member == L"Handle")
      return handleText(handle_);
    if (member == L"Copy") {
      const auto copy = session_.drawing().copy(handle_);
      session_.drawingChanged();
      return makeEntity(session_, dialect(), *copy);
    }
    if (member == L"Update") {
      session_.drawingChanged();
      return {};
    }
    if (member == L"Alignment")
      return e.alignment;
    if (member == L"Height")
      return e.height;
    if (member == L"Rotation")
      return e.rotation;
    if (member == L"ScaleFactor")
      return e.widthFactor;
    if (member == L"ObliqueAngle")
      return e.obliqueAngle;
    if (member == L"InsertionPoint")
      return pointValue(e.points.at(0));
    if (member == L"TextAlignmentPoint")
      return pointValue(e.points.size() > 1 ? e.points[1] : e.points.at(0));
    return e.text;  // TextString
  }

 private:
  Entity& entity() {
    Entity* e = session_.drawing().find(handle_);
    if (e == nullptr) {
      throw AutomationError(kFailed,
                            L"the object " + handleText(handle_) + L" is no longer in the drawing");
    }
    return *e;
  }

  Value put(Entity& e, const std::wstring& member, std::vector<Argument>& arguments) {
    expectCount(arguments, 1, 1);
    const Value& value = arguments[0].value;
    auto positive = [&](const wchar_t* what) {
      const double d = numberOf(value);
      if (!(d > 0))
        throw AutomationError(kInvalidArgument, std::wstring(what) + L" must be greater than 0");
      return d;
    };
    if (member == L"Height") {
      e.height = positive(L"Height");
    } else if (member == L"Rotation") {
      e.rotation = numberOf(value);
    } else if (member == L"ScaleFactor" && type_ == EntityType::Text) {
      e.widthFactor = positive(L"ScaleFactor");
    } else if (member == L"ObliqueAngle" && type_ == EntityType::Text) {
      e.obliqueAngle = numberOf(value);
    } else if (member == L"Alignment" && type_ == EntityType::Text) {
      e.alignment = integerOf(value);
    } else if (member == L"InsertionPoint") {
      e.points.at(0) = pointOf(value);
    } else if (member == L"TextAlignmentPoint" && type_ == EntityType::Text) {
      e.points.resize(2, e.points.at(0));
      e.points[1] = pointOf(value);
    } else if (member == L"TextString") {
      const auto* text = std::get_if<std::wstring>(&value);
      if (text == nullptr)
        throw AutomationError(kTypeMismatch, L"a string was expected", false);
      e.text = *text;
    } else {
      noSuchMember();
    }
    session_.drawingChanged();
    return {};
  }

  Handle handle_;
  EntityType type_;
};

}  // namespace

ObjectRef makeApplication(Session& session, const Dialect& dialect) {
  return std::make_shared<Application>(session, dialect);
}

ObjectRef makeEntity(Session& session, const Dialect& dialect, Handle handle) {
  const Entity* e = session.drawing().find(handle);
  return std::make_shared<EntityObject>(session, dialect, handle, e ? e->type : EntityType::Line);
}

}  // namespace orbelle::sim
