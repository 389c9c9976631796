#include "host/win32/VariantReading.h"

#include "host/win32/Variant.h"

namespace orbelle::win32 {

namespace {

// A point has three coordinates; a few more elements cost nothing, an array of millions would.
constexpr LONG kElementsRead = 16;

Answer arrayAnswer(VARTYPE type, SAFEARRAY* array) {
  Answer answer = Answer::of(Answer::Kind::Array, type);
  answer.elementType = type & VT_TYPEMASK;
  if (array == nullptr)
    return Answer::of(Answer::Kind::Other, type);
  answer.dimensions = static_cast<int>(::SafeArrayGetDim(array));
  if (answer.dimensions != 1 || (answer.elementType != VT_R8 && answer.elementType != VT_VARIANT))
    return answer;
  LONG low = 0;
  LONG high = -1;
  if (FAILED(::SafeArrayGetLBound(array, 1, &low)) || FAILED(::SafeArrayGetUBound(array, 1, &high)))
    return answer;
  // Counted from the lower bound, whatever it is; the bounds of a broken array read nothing.
  for (LONG index = low; index <= high && index - low < kElementsRead; ++index) {
    if (answer.elementType == VT_R8) {
      double number = 0;
      if (FAILED(::SafeArrayGetElement(array, &index, &number)))
        break;
      answer.elements.push_back(Answer::realNumber(VT_R8, 64, number));
    } else {
      Variant element;
      if (FAILED(::SafeArrayGetElement(array, &index, element.put())))
        break;
      answer.elements.push_back(answerOf(element.get()));
    }
  }
  return answer;
}

}  // namespace

Answer answerOf(const VARIANT& value) {
  const VARTYPE type = value.vt;
  const bool byRef = (type & VT_BYREF) != 0;
  if (byRef && value.byref == nullptr)
    return Answer::of(Answer::Kind::Other, type);
  if (type == (VT_BYREF | VT_VARIANT)) {
    // One level only: a VARIANT by reference may not hold another VARIANT by reference.
    if (value.pvarVal->vt == (VT_BYREF | VT_VARIANT))
      return Answer::of(Answer::Kind::Other, type);
    return answerOf(*value.pvarVal);
  }
  if ((type & VT_ARRAY) != 0)
    return arrayAnswer(type, byRef ? *value.pparray : value.parray);
  switch (type & ~VT_BYREF) {
    case VT_EMPTY:
      return Answer::of(byRef ? Answer::Kind::Other : Answer::Kind::Empty, type);
    case VT_NULL:
      return Answer::of(byRef ? Answer::Kind::Other : Answer::Kind::Null, type);
    case VT_ERROR:
      return Answer::of(Answer::Kind::Error, type);
    case VT_BOOL:
      return Answer::boolean(type, (byRef ? *value.pboolVal : value.boolVal) != VARIANT_FALSE);
    case VT_I1:
      return Answer::signedInteger(type, 8, byRef ? *value.pcVal : value.cVal);
    case VT_I2:
      return Answer::signedInteger(type, 16, byRef ? *value.piVal : value.iVal);
    case VT_I4:
      return Answer::signedInteger(type, 32, byRef ? *value.plVal : value.lVal);
    case VT_INT:
      return Answer::signedInteger(type, 32, byRef ? *value.pintVal : value.intVal);
    case VT_I8:
      return Answer::signedInteger(type, 64, byRef ? *value.pllVal : value.llVal);
    case VT_UI1:
      return Answer::unsignedInteger(type, 8, byRef ? *value.pbVal : value.bVal);
    case VT_UI2:
      return Answer::unsignedInteger(type, 16, byRef ? *value.puiVal : value.uiVal);
    case VT_UI4:
      return Answer::unsignedInteger(type, 32, byRef ? *value.pulVal : value.ulVal);
    case VT_UINT:
      return Answer::unsignedInteger(type, 32, byRef ? *value.puintVal : value.uintVal);
    case VT_UI8:
      return Answer::unsignedInteger(type, 64, byRef ? *value.pullVal : value.ullVal);
    case VT_R4:
      return Answer::realNumber(type, 32, byRef ? *value.pfltVal : value.fltVal);
    case VT_R8:
      return Answer::realNumber(type, 64, byRef ? *value.pdblVal : value.dblVal);
    case VT_DECIMAL: {
      // A DECIMAL fills the whole VARIANT: its first word is where vt would be.
      const DECIMAL& source = byRef ? *value.pdecVal : value.decVal;
      Answer answer = Answer::of(Answer::Kind::Decimal, type);
      answer.decimal = {source.Lo64, source.Hi32, source.scale, (source.sign & DECIMAL_NEG) != 0};
      return answer;
    }
    case VT_BSTR: {
      Answer answer = Answer::of(Answer::Kind::Text, type);
      const BSTR text = byRef ? *value.pbstrVal : value.bstrVal;
      if (text != nullptr)
        answer.text.assign(text, ::SysStringLen(text));
      return answer;
    }
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      Answer answer = Answer::of(Answer::Kind::Object, type);
      answer.nullObject = (byRef ? *value.ppunkVal : value.punkVal) == nullptr;
      return answer;
    }
    default:
      return Answer::of(Answer::Kind::Other, type);
  }
}

ComRef<IDispatch> dispatchOf(const VARIANT& value, std::wstring_view member) {
  requireObject(answerOf(value), member);
  const VARIANT& held = value.vt == (VT_BYREF | VT_VARIANT) ? *value.pvarVal : value;
  const bool byRef = (held.vt & VT_BYREF) != 0;
  if ((held.vt & ~VT_BYREF) == VT_DISPATCH)
    return ComRef<IDispatch>::share(byRef ? *held.ppdispVal : held.pdispVal);
  const ComRef<IUnknown> unknown = ComRef<IUnknown>::share(byRef ? *held.ppunkVal : held.punkVal);
  HRESULT status = S_OK;
  ComRef<IDispatch> object = unknown.query<IDispatch>(IID_IDispatch, &status);
  if (FAILED(status))
    throwStatus(status, member, L"answered an object that does not answer IDispatch");
  return object;
}

}  // namespace orbelle::win32
