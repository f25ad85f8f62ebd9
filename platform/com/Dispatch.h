#pragma once
// IDispatch, the late-bound side of an automation object: names to member
// numbers (DISPIDs) and calls by number with VARIANT arguments. The
// arguments of a call stand in DISPPARAMS last first (rgvarg[0] is the last
// argument); a property put passes its value with the named argument
// DISPID_PROPERTYPUT. This layer keeps no type information:
// GetTypeInfoCount gives 0 and GetTypeInfo E_NOTIMPL.
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

namespace qm::com {

using DISPID = LONG;

inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;
inline constexpr DISPID DISPID_NEWENUM = -4;

inline constexpr WORD DISPATCH_METHOD = 1;
inline constexpr WORD DISPATCH_PROPERTYGET = 2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 8;

inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = hresult(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = hresult(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = hresult(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = hresult(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = hresult(0x80020006);
inline constexpr HRESULT DISP_E_NONAMEDARGS = hresult(0x80020007);
inline constexpr HRESULT DISP_E_OVERFLOW = hresult(0x8002000A);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = hresult(0x8002000E);

struct DISPPARAMS {
    VARIANT* rgvarg = nullptr;
    DISPID* rgdispidNamedArgs = nullptr;
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

// Not provided by this layer; only passed as null.
struct ITypeInfo;
struct EXCEPINFO;

struct IDispatch : IUnknown {
    static constexpr IID iid = guid("{00020400-0000-0000-C000-000000000046}");

    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(const IID& riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID member, const IID& riid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argError) = 0;

protected:
    ~IDispatch() = default;
};

inline constexpr IID IID_IDispatch = IDispatch::iid;

} // namespace qm::com
