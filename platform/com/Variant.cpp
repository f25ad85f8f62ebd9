#include "platform/com/Variant.h"

#include "platform/com/Dispatch.h"

#include <utility>

namespace qm::com {

void VariantInit(VARIANT* v)
{
    if (v)
        *v = VARIANT{};
}

HRESULT VariantClear(VARIANT* v)
{
    if (!v)
        return E_INVALIDARG;
    switch (v->vt) {
    case VT_EMPTY:
    case VT_I2:
    case VT_I4:
    case VT_DATE:
    case VT_BOOL: break;
    case VT_BSTR: SysFreeString(v->bstrVal); break;
    case VT_DISPATCH:
        if (v->pdispVal)
            v->pdispVal->Release();
        break;
    case VT_UNKNOWN:
        if (v->punkVal)
            v->punkVal->Release();
        break;
    default: return DISP_E_BADVARTYPE;
    }
    *v = VARIANT{};
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (dest == src)
        return S_OK;
    switch (src->vt) {
    case VT_EMPTY:
    case VT_I2:
    case VT_I4:
    case VT_DATE:
    case VT_BOOL:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN: break;
    default: return DISP_E_BADVARTYPE;
    }
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr))
        return hr;
    VARIANT copy = *src;
    if (src->vt == VT_BSTR && src->bstrVal) {
        copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (!copy.bstrVal)
            return E_OUTOFMEMORY;
    } else if (src->vt == VT_DISPATCH && src->pdispVal) {
        src->pdispVal->AddRef();
    } else if (src->vt == VT_UNKNOWN && src->punkVal) {
        src->punkVal->AddRef();
    }
    *dest = copy;
    return S_OK;
}

namespace {

// `v` emptied and given type `t`, for its value to be filled in.
VARIANT& typed(VARIANT& v, VARTYPE t)
{
    v = VARIANT{};
    v.vt = t;
    return v;
}

template <class T>
Variant made(void (*set)(VARIANT&, T), T value)
{
    VARIANT v;
    set(v, value);
    return Variant::attach(v);
}

} // namespace

void setI2(VARIANT& v, SHORT value) { typed(v, VT_I2).iVal = value; }
void setI4(VARIANT& v, LONG value) { typed(v, VT_I4).lVal = value; }
void setBool(VARIANT& v, bool value) { typed(v, VT_BOOL).boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; }
void setDate(VARIANT& v, DATE value) { typed(v, VT_DATE).date = value; }
void setBstr(VARIANT& v, BSTR owned) { typed(v, VT_BSTR).bstrVal = owned; }
void setDispatch(VARIANT& v, IDispatch* owned) { typed(v, VT_DISPATCH).pdispVal = owned; }
void setUnknown(VARIANT& v, IUnknown* owned) { typed(v, VT_UNKNOWN).punkVal = owned; }

Variant Variant::attach(VARIANT& v)
{
    Variant out;
    out.v_ = std::exchange(v, VARIANT{});
    return out;
}

Variant Variant::fromLong(LONG value) { return made(setI4, value); }
Variant Variant::fromShort(SHORT value) { return made(setI2, value); }
Variant Variant::fromBool(bool value) { return made(setBool, value); }
Variant Variant::fromDate(DATE value) { return made(setDate, value); }
Variant Variant::fromText(std::u16string_view text) { return made(setBstr, bstrFromUtf16(text)); }
Variant Variant::fromUtf8(std::string_view text) { return made(setBstr, bstrFromUtf8(text)); }

Variant Variant::fromDispatch(IDispatch* object)
{
    if (object)
        object->AddRef();
    return made(setDispatch, object);
}

Variant::Variant(const Variant& other) { VariantCopy(&v_, &other.v_); }

Variant::Variant(Variant&& other) noexcept : v_(std::exchange(other.v_, VARIANT{})) {}

Variant& Variant::operator=(const Variant& other)
{
    VariantCopy(&v_, &other.v_);
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept
{
    if (this != &other) {
        VariantClear(&v_);
        v_ = std::exchange(other.v_, VARIANT{});
    }
    return *this;
}

VARIANT* Variant::out()
{
    VariantClear(&v_);
    return &v_;
}

VARIANT Variant::release() { return std::exchange(v_, VARIANT{}); }

} // namespace qm::com
