// standin_client.exe: a small COM client for the end-to-end tests of the stand-in host. It reads
// one operation a line from standard input, calls the host by name through IDispatch, and
// answers each line with one JSON line on standard output:
//
//   app = connect                      CoCreateInstance(CoApplication), queried for the app IID
//   app = connect "nanoCAD.Application.24.0"   CLSIDFromProgID, then GetActiveObject: the
//                                      running host of that program ID (the answer: its class)
//   app = connect {GUID}               GetActiveObject of that class
//   doc = app.ActiveDocument           a call (method or property read); the result is kept
//   util.GetEntity(out obj, out pt, "TEXT を指示 : ")
//   text.Height := 2.5                 a property write
//   t = query ent IAcadText            QueryInterface for a contract interface ID
//   t = query ent {GUID}               QueryInterface for any interface ID
//   invoke app.hwnd method|get ()      IDispatch::Invoke with exactly these flags (method, get,
//                                      put): the answer says the status, the exception's scode,
//                                      description and source, and the VARIANT type of the
//                                      result and of each out parameter, as they arrived
//   findwindow "nanoCAD 5"             FindWindowW, for comparing with HWND
//   openicon "nanoCAD 5"               OpenIcon and SetForegroundWindow on that window
//   release doc | release all          drop references
//   quit
//
// Arguments: 12 (VT_I4), 12.0 or 1E-5 (VT_R8), "text", [x,y,z] (array of doubles), missing,
// true/false, a kept name, or "out NAME" for a VARIANT passed by reference. Answers by reference
// are taken as the values they refer to, their targets freed (Variant::received).
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/HostError.h"
#include "host/nanoCAD_TLB.h"
#include "host/win32/ComRef.h"
#include "host/win32/ComStatus.h"
#include "host/win32/Dispatch.h"
#include "host/win32/Variant.h"
#include "sim/CadNumbers.h"
#include "sim/Json.h"

namespace {

using orbelle::HostError;
using orbelle::sim::fromUtf8;
using orbelle::sim::toUtf8;
namespace json = orbelle::sim::json;
using orbelle::win32::ComRef;
using orbelle::win32::Variant;

struct Failure {
  std::string message;
  long status = 0;
};

std::map<std::wstring, Variant> kept;

std::string variantJson(const VARIANT& v) {
  switch (v.vt) {
    case VT_EMPTY:
      return "null";
    case VT_NULL:
      return "null";
    case VT_BOOL:
      return v.boolVal != VARIANT_FALSE ? "true" : "false";
    case VT_I2:
      return json::integer(v.iVal);
    case VT_I4:
      return json::integer(v.lVal);
    case VT_I8:
      return json::integer(v.llVal);
    case VT_R8:
      return json::number(v.dblVal);
    case VT_BSTR:
      return json::quote(std::wstring_view(v.bstrVal, ::SysStringLen(v.bstrVal)));
    case VT_DISPATCH:
      return v.pdispVal ? R"({"dispatch":true})" : "null";
    default:
      break;
  }
  if (v.vt == (VT_ARRAY | VT_R8) || v.vt == (VT_ARRAY | VT_VARIANT)) {
    Variant copy;
    ::VariantCopy(copy.put(), const_cast<VARIANT*>(&v));
    std::vector<std::string> items;
    LONG low = 0, high = -1;
    ::SafeArrayGetLBound(v.parray, 1, &low);
    ::SafeArrayGetUBound(v.parray, 1, &high);
    for (LONG i = 0; i <= high - low; ++i)  // counted from the lower bound
      items.push_back(json::number(copy.element(i)));
    return json::array(items);
  }
  return json::quote("vt " + std::to_string(v.vt));
}

// "VT_I8", "VT_ARRAY|VT_R8", "VT_BYREF|VT_VARIANT": the type as it arrived.
std::string typeName(VARTYPE type) {
  static const std::map<VARTYPE, const char*> names{
      {VT_EMPTY, "VT_EMPTY"},     {VT_NULL, "VT_NULL"},
      {VT_I2, "VT_I2"},           {VT_I4, "VT_I4"},
      {VT_R4, "VT_R4"},           {VT_R8, "VT_R8"},
      {VT_BSTR, "VT_BSTR"},       {VT_DISPATCH, "VT_DISPATCH"},
      {VT_ERROR, "VT_ERROR"},     {VT_BOOL, "VT_BOOL"},
      {VT_VARIANT, "VT_VARIANT"}, {VT_UNKNOWN, "VT_UNKNOWN"},
      {VT_I1, "VT_I1"},           {VT_UI1, "VT_UI1"},
      {VT_UI2, "VT_UI2"},         {VT_UI4, "VT_UI4"},
      {VT_I8, "VT_I8"},           {VT_UI8, "VT_UI8"},
      {VT_INT, "VT_INT"},         {VT_UINT, "VT_UINT"}};
  std::string out;
  if (type & VT_BYREF)
    out += "VT_BYREF|";
  if (type & VT_ARRAY)
    out += "VT_ARRAY|";
  const auto it = names.find(type & VT_TYPEMASK);
  return out + (it != names.end() ? it->second : "vt " + std::to_string(type & VT_TYPEMASK));
}

std::string statusText(HRESULT status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
  return text;
}

class Line {
 public:
  explicit Line(std::wstring text) : text_(std::move(text)) {}

