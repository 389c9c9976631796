#include "sim/win32/ServedLibrary.h"

#include <oleauto.h>

#include <string_view>

#include "sim/Error.h"
#include "sim/Json.h"
#include "sim/win32/Bstr.h"

namespace orbelle::sim::win32 {

namespace {

constexpr std::wstring_view kNames[kDeclaredCount] = {
    L"InanoCADApplication",  L"InanoCADDocument", L"InanoCADState", L"InanoCADUtility",
    L"InanoCADSelectionSet", L"IAcadObject",      L"IAcadEntity",   L"IAcadText"};

const ServedLibrary* served = nullptr;

// A type's attributes while the owner lives.
class TypeAttributes {
 public:
  explicit TypeAttributes(ITypeInfo* info) : info_(info) {
    if (FAILED(info_->GetTypeAttr(&attributes_)))
      throw Error("the type library cannot be read");
  }
  ~TypeAttributes() { info_->ReleaseTypeAttr(attributes_); }
  TypeAttributes(const TypeAttributes&) = delete;
  TypeAttributes& operator=(const TypeAttributes&) = delete;
  const TYPEATTR* operator->() const { return attributes_; }

 private:
  ITypeInfo* info_;
  TYPEATTR* attributes_ = nullptr;
};

}  // namespace

std::vector<Declared> lineage(Declared which) {
  switch (which) {
    case Declared::Text:
      return {Declared::Text, Declared::Entity, Declared::Object};
    case Declared::Entity:
      return {Declared::Entity, Declared::Object};
    default:
      return {which};
  }
}

ServedLibrary::ServedLibrary(const std::wstring& exePath, int resource)
    : path_(resource == 1 ? exePath : exePath + L"\\" + std::to_wstring(resource)) {
  const std::string what =
      "the type library " + std::to_string(resource) + " in " + toUtf8(exePath);
  if (FAILED(::LoadTypeLibEx(path_.c_str(), REGKIND_NONE, library_.put())))
    throw Error("cannot load " + what);
  TLIBATTR* attributes = nullptr;
  if (FAILED(library_->GetLibAttr(&attributes)))
    throw Error("cannot read " + what);
  libraryId_ = attributes->guid;
  major_ = attributes->wMajorVerNum;
  minor_ = attributes->wMinorVerNum;
  library_->ReleaseTLibAttr(attributes);

  bool haveClass = false;
  std::array<bool, kDeclaredCount> found{};
  for (UINT i = 0, count = library_->GetTypeInfoCount(); i < count; ++i) {
    ComPtr<ITypeInfo> info;
    Bstr name;
    if (FAILED(library_->GetTypeInfo(i, info.put())) ||
        FAILED(
            library_->GetDocumentation(static_cast<INT>(i), name.put(), nullptr, nullptr, nullptr)))
      throw Error("cannot read " + what);
    const TypeAttributes type(info.get());
    if (type->typekind == TKIND_COCLASS) {
      classId_ = type->guid;
      haveClass = true;
      continue;
    }
    for (std::size_t d = 0; d < kDeclaredCount; ++d) {
      if (name.str() != kNames[d])
        continue;
      // A dual interface reads as its dispatch side, which is what ITypeInfo::Invoke answers by.
      if (type->typekind != TKIND_DISPATCH || (type->wTypeFlags & TYPEFLAG_FDUAL) == 0)
        throw Error(what + " declares " + toUtf8(kNames[d]) + " but not as a dual interface");
      iids_[d] = type->guid;
      infos_[d] = std::move(info);
      found[d] = true;
      break;
    }
  }
  for (std::size_t d = 0; d < kDeclaredCount; ++d) {
    if (!found[d])
      throw Error(what + " lacks the interface " + toUtf8(kNames[d]));
  }
  if (!haveClass)
    throw Error(what + " lacks the application's class");
}

Serving::Serving(const ServedLibrary& library) {
  served = &library;
}

Serving::~Serving() {
  served = nullptr;
}

const ServedLibrary& Serving::library() {
  if (served == nullptr)
    throw Error("no type library is served");
  return *served;
}

}  // namespace orbelle::sim::win32
