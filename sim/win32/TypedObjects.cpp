// The type-library objects, one class per declared interface. Each method is the portable call
// of its member and nothing more: what the host does lives in AutomationObjects.cpp, the same for
// either dispatch.
#include <algorithm>

#include "sim/win32/TypedObject.h"

namespace orbelle::sim::win32 {

namespace {

class TypedApplication final : public TypedObject<InanoCADApplication> {
 public:
  TypedApplication(Session& s, ObjectRef o) : TypedObject(s, std::move(o), Declared::Application) {}

  HRESULT STDMETHODCALLTYPE get_ActiveDocument(InanoCADDocument** document) override {
    return run(document, [&] {
      return object<InanoCADDocument>(call(L"ActiveDocument", kGet), iid(Declared::Document));
    });
  }
  HRESULT STDMETHODCALLTYPE get_HWND(LONG_PTR* handle) override {
    return run(handle, [&] { return handleOf(call(L"HWND", kGet)); });
  }
  HRESULT STDMETHODCALLTYPE GetState(IDispatch** state) override {
    return run(state, [&] { return object<IDispatch>(call(L"GetState", kMethod), IID_IDispatch); });
  }
};

class TypedDocument final : public TypedObject<InanoCADDocument> {
 public:
  TypedDocument(Session& s, ObjectRef o) : TypedObject(s, std::move(o), Declared::Document) {}

  HRESULT STDMETHODCALLTYPE get_ActiveSelectionSet(InanoCADSelectionSet** set) override {
    return run(set, [&] {
      return object<InanoCADSelectionSet>(call(L"ActiveSelectionSet", kGet),
                                          iid(Declared::SelectionSet));
    });
  }
  HRESULT STDMETHODCALLTYPE get_Utility(InanoCADUtility** utility) override {
    return run(utility, [&] {
      return object<InanoCADUtility>(call(L"Utility", kGet), iid(Declared::Utility));
    });
  }
  HRESULT STDMETHODCALLTYPE SendCommand(BSTR command) override {
    return run([&] { call(L"SendCommand", kMethod, {argument(command)}); });
  }
  HRESULT STDMETHODCALLTYPE get_Application(InanoCADApplication** application) override {
    return run(application, [&] {
      return object<InanoCADApplication>(call(L"Application", kGet), iid(Declared::Application));
    });
  }
};

class TypedState final : public TypedObject<InanoCADState> {
 public:
  TypedState(Session& s, ObjectRef o) : TypedObject(s, std::move(o), Declared::State) {}

  HRESULT STDMETHODCALLTYPE get_IsQuiescent(VARIANT_BOOL* quiescent) override {
    return run(quiescent, [&] { return flagOf(call(L"IsQuiescent", kGet)); });
  }
};

class TypedUtility final : public TypedObject<InanoCADUtility> {
 public:
  TypedUtility(Session& s, ObjectRef o) : TypedObject(s, std::move(o), Declared::Utility) {}

  HRESULT STDMETHODCALLTYPE Prompt(BSTR message) override {
    return run([&] { call(L"Prompt", kMethod, {argument(message)}); });
  }
  HRESULT STDMETHODCALLTYPE GetPoint(VARIANT base, VARIANT prompt, VARIANT* point) override {
    if (point == nullptr)
      return E_POINTER;
    ::VariantInit(point);
    return run([&] {
      *point = variantOf(session_, call(L"GetPoint", kMethod, {argument(base), argument(prompt)}));
    });
  }
  HRESULT STDMETHODCALLTYPE GetReal(VARIANT prompt, double* number) override {
    return run(number, [&] { return realOf(call(L"GetReal", kMethod, {argument(prompt)})); });
  }
  HRESULT STDMETHODCALLTYPE GetEntity(VARIANT* picked, VARIANT* pickedPoint,
                                      VARIANT prompt) override {
    if (picked == nullptr || pickedPoint == nullptr)
      return E_POINTER;
    return run([&] {
      std::vector<Argument> arguments{inOutArgument(picked), inOutArgument(pickedPoint),
                                      argument(prompt)};
      call(L"GetEntity", kMethod, arguments);
      giveBack(session_, arguments[0], *picked);
      giveBack(session_, arguments[1], *pickedPoint);
    });
  }
};

class TypedSelectionSet final : public TypedObject<InanoCADSelectionSet> {
 public:
  TypedSelectionSet(Session& s, ObjectRef o)
      : TypedObject(s, std::move(o), Declared::SelectionSet) {}

  HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, IAcadEntity** item) override {
    return run(item, [&] {
      return object<IAcadEntity>(call(L"Item", kGet, {argument(index)}), iid(Declared::Entity));
    });
  }
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    return run(count, [&] { return integerOf(call(L"Count", kGet)); });
  }
  HRESULT STDMETHODCALLTYPE Clear() override {
    return run([&] { call(L"Clear", kMethod); });
  }
  HRESULT STDMETHODCALLTYPE SelectOnScreen(VARIANT filterType, VARIANT filterData) override {
    return run([&] {
      call(L"SelectOnScreen", kMethod, {argument(filterType), argument(filterData)});
    });
  }
};