  void blanks() {
    while (at_ < text_.size() && (text_[at_] == L' ' || text_[at_] == L'\t' || text_[at_] == L'\r'))
      ++at_;
  }
  bool done() {
    blanks();
    return at_ >= text_.size();
  }
  bool take(std::wstring_view word) {
    blanks();
    if (text_.compare(at_, word.size(), word) != 0)
      return false;
    at_ += word.size();
    return true;
  }
  std::wstring name() {
    blanks();
    const std::size_t start = at_;
    while (at_ < text_.size() && (iswalnum(text_[at_]) || text_[at_] == L'_'))
      ++at_;
    if (start == at_)
      throw Failure{"a name was expected at column " + std::to_string(start + 1)};
    return text_.substr(start, at_ - start);
  }
  std::wstring quoted() {
    blanks();
    const std::size_t start = at_;
    for (++at_; at_ < text_.size() && text_[at_] != L'"'; ++at_) {
      if (text_[at_] == L'\\')
        ++at_;
    }
    if (at_ >= text_.size())
      throw Failure{"a text in double quotes is not closed"};
    ++at_;
    const auto parsed = json::parse(toUtf8(text_.substr(start, at_ - start)));
    return fromUtf8(std::get<std::string>(parsed.data));
  }
  double number() {
    blanks();
    const std::size_t start = at_;
    while (at_ < text_.size() &&
           std::wstring_view(L"+-.0123456789eE").find(text_[at_]) != std::wstring_view::npos)
      ++at_;
    const auto value = orbelle::sim::parseCadNumber(text_.substr(start, at_ - start));
    if (!value)
      throw Failure{"a number was expected at column " + std::to_string(start + 1)};
    return *value;
  }
  // {XXXXXXXX-...}
  GUID guid() {
    blanks();
    const std::size_t start = at_;
    at_ = text_.find(L'}', at_);
    if (at_ == std::wstring::npos)
      throw Failure{"a {GUID} was expected at column " + std::to_string(start + 1)};
    ++at_;
    GUID id{};
    if (FAILED(::CLSIDFromString(text_.substr(start, at_ - start).c_str(), &id)))
      throw Failure{"not a GUID: " + toUtf8(text_.substr(start, at_ - start))};
    return id;
  }
  std::wstring slice(std::size_t from) const { return text_.substr(from, at_ - from); }
  std::size_t at() const { return at_; }
  wchar_t peek() {
    blanks();
    return at_ < text_.size() ? text_[at_] : L'\0';
  }

