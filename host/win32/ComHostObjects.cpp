#include "host/win32/ComHostObjects.h"

#include <memory>
#include <utility>

#include "host/Answer.h"
#include "host/win32/ComStatus.h"
#include "host/win32/Dispatch.h"
#include "host/win32/VariantReading.h"

namespace orbelle::win32 {

namespace {

// Each reading names its member, so that a failure says which answer could not be read.
ComRef<IDispatch> objectMember(LateBound& object, std::wstring_view member) {
  return dispatchOf(object.call(member).get(), member);
}

double numberMember(LateBound& object, std::wstring_view member) {
  return readNumber(answerOf(object.call(member).get()), member);
}

std::int32_t wholeNumberMember(LateBound& object, std::wstring_view member) {
  return readWholeNumber(answerOf(object.call(member).get()), member);
}

// Kept as received. Answers by reference arrive already taken as their values (the call helper
// and GetEntity free what the proxy allocated); a reference left in one is copied out here.
HostRef<HostValue> valueOf(const Variant& received, std::wstring_view member,
                           const HostRelease& release) {
  return std::make_unique<ComValue>(Variant::dereferenced(received.get()), std::wstring(member),
                                    release);
}

// Points go back exactly as the host gave them.
const Variant& hostPoint(const HostValue& value, std::wstring_view member) {
  const auto* point = dynamic_cast<const ComValue*>(&value);
  if (point == nullptr)
    throwStatus(E_INVALIDARG, member, L"a point that did not come from the host");
  return point->variant();
}

ComRef<IDispatch> queried(const ComRef<IDispatch>& object, const Guid& iid,
                          std::wstring_view what) {
  return object.require<IDispatch>(toGuid(iid), what);
}

class ComEntity;
class ComText;

// What every dispatch object of the drawing answers: queries for the drawing interfaces of the
// release it came from.
template <class Interface>
class ComObjectBase : public Interface {
 public:
  ComObjectBase(ComRef<IDispatch> object, const HostRelease& release)
      : object_(std::move(object)), release_(release) {}
  HostRef<HostEntity> queryEntity() override;
  HostRef<HostText> queryText() override;

 protected:
  LateBound& object() { return object_; }
  const HostRelease& release() const { return release_; }

 private:
  LateBound object_;
  const HostRelease& release_;
};

class ComObject final : public ComObjectBase<HostObject> {
 public:
  using ComObjectBase::ComObjectBase;
};

template <class Interface>
class ComEntityBase : public ComObjectBase<Interface> {
 public:
  using ComObjectBase<Interface>::ComObjectBase;
  using ComObjectBase<Interface>::object;
  using ComObjectBase<Interface>::release;

  std::wstring objectName() override {
    return readText(answerOf(object().call(L"ObjectName").get()), L"ObjectName");
  }
  HostRef<HostObject> copy() override {
    return std::make_unique<ComObject>(objectMember(object(), L"Copy"), release());
  }
  void rotate3D(const HostValue& point1, const HostValue& point2, double radians) override {
    const Variant angle(radians);
    object().call(L"Rotate3D", inArgument(hostPoint(point1, L"Rotate3D")),
                  inArgument(hostPoint(point2, L"Rotate3D")), inArgument(angle));
  }
  void update() override { object().call(L"Update"); }
};

class ComEntity final : public ComEntityBase<HostEntity> {
 public:
  using ComEntityBase::ComEntityBase;
};

class ComText final : public ComEntityBase<HostText> {
 public:
  using ComEntityBase::ComEntityBase;

  std::int32_t alignment() override { return wholeNumberMember(object(), L"Alignment"); }
  double height() override { return numberMember(object(), L"Height"); }
  void setHeight(double value) override { object().put(L"Height", Variant(value)); }
  double rotation() override { return numberMember(object(), L"Rotation"); }
  void setRotation(double radians) override { object().put(L"Rotation", Variant(radians)); }
  void setScaleFactor(double value) override { object().put(L"ScaleFactor", Variant(value)); }
  double obliqueAngle() override { return numberMember(object(), L"ObliqueAngle"); }
  void setObliqueAngle(double radians) override { object().put(L"ObliqueAngle", Variant(radians)); }
  HostRef<HostValue> insertionPoint() override {
    return valueOf(object().call(L"InsertionPoint"), L"InsertionPoint", release());
  }
  HostRef<HostValue> textAlignmentPoint() override {
    return valueOf(object().call(L"TextAlignmentPoint"), L"TextAlignmentPoint", release());
  }
};

template <class Interface>
HostRef<HostEntity> ComObjectBase<Interface>::queryEntity() {
  return std::make_unique<ComEntity>(
      queried(object_.object(), release_.entity, L"QueryInterface(IAcadEntity)"), release_);
}

template <class Interface>
HostRef<HostText> ComObjectBase<Interface>::queryText() {
  return std::make_unique<ComText>(
      queried(object_.object(), release_.text, L"QueryInterface(IAcadText)"), release_);
}

class ComSelection final : public HostSelection {
 public:
  ComSelection(ComRef<IDispatch> selection, const HostRelease& release)
      : selection_(std::move(selection)), release_(release) {}

