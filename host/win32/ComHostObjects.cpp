#include "host/win32/ComHostObjects.h"

#include <memory>
#include <utility>

#include "host/win32/ComStatus.h"
#include "host/win32/Dispatch.h"

namespace orbelle::win32 {

namespace {

ComRef<IDispatch> queried(const ComRef<IDispatch>& object, const Guid& iid, const char* what) {
  HRESULT status = S_OK;
  ComRef<IDispatch> result = object.query<IDispatch>(toGuid(iid), &status);
  throwIfFailed(status, what);
  return result;
}

// Points go back exactly as the host gave them.
const Variant& hostPoint(const HostValue& value) {
  const auto* point = dynamic_cast<const ComValue*>(&value);
  if (point == nullptr)
    throwStatus(E_INVALIDARG, "a point that did not come from the host");
  return point->variant();
}

HostRef<HostValue> valueOf(Variant value) {
  return std::make_unique<ComValue>(std::move(value));
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
  IDispatch* object() const { return object_.get(); }
  const ComRef<IDispatch>& reference() const { return object_; }

 private:
  ComRef<IDispatch> object_;
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

  std::wstring objectName() override { return callByName(object(), L"ObjectName").toString(); }
  HostRef<HostObject> copy() override {
    return std::make_unique<ComObject>(callByName(object(), L"Copy").toDispatch());
  }
  void rotate3D(const HostValue& point1, const HostValue& point2, double radians) override {
    const Variant angle(radians);
    callByName(object(), L"Rotate3D", inArgument(hostPoint(point1)), inArgument(hostPoint(point2)),
               inArgument(angle));
  }
  void update() override { callByName(object(), L"Update"); }
};

class ComEntity final : public ComEntityBase<HostEntity> {
 public:
  using ComEntityBase::ComEntityBase;
};

class ComText final : public ComEntityBase<HostText> {
 public:
  using ComEntityBase::ComEntityBase;

  std::int32_t alignment() override { return callByName(object(), L"Alignment").toInt32(); }
  double height() override { return callByName(object(), L"Height").toDouble(); }
  void setHeight(double value) override { putByName(object(), L"Height", Variant(value)); }
  double rotation() override { return callByName(object(), L"Rotation").toDouble(); }
  void setRotation(double radians) override { putByName(object(), L"Rotation", Variant(radians)); }
  void setScaleFactor(double value) override {
    putByName(object(), L"ScaleFactor", Variant(value));
  }
  double obliqueAngle() override { return callByName(object(), L"ObliqueAngle").toDouble(); }
  void setObliqueAngle(double radians) override {
    putByName(object(), L"ObliqueAngle", Variant(radians));
  }
  HostRef<HostValue> insertionPoint() override {
    return valueOf(callByName(object(), L"InsertionPoint"));
  }
  HostRef<HostValue> textAlignmentPoint() override {
    return valueOf(callByName(object(), L"TextAlignmentPoint"));
  }
};

template <class Interface>
HostRef<HostEntity> ComObjectBase<Interface>::queryEntity() {
  return std::make_unique<ComEntity>(
      queried(object_, IID_IAcadEntity, "QueryInterface(IAcadEntity)"));
}

template <class Interface>
HostRef<HostText> ComObjectBase<Interface>::queryText() {
  return std::make_unique<ComText>(queried(object_, IID_IAcadText, "QueryInterface(IAcadText)"));
}

class ComSelection final : public HostSelection {
 public:
  explicit ComSelection(ComRef<IDispatch> selection) : selection_(std::move(selection)) {}

  std::int32_t count() override { return callByName(selection_.get(), L"Count").toInt32(); }
  HostRef<HostEntity> item(std::int32_t index) override {
    const Variant position(index);
    const ComRef<IDispatch> item =
        callByName(selection_.get(), L"Item", inArgument(position)).toDispatch();
    return std::make_unique<ComEntity>(
        queried(item, IID_IAcadEntity, "QueryInterface(IAcadEntity)"));
  }
  void clear() override { callByName(selection_.get(), L"Clear"); }
  void selectOnScreen() override {
    const Variant filterType = Variant::missing();
    const Variant filterData = Variant::missing();
    callByName(selection_.get(), L"SelectOnScreen", inArgument(filterType), inArgument(filterData));
  }