// IAcadObject's and IAcadEntity's members, for an entity and for a text.
template <class I>
class EntityMembers : public TypedObject<I> {
 public:
  using TypedObject<I>::TypedObject;

  HRESULT STDMETHODCALLTYPE get_ObjectName(BSTR* name) override {
    return this->run(name, [&] { return textOf(this->call(L"ObjectName", kGet)); });
  }
  HRESULT STDMETHODCALLTYPE Copy(IDispatch** copy) override {
    return this->run(copy, [&] {
      return this->template object<IDispatch>(this->call(L"Copy", kMethod), IID_IDispatch);
    });
  }
  HRESULT STDMETHODCALLTYPE Rotate3D(VARIANT from, VARIANT to, double angle) override {
    return this->run([&] {
      this->call(L"Rotate3D", kMethod, {argument(from), argument(to), argument(angle)});
    });
  }
  HRESULT STDMETHODCALLTYPE Update() override {
    return this->run([&] { this->call(L"Update", kMethod); });
  }
};

class TypedEntity final : public EntityMembers<IAcadEntity> {
 public:
  TypedEntity(Session& s, ObjectRef o) : EntityMembers(s, std::move(o), Declared::Entity) {}
};

class TypedText final : public EntityMembers<IAcadText> {
 public:
  TypedText(Session& s, ObjectRef o) : EntityMembers(s, std::move(o), Declared::Text) {}

  HRESULT STDMETHODCALLTYPE get_Alignment(AcAlignment* alignment) override {
    return run(alignment,
               [&] { return static_cast<AcAlignment>(integerOf(call(L"Alignment", kGet))); });
  }
  HRESULT STDMETHODCALLTYPE put_Alignment(AcAlignment alignment) override {
    return put(L"Alignment", [&] { return argument(static_cast<std::int32_t>(alignment)); });
  }
  HRESULT STDMETHODCALLTYPE get_Height(double* height) override { return real(L"Height", height); }
  HRESULT STDMETHODCALLTYPE put_Height(double height) override {
    return put(L"Height", [&] { return argument(height); });
  }
  HRESULT STDMETHODCALLTYPE get_Rotation(double* rotation) override {
    return real(L"Rotation", rotation);
  }
  HRESULT STDMETHODCALLTYPE put_Rotation(double rotation) override {
    return put(L"Rotation", [&] { return argument(rotation); });
  }
  HRESULT STDMETHODCALLTYPE get_ScaleFactor(double* factor) override {
    return real(L"ScaleFactor", factor);
  }
  HRESULT STDMETHODCALLTYPE put_ScaleFactor(double factor) override {
    return put(L"ScaleFactor", [&] { return argument(factor); });
  }
  HRESULT STDMETHODCALLTYPE get_ObliqueAngle(double* angle) override {
    return real(L"ObliqueAngle", angle);
  }
  HRESULT STDMETHODCALLTYPE put_ObliqueAngle(double angle) override {
    return put(L"ObliqueAngle", [&] { return argument(angle); });
  }
  HRESULT STDMETHODCALLTYPE get_TextAlignmentPoint(VARIANT* point) override {
    return this->point(L"TextAlignmentPoint", point);
  }
  HRESULT STDMETHODCALLTYPE put_TextAlignmentPoint(VARIANT point) override {
    return put(L"TextAlignmentPoint", [&] { return argument(point); });
  }
  HRESULT STDMETHODCALLTYPE get_InsertionPoint(VARIANT* point) override {
    return this->point(L"InsertionPoint", point);
  }
  HRESULT STDMETHODCALLTYPE put_InsertionPoint(VARIANT point) override {
    return put(L"InsertionPoint", [&] { return argument(point); });
  }

 private:
  HRESULT real(const wchar_t* member, double* out) {
    return run(out, [&] { return realOf(call(member, kGet)); });
  }
  HRESULT point(const wchar_t* member, VARIANT* out) {
    if (out == nullptr)
      return E_POINTER;
    ::VariantInit(out);
    return run([&] { *out = variantOf(session_, call(member, kGet)); });
  }
  // A property write; the argument is read inside the guard, since reading it may fail.
  template <class Make>
  HRESULT put(const wchar_t* member, Make&& value) {
    return run([&] { call(member, kPut, {value()}); });
  }
};

}  // namespace

ComPtr<IDispatch> wrapTyped(Session& session, ObjectRef object) {
  const std::string& kind = object->kind();
  IDispatch* made = nullptr;
  if (kind == "Application") {
    made = new TypedApplication(session, std::move(object));
  } else if (kind == "Document") {
    made = new TypedDocument(session, std::move(object));
  } else if (kind == "State") {
    made = new TypedState(session, std::move(object));
  } else if (kind == "Utility") {
    made = new TypedUtility(session, std::move(object));
  } else if (kind == "SelectionSet") {
    made = new TypedSelectionSet(session, std::move(object));
  } else {
    const auto interfaces = object->interfaces();
    if (std::find(interfaces.begin(), interfaces.end(), Interface::Text) != interfaces.end())
      made = new TypedText(session, std::move(object));
    else
      made = new TypedEntity(session, std::move(object));
  }
  return ComPtr<IDispatch>::adopt(made);
}

}  // namespace orbelle::sim::win32