 private:
  std::wstring text_;
  std::size_t at_ = 0;
};

// One argument; out parameters are collected with the name their value goes to.
Variant argument(Line& line, std::vector<std::pair<std::wstring, Variant*>>& outs,
                 std::vector<std::unique_ptr<Variant>>& outSlots) {
  const wchar_t c = line.peek();
  if (c == L'"')
    return Variant(std::wstring_view(line.quoted()));
  if (c == L'[') {
    line.take(L"[");
    std::vector<double> numbers;
    while (!line.take(L"]")) {
      numbers.push_back(line.number());
      line.take(L",");
    }
    return Variant::doubles(numbers);
  }
  if (c == L'-' || c == L'+' || c == L'.' || (c >= L'0' && c <= L'9')) {
    const std::size_t start = line.at();
    const double value = line.number();
    const std::wstring text = line.slice(start);
    if (text.find_first_of(L".eE") == std::wstring::npos)
      return Variant(static_cast<std::int32_t>(value));
    return Variant(value);
  }
  const std::wstring word = line.name();
  if (word == L"missing")
    return Variant::missing();
  if (word == L"true" || word == L"false")
    return Variant::boolean(word == L"true");
  if (word == L"out") {
    outSlots.push_back(std::make_unique<Variant>());
    outs.emplace_back(line.name(), outSlots.back().get());
    return Variant();  // replaced by a reference below
  }
  const auto it = kept.find(word);
  if (it == kept.end())
    throw Failure{"nothing is kept under the name " + toUtf8(word)};
  return it->second;
}

IDispatch* object(const std::wstring& name) {
  const auto it = kept.find(name);
  if (it == kept.end() || it->second.type() != VT_DISPATCH || it->second.get().pdispVal == nullptr)
    throw Failure{"no object is kept under the name " + toUtf8(name)};
  return it->second.get().pdispVal;
}

const std::map<std::wstring, orbelle::Guid> kInterfaces{
    {L"InanoCADApplication", orbelle::IID_InanoCADApplication},
    {L"InanoCADUtility", orbelle::IID_InanoCADUtility},
    {L"IAcadState", orbelle::IID_IAcadState},
    {L"IAcadEntity", orbelle::IID_IAcadEntity},
    {L"IAcadText", orbelle::IID_IAcadText},
};

// An argument list "(a, b, out c)" as parsed: the values, the out parameters by name and their
// slots, and for each argument the index of its out parameter (-1 for an in argument).
struct ArgumentList {
  std::vector<Variant> values;
  std::vector<std::pair<std::wstring, Variant*>> outs;
  std::vector<std::unique_ptr<Variant>> slots;
  std::vector<int> outIndex;
};

// Reads the arguments up to ")", the "(" already taken.
ArgumentList argumentList(Line& line) {
  ArgumentList list;
  while (!line.take(L")")) {
    const std::size_t before = list.outs.size();
    list.values.push_back(argument(line, list.outs, list.slots));
    list.outIndex.push_back(list.outs.size() > before ? static_cast<int>(before) : -1);
    line.take(L",");
    if (line.done())
      throw Failure{"the argument list is not closed"};
  }
  return list;
}

// invoke OBJECT.Member FLAGS (arguments): one IDispatch::Invoke with exactly those flags, and
// what arrived, untouched: the status, the exception, the VARIANT types.
std::string invokeRaw(Line& line) {
  const std::wstring on = line.name();
  if (!line.take(L"."))
    throw Failure{"expected OBJECT.Member"};
  std::wstring member = line.name();
  WORD flags = 0;
  do {
    const std::wstring flag = line.name();
    flags |= flag == L"method" ? DISPATCH_METHOD
             : flag == L"get"  ? DISPATCH_PROPERTYGET
             : flag == L"put"  ? DISPATCH_PROPERTYPUT
                               : throw Failure{"unknown flag " + toUtf8(flag)};
  } while (line.take(L"|"));
  if (!line.take(L"("))
    throw Failure{"expected (arguments)"};
  ArgumentList list = argumentList(line);
  auto& [values, outs, slots, outIndex] = list;
  // IDispatch takes its arguments last to first; a put names its one argument.
  std::vector<VARIANT> reversed;
  for (std::size_t i = values.size(); i > 0; --i) {
    const int out = outIndex[i - 1];
    reversed.push_back(out >= 0 ? orbelle::win32::outArgument(*outs[out].second)
                                : orbelle::win32::inArgument(values[i - 1]));
  }
  DISPID putId = DISPID_PROPERTYPUT;
  const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
  DISPPARAMS parameters{reversed.data(), put ? &putId : nullptr, static_cast<UINT>(reversed.size()),
                        put ? 1u : 0u};
  IDispatch* callee = object(on);
  LPOLESTR names[] = {member.data()};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT lookup = callee->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  json::ObjectWriter answer;
  if (FAILED(lookup)) {
    return answer.boolean("ok", false).text("status", fromUtf8(statusText(lookup))).str();
  }
  Variant result;
  orbelle::win32::ExceptionInfo exception;
  UINT badArgument = 0;
  const HRESULT status = callee->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                        put ? nullptr : result.put(), &exception, &badArgument);
  answer.boolean("ok", SUCCEEDED(status))
      .integer("dispid", id)
      .text("status", fromUtf8(statusText(status)));
  if (status == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn != nullptr)
      exception.pfnDeferredFillIn(&exception);
    answer.text("scode", fromUtf8(statusText(exception.scode)))
        .text("description", exception.bstrDescription ? exception.bstrDescription : L"")
        .text("source", exception.bstrSource ? exception.bstrSource : L"");
  }
  if (SUCCEEDED(status)) {
    answer.text("type", fromUtf8(typeName(result.type())));
    const Variant value = Variant::received(std::move(result));
    answer.raw("result", variantJson(value.get()));
    if (!outs.empty()) {
      json::ObjectWriter outJson, outTypes;
      for (auto& [name, slot] : outs) {
        outTypes.text(toUtf8(name), fromUtf8(typeName(slot->type())));
        *slot = Variant::received(std::move(*slot));
        outJson.raw(toUtf8(name), variantJson(slot->get()));
        kept[name] = *slot;
      }
      answer.raw("out", outJson.str()).raw("outTypes", outTypes.str());
    }
  }
  return answer.str();
}

