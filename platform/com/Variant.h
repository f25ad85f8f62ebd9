#pragma once
// VARIANT, the tagged value of late-bound calls: empty, 16- and 32-bit
// numbers, dates, strings, Booleans and interface pointers. A VARIANT owns
// what it holds: VariantClear frees its string and releases its interface,
// VariantCopy copies the string and adds a reference to the interface.
// Variant is the owning C++ wrapper for client code; the set*() helpers fill
// a cleared VARIANT, taking over the string or reference they are given.
#include "platform/com/Bstr.h"
#include "platform/com/Date.h"
#include "platform/com/Result.h"

#include <cstdint>

namespace qm::com {

struct IUnknown;
struct IDispatch;

using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;

inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_DATE = 7;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_DISPATCH = 9;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_UNKNOWN = 13;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

inline constexpr HRESULT DISP_E_BADVARTYPE = hresult(0x80020008);

struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    WORD wReserved1 = 0;
    WORD wReserved2 = 0;
    WORD wReserved3 = 0;
    union {
        LONG lVal;
        SHORT iVal;
        DATE date;
        BSTR bstrVal;
        IDispatch* pdispVal;
        IUnknown* punkVal;
        VARIANT_BOOL boolVal;
        std::int64_t reserved = 0;
    };
};

// Makes `v` empty without looking at what it held.
void VariantInit(VARIANT* v);
// Frees what `v` holds and makes it empty. E_INVALIDARG for null,
// DISP_E_BADVARTYPE (and nothing freed) for a type this layer does not know.
HRESULT VariantClear(VARIANT* v);
// Clears `dest`, then makes it a copy of `src` (S_OK also when both are the
// same VARIANT). E_OUTOFMEMORY leaves `dest` empty.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);

void setI2(VARIANT& v, SHORT value);
void setI4(VARIANT& v, LONG value);
void setBool(VARIANT& v, bool value);
void setDate(VARIANT& v, DATE value);
void setBstr(VARIANT& v, BSTR owned);
void setDispatch(VARIANT& v, IDispatch* owned);
void setUnknown(VARIANT& v, IUnknown* owned);

class Variant {
public:
    Variant() = default;
    // Takes over what `v` holds and leaves `v` empty.
    static Variant attach(VARIANT& v);
    static Variant fromLong(LONG value);
    static Variant fromShort(SHORT value);
    static Variant fromBool(bool value);
    static Variant fromDate(DATE value);
    static Variant fromText(std::u16string_view text);
    static Variant fromUtf8(std::string_view text);
    // Adds a reference of its own (null stays a null VT_DISPATCH).
    static Variant fromDispatch(IDispatch* object);

    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;
    ~Variant() { VariantClear(&v_); }

    VARTYPE type() const { return v_.vt; }
    const VARIANT& get() const { return v_; }
    VARIANT* ptr() { return &v_; }
    // For an out argument or result: clears and hands the VARIANT.
    VARIANT* out();
    // Gives up what it holds.
    VARIANT release();

private:
    VARIANT v_{};
};

} // namespace qm::com
