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
HostRef<HostValue> valueOf(const Variant& received, std::wstring_view member) {
  return std::make_unique<ComValue>(Variant::dereferenced(received.get()), std::wstring(member));
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

// What every dispatch object of the drawing answers: queries for the drawing interfaces.
template <class Interface>
class ComObjectBase : public Interface {
 public:
  explicit ComObjectBase(ComRef<IDispatch> object) : object_(std::move(object)) {}
  HostRef<HostEntity> queryEntity() override;
  HostRef<HostText> queryText() override;

 protected:
  LateBound& object() { return object_; }

 private:
  LateBound object_;
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

  std::wstring objectName() override {
    return readText(answerOf(object().call(L"ObjectName").get()), L"ObjectName");
  }
  HostRef<HostObject> copy() override {
    return std::make_unique<ComObject>(objectMember(object(), L"Copy"));
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
    return valueOf(object().call(L"InsertionPoint"), L"InsertionPoint");
  }
  HostRef<HostValue> textAlignmentPoint() override {
    return valueOf(object().call(L"TextAlignmentPoint"), L"TextAlignmentPoint");
  }
};

template <class Interface>
HostRef<HostEntity> ComObjectBase<Interface>::queryEntity() {
  return std::make_unique<ComEntity>(
      queried(object_.object(), IID_IAcadEntity, L"QueryInterface(IAcadEntity)"));
}

template <class Interface>
HostRef<HostText> ComObjectBase<Interface>::queryText() {
  return std::make_unique<ComText>(
      queried(object_.object(), IID_IAcadText, L"QueryInterface(IAcadText)"));
}

class ComSelection final : public HostSelection {
 public:
  explicit ComSelection(ComRef<IDispatch> selection) : selection_(std::move(selection)) {}

  std::int32_t count() override { return wholeNumberMember(selection_, L"Count"); }
  HostRef<HostEntity> item(std::int32_t index) override {
    const Variant position(index);
    const ComRef<IDispatch> item =
        dispatchOf(selection_.call(L"Item", inArgument(position)).get(), L"Item");
    return std::make_unique<ComEntity>(
        queried(item, IID_IAcadEntity, L"QueryInterface(IAcadEntity)"));
  }
  void clear() override { selection_.call(L"Clear"); }
  void selectOnScreen() override {
    const Variant filterType = Variant::missing();
    const Variant filterData = Variant::missing();
    selection_.call(L"SelectOnScreen", inArgument(filterType), inArgument(filterData));
  }

 private:
  LateBound selection_;
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
  explicit ComStateLink(ComRef<IDispatch> link) : link_(std::move(link)) {}
  HostRef<HostState> getState() override {
    return std::make_unique<ComState>(
        queried(objectMember(link_, L"GetState"), IID_IAcadState, L"QueryInterface(IAcadState)"));
  }

 private:
  LateBound link_;
};

class ComInput final : public HostInput {
 public:
  explicit ComInput(ComRef<IDispatch> utility) : utility_(std::move(utility)) {}

  void prompt(const std::wstring& message) override {
    const Variant text(message);
    utility_.call(L"Prompt", inArgument(text));
  }
  HostRef<HostValue> getPoint(const HostValue* basePoint, const std::wstring& prompt) override {
    const Variant missing = Variant::missing();
    const Variant text(prompt);
    const Variant& base = basePoint != nullptr ? hostPoint(*basePoint, L"GetPoint") : missing;
    return valueOf(utility_.call(L"GetPoint", inArgument(base), inArgument(text)), L"GetPoint");
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
    return {valueOf(Variant::received(std::move(object)), L"GetEntity"),
            valueOf(Variant::received(std::move(point)), L"GetEntity")};
  }

 private:
  LateBound utility_;
};

class ComDocument final : public HostDocument {
 public:
  explicit ComDocument(ComRef<IDispatch> document) : document_(std::move(document)) {}

  HostRef<HostSelection> selectionSet() override {
    return std::make_unique<ComSelection>(objectMember(document_, L"ActiveSelectionSet"));
  }
  HostRef<HostInput> utility() override {
    return std::make_unique<ComInput>(queried(objectMember(document_, L"Utility"),
                                              IID_InanoCADUtility,
                                              L"QueryInterface(InanoCADUtility)"));
  }
  void sendCommand(const std::wstring& text) override {
    const Variant command(text);
    document_.call(L"SendCommand", inArgument(command));
  }
  HostRef<HostStateLink> application() override {
    return std::make_unique<ComStateLink>(objectMember(document_, L"Application"));
  }

 private:
  LateBound document_;
};

class ComApplication final : public HostApplication {
 public:
  explicit ComApplication(ComRef<IDispatch> application) : application_(std::move(application)) {}

  HostRef<HostDocument> activeDocument() override {
    return std::make_unique<ComDocument>(objectMember(application_, L"ActiveDocument"));
  }
  // Any 32- or 64-bit integer, signed or not; only the low 32 bits are a window handle.
  std::uint32_t mainWindowHandle() override {
    return readWindowHandle(answerOf(application_.call(L"HWND").get()), L"HWND");
  }

 private:
  LateBound application_;
};

}  // namespace

bool ComValue::isEmpty() const {
  return answerOf(value_.get()).kind == Answer::Kind::Empty;
}

double ComValue::element(int index) const {
  return readCoordinate(answerOf(value_.get()), index, member_);
}

HostRef<HostObject> ComValue::asObject() const {
  return std::make_unique<ComObject>(dispatchOf(value_.get(), member_));
}

HostRef<HostApplication> wrapApplication(ComRef<IDispatch> application) {
  return std::make_unique<ComApplication>(std::move(application));
}

}  // namespace orbelle::win32