std::string execute(const std::wstring& text) {
  Line line(text);
  std::optional<std::wstring> target;
  {
    // "NAME = ..." keeps the result.
    Line probe(text);
    if (iswalpha(probe.peek())) {
      const std::wstring first = probe.name();
      if (probe.take(L"=") && probe.peek() != L'=') {
        target = first;
        line = probe;
      }
    }
  }
  if (line.take(L"connect")) {
    if (line.peek() == L'"' || line.peek() == L'{') {
      // A running host found as that release's clients find it: by program ID (or class) in the
      // Running Object Table; GetActiveObject never starts a program.
      CLSID classId{};
      if (line.peek() == L'{') {
        classId = line.guid();
      } else {
        const std::wstring programId = line.quoted();
        orbelle::win32::throwIfFailed(::CLSIDFromProgID(programId.c_str(), &classId),
                                      L"CLSIDFromProgID(" + programId + L")");
      }
      ComRef<IUnknown> active;
      orbelle::win32::throwIfFailed(::GetActiveObject(classId, nullptr, active.put()),
                                    L"GetActiveObject");
      const ComRef<IDispatch> application =
          active.require<IDispatch>(IID_IDispatch, L"QueryInterface(IDispatch)");
      kept[target.value_or(L"app")] = Variant::dispatch(application.get());
      wchar_t classText[64];
      ::StringFromGUID2(classId, classText, 64);
      return R"({"ok":true,"result":)" + json::quote(std::wstring_view(classText)) + "}";
    }
    ComRef<IUnknown> created;
    orbelle::win32::throwIfFailed(
        ::CoCreateInstance(orbelle::win32::toGuid(orbelle::CLSID_CoApplication), nullptr,
                           CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                           created.putVoid()),
        L"CoCreateInstance(CoApplication)");
    const ComRef<IDispatch> application =
        created.require<IDispatch>(orbelle::win32::toGuid(orbelle::IID_InanoCADApplication),
                                   L"QueryInterface(InanoCADApplication)");
    kept[target.value_or(L"app")] = Variant::dispatch(application.get());
    return R"({"ok":true})";
  }
  if (line.take(L"query")) {
    const std::wstring from = line.name();
    GUID id{};
    std::wstring iid;
    if (line.peek() == L'{') {
      id = line.guid();
      iid = L"{...}";
    } else {
      iid = line.name();
      const auto it = kInterfaces.find(iid);
      if (it == kInterfaces.end())
        throw Failure{"unknown interface " + toUtf8(iid)};
      id = orbelle::win32::toGuid(it->second);
    }
    const ComRef<IDispatch> queried = ComRef<IDispatch>::share(object(from))
                                          .require<IDispatch>(id, L"QueryInterface(" + iid + L")");
    if (target)
      kept[*target] = Variant::dispatch(queried.get());
    return R"({"ok":true})";
  }
  if (line.take(L"findwindow")) {
    const HWND window = ::FindWindowW(nullptr, line.quoted().c_str());
    return R"({"ok":true,"result":)" +
           json::integer(static_cast<long long>(reinterpret_cast<INT_PTR>(window))) + "}";
  }
  if (line.take(L"openicon")) {
    const HWND window = ::FindWindowW(nullptr, line.quoted().c_str());
    if (window == nullptr)
      throw Failure{"no such window"};
    ::OpenIcon(window);
    ::SetForegroundWindow(window);
    return R"({"ok":true})";
  }
  if (line.take(L"invoke"))
    return invokeRaw(line);
  if (line.take(L"release")) {
    const std::wstring name = line.name();
    if (name == L"all")
      kept.clear();
    else
      kept.erase(name);
    return R"({"ok":true})";
  }
  // OBJECT.Member(arguments) or OBJECT.Member := value
  const std::wstring on = line.name();
  if (!line.take(L"."))
    throw Failure{"expected OBJECT.Member"};
  const std::wstring member = line.name();
  IDispatch* callee = object(on);
  if (line.take(L":=")) {
    std::vector<std::pair<std::wstring, Variant*>> outs;
    std::vector<std::unique_ptr<Variant>> slots;
    orbelle::win32::putByName(callee, member, argument(line, outs, slots));
    return R"({"ok":true})";
  }
  ArgumentList list = line.take(L"(") ? argumentList(line) : ArgumentList{};
  auto& [values, outs, slots, outIndex] = list;
  std::vector<VARIANT> views;
  for (std::size_t i = 0; i < values.size(); ++i) {
    views.push_back(outIndex[i] >= 0 ? orbelle::win32::outArgument(*outs[outIndex[i]].second)
                                     : orbelle::win32::inArgument(values[i]));
  }
  Variant result =
      orbelle::win32::invokeByName(callee, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, views);
  json::ObjectWriter answer;
  answer.boolean("ok", true).raw("result", variantJson(result.get()));
  if (!outs.empty()) {
    json::ObjectWriter outJson;
    for (auto& [name, slot] : outs) {
      *slot = Variant::received(std::move(*slot));
      outJson.raw(toUtf8(name), variantJson(slot->get()));
      kept[name] = *slot;
    }
    answer.raw("out", outJson.str());
  }
  if (target)
    kept[*target] = std::move(result);
  return answer.str();
}

}  // namespace

int wmain() {
  ::SetConsoleOutputCP(CP_UTF8);
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::cerr << "standin_client: COM could not be initialised\n";
    return 2;
  }
  std::string raw;
  while (std::getline(std::cin, raw)) {
    const std::wstring text = fromUtf8(raw);
    Line probe(text);
    if (probe.done() || probe.peek() == L'#')
      continue;
    if (probe.take(L"quit"))
      break;
    std::string answer;
    try {
      answer = execute(text);
    } catch (const HostError& e) {
      char status[16];
      std::snprintf(status, sizeof status, "0x%08X", static_cast<unsigned>(e.status()));
      answer = json::ObjectWriter()
                   .boolean("ok", false)
                   .text("status", fromUtf8(status))
                   .text("message", fromUtf8(e.what()))
                   .str();
    } catch (const Failure& e) {
      answer = json::ObjectWriter().boolean("ok", false).text("message", fromUtf8(e.message)).str();
    } catch (const std::exception& e) {
      answer = json::ObjectWriter().boolean("ok", false).text("message", fromUtf8(e.what())).str();
    }
    std::cout << answer << std::endl;
  }
  kept.clear();
  ::CoUninitialize();
  return 0;
}
