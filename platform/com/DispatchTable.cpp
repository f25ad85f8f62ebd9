#include "platform/com/DispatchTable.h"

#include "platform/fs/NoCase.h"

#include <limits>
#include <new>

namespace qm::com {

namespace {

[[noreturn]] void fault(HRESULT code, UINT arg) { throw DispatchFault{code, static_cast<int>(arg)}; }

// Member names compare without case, as automation clients spell them freely.
bool sameName(std::u16string_view a, std::string_view b) { return fs::equalsNoCase(utf8FromUtf16(a), b); }

} // namespace

LONG DispArgs::toLong(UINT i) const
{
    const VARIANT& v = (*this)[i];
    switch (v.vt) {
    case VT_I4: return v.lVal;
    case VT_I2: return v.iVal;
    case VT_BOOL: return v.boolVal;
    default: fault(DISP_E_TYPEMISMATCH, i);
    }
}

SHORT DispArgs::toShort(UINT i) const
{
    const VARIANT& v = (*this)[i];
    switch (v.vt) {
    case VT_I2: return v.iVal;
    case VT_BOOL: return v.boolVal;
    case VT_I4:
        if (v.lVal < std::numeric_limits<SHORT>::min() || v.lVal > std::numeric_limits<SHORT>::max())
            fault(DISP_E_OVERFLOW, i);
        return static_cast<SHORT>(v.lVal);
    default: fault(DISP_E_TYPEMISMATCH, i);
    }
}

DATE DispArgs::toDate(UINT i) const
{
    const VARIANT& v = (*this)[i];
    switch (v.vt) {
    case VT_DATE: return v.date;
    case VT_I4: return v.lVal;
    case VT_I2: return v.iVal;
    default: fault(DISP_E_TYPEMISMATCH, i);
    }
}

BSTR DispArgs::toBstr(UINT i) const
{
    const VARIANT& v = (*this)[i];
    if (v.vt != VT_BSTR)
        fault(DISP_E_TYPEMISMATCH, i);
    return v.bstrVal;
}

HRESULT DispatchNames::getIDsOfNames(const IID& riid, LPOLESTR* names, UINT count, DISPID* ids) const
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (count == 0)
        return S_OK;
    if (!names || !ids)
        return E_POINTER;
    // Only members have names here; argument names are unknown.
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    for (const Entry& e : entries_) {
        if (sameName(olestrView(names[0]), e.name)) {
            ids[0] = e.id;
            break;
        }
    }
    return ids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT DispatchNames::select(DISPID id, const IID& riid, WORD flags, const DISPPARAMS* params,
                              std::size_t& row) const
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    auto find = [&](MemberKind kind) -> const Entry* {
        for (const Entry& e : entries_)
            if (e.id == id && e.kind == kind)
                return &e;
        return nullptr;
    };
    const Entry* e = nullptr;
    if (put)
        e = find(MemberKind::Put);
    else {
        if (flags & DISPATCH_METHOD)
            e = find(MemberKind::Method);
        if (!e && (flags & DISPATCH_PROPERTYGET))
            e = find(MemberKind::Get);
    }
    if (!e)
        return DISP_E_MEMBERNOTFOUND;
    const UINT args = params ? params->cArgs : 0;
    const UINT named = params ? params->cNamedArgs : 0;
    if (named > 0) {
        bool putValue = put && named == 1 && params->rgdispidNamedArgs &&
                        params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
        if (!putValue)
            return DISP_E_NONAMEDARGS;
    }
    if (args != e->argCount)
        return DISP_E_BADPARAMCOUNT;
    if (args > 0 && !params->rgvarg)
        return E_POINTER;
    row = static_cast<std::size_t>(e - entries_.data());
    return S_OK;
}

HRESULT runInvoker(const DISPPARAMS* params, VARIANT* result, UINT* argError,
                   HRESULT (*invoke)(void* context, const DispArgs& args, VARIANT& result), void* context)
{
    static const DISPPARAMS none{};
    const DISPPARAMS& p = params ? *params : none;
    VARIANT scratch{};
    VARIANT& out = result ? *result : scratch;
    VariantInit(&out);
    HRESULT hr;
    try {
        hr = invoke(context, DispArgs(p), out);
    } catch (const DispatchFault& f) {
        hr = f.code;
        if (argError && f.arg >= 0 && static_cast<UINT>(f.arg) < p.cArgs)
            *argError = p.cArgs - 1 - static_cast<UINT>(f.arg); // its place in rgvarg
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (...) {
        hr = E_FAIL;
    }
    if (FAILED(hr) || !result)
        VariantClear(&out);
    return hr;
}

} // namespace qm::com