  std::int32_t count() override { return wholeNumberMember(selection_, L"Count"); }
  HostRef<HostEntity> item(std::int32_t index) override {
    const Variant position(index);
    const ComRef<IDispatch> item =
        dispatchOf(selection_.call(L"Item", inArgument(position)).get(), L"Item");
    return std::make_unique<ComEntity>(
        queried(item, release_.entity, L"QueryInterface(IAcadEntity)"), release_);
  }
  void clear() override { selection_.call(L"Clear"); }
  void selectOnScreen() override {
    const Variant filterType = Variant::missing();
    const Variant filterData = Variant::missing();
    selection_.call(L"SelectOnScreen", inArgument(filterType), inArgument(filterData));
  }

 private:
  LateBound selection_;
  const HostRelease& release_;
};

class ComState final : public HostState {
 public:
  explicit ComState(ComRef<IDispatch> state) : state_(std::move(state)) {}
  bool isQuiescent() override {
    return readFlag(answerOf(state_.call(L"IsQuiescent").get()), L"IsQuiescent");
  }

 private:
  LateBound state_;
};

class ComStateLink final : public HostStateLink {
 public:
  ComStateLink(ComRef<IDispatch> link, const HostRelease& release)
      : link_(std::move(link)), release_(release) {}
  HostRef<HostState> getState() override {
    return std::make_unique<ComState>(
        queried(objectMember(link_, L"GetState"), release_.state, L"QueryInterface(IAcadState)"));
  }

 private:
  LateBound link_;
  const HostRelease& release_;
};

class ComInput final : public HostInput {
 public:
  ComInput(ComRef<IDispatch> utility, const HostRelease& release)
      : utility_(std::move(utility)), release_(release) {}

  void prompt(const std::wstring& message) override {
    const Variant text(message);
    utility_.call(L"Prompt", inArgument(text));
  }
  HostRef<HostValue> getPoint(const HostValue* basePoint, const std::wstring& prompt) override {
    const Variant missing = Variant::missing();
    const Variant text(prompt);
    const Variant& base = basePoint != nullptr ? hostPoint(*basePoint, L"GetPoint") : missing;
    return valueOf(utility_.call(L"GetPoint", inArgument(base), inArgument(text)), L"GetPoint",
                   release_);
  }
  double getReal(const std::wstring& prompt) override {
    const Variant text(prompt);
    return readNumber(answerOf(utility_.call(L"GetReal", inArgument(text)).get()), L"GetReal");
  }
  PickedEntity getEntity(const std::wstring& prompt) override {
    Variant object;
    Variant point;
    const Variant text(prompt);
    utility_.call(L"GetEntity", outArgument(object), outArgument(point), inArgument(text));
    return {valueOf(Variant::received(std::move(object)), L"GetEntity", release_),
            valueOf(Variant::received(std::move(point)), L"GetEntity", release_)};
  }

 private:
  LateBound utility_;
  const HostRelease& release_;
};

class ComDocument final : public HostDocument {
 public:
  ComDocument(ComRef<IDispatch> document, const HostRelease& release)
      : document_(std::move(document)), release_(release) {}

  HostRef<HostSelection> selectionSet() override {
    return std::make_unique<ComSelection>(objectMember(document_, L"ActiveSelectionSet"), release_);
  }
  HostRef<HostInput> utility() override {
    return std::make_unique<ComInput>(queried(objectMember(document_, L"Utility"), release_.utility,
                                              L"QueryInterface(InanoCADUtility)"),
                                      release_);
  }
  void sendCommand(const std::wstring& text) override {
    const Variant command(text);
    document_.call(L"SendCommand", inArgument(command));
  }
  HostRef<HostStateLink> application() override {
    return std::make_unique<ComStateLink>(objectMember(document_, L"Application"), release_);
  }

 private:
  LateBound document_;
  const HostRelease& release_;
};

class ComApplication final : public HostApplication {
 public:
  ComApplication(ComRef<IDispatch> application, const HostRelease& release)
      : application_(std::move(application)), release_(release) {}

  HostRef<HostDocument> activeDocument() override {
    return std::make_unique<ComDocument>(objectMember(application_, L"ActiveDocument"), release_);
  }
  // Any 32- or 64-bit integer, signed or not; only the low 32 bits are a window handle.
  std::uint32_t mainWindowHandle() override {
    return readWindowHandle(answerOf(application_.call(L"HWND").get()), L"HWND");
  }

 private:
  LateBound application_;
  const HostRelease& release_;
};

}  // namespace

bool ComValue::isEmpty() const {
  return answerOf(value_.get()).kind == Answer::Kind::Empty;
}

double ComValue::element(int index) const {
  return readCoordinate(answerOf(value_.get()), index, member_);
}

HostRef<HostObject> ComValue::asObject() const {
  return std::make_unique<ComObject>(dispatchOf(value_.get(), member_), release_);
}

HostRef<HostApplication> wrapApplication(ComRef<IDispatch> application,
                                         const HostRelease& release) {
  return std::make_unique<ComApplication>(std::move(application), release);
}

}  // namespace orbelle::win32