 private:
  ComRef<IDispatch> selection_;
};

class ComState final : public HostState {
 public:
  explicit ComState(ComRef<IDispatch> state) : state_(std::move(state)) {}
  bool isQuiescent() override { return callByName(state_.get(), L"IsQuiescent").toBool(); }

 private:
  ComRef<IDispatch> state_;
};

class ComStateLink final : public HostStateLink {
 public:
  explicit ComStateLink(ComRef<IDispatch> link) : link_(std::move(link)) {}
  HostRef<HostState> getState() override {
    const ComRef<IDispatch> state = callByName(link_.get(), L"GetState").toDispatch();
    return std::make_unique<ComState>(queried(state, IID_IAcadState, "QueryInterface(IAcadState)"));
  }

 private:
  ComRef<IDispatch> link_;
};

class ComInput final : public HostInput {
 public:
  explicit ComInput(ComRef<IDispatch> utility) : utility_(std::move(utility)) {}

  void prompt(const std::wstring& message) override {
    const Variant text(message);
    callByName(utility_.get(), L"Prompt", inArgument(text));
  }
  HostRef<HostValue> getPoint(const HostValue* basePoint, const std::wstring& prompt) override {
    const Variant missing = Variant::missing();
    const Variant text(prompt);
    const Variant& base = basePoint != nullptr ? hostPoint(*basePoint) : missing;
    return valueOf(callByName(utility_.get(), L"GetPoint", inArgument(base), inArgument(text)));
  }
  double getReal(const std::wstring& prompt) override {
    const Variant text(prompt);
    return callByName(utility_.get(), L"GetReal", inArgument(text)).toDouble();
  }
  PickedEntity getEntity(const std::wstring& prompt) override {
    Variant object;
    Variant point;
    const Variant text(prompt);
    callByName(utility_.get(), L"GetEntity", outArgument(object), outArgument(point),
               inArgument(text));
    return {valueOf(std::move(object)), valueOf(std::move(point))};
  }

 private:
  ComRef<IDispatch> utility_;
};

class ComDocument final : public HostDocument {
 public:
  explicit ComDocument(ComRef<IDispatch> document) : document_(std::move(document)) {}

  HostRef<HostSelection> selectionSet() override {
    return std::make_unique<ComSelection>(
        callByName(document_.get(), L"ActiveSelectionSet").toDispatch());
  }
  HostRef<HostInput> utility() override {
    const ComRef<IDispatch> utility = callByName(document_.get(), L"Utility").toDispatch();
    return std::make_unique<ComInput>(
        queried(utility, IID_InanoCADUtility, "QueryInterface(InanoCADUtility)"));
  }
  void sendCommand(const std::wstring& text) override {
    const Variant command(text);
    callByName(document_.get(), L"SendCommand", inArgument(command));
  }
  HostRef<HostStateLink> application() override {
    return std::make_unique<ComStateLink>(callByName(document_.get(), L"Application").toDispatch());
  }

 private:
  ComRef<IDispatch> document_;
};

class ComApplication final : public HostApplication {
 public:
  explicit ComApplication(ComRef<IDispatch> application) : application_(std::move(application)) {}

  HostRef<HostDocument> activeDocument() override {
    return std::make_unique<ComDocument>(
        callByName(application_.get(), L"ActiveDocument").toDispatch());
  }
  std::uint32_t mainWindowHandle() override {
    // A host may answer VT_I4 or VT_I8; only the low 32 bits are a window handle.
    const Variant handle = callByName(application_.get(), L"HWND");
    Variant wide;
    throwIfFailed(::VariantChangeType(wide.put(), const_cast<VARIANT*>(&handle.get()), 0, VT_I8),
                  "VariantChangeType(HWND)");
    return static_cast<std::uint32_t>(wide.get().llVal);
  }

 private:
  ComRef<IDispatch> application_;
};

}  // namespace

HostRef<HostObject> ComValue::asObject() const {
  return std::make_unique<ComObject>(value_.toDispatch());
}

HostRef<HostApplication> wrapApplication(ComRef<IDispatch> application) {
  return std::make_unique<ComApplication>(std::move(application));
}

}  // namespace orbelle::win32
