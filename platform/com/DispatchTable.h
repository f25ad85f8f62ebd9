#pragma once
// Late binding from a table. A server describes each dispatch interface once
// as rows {DISPID, name, kind, invoker}; the table answers GetIDsOfNames
// (names compared without case) and Invoke (property get, property put,
// method), so the late-bound side always matches the early-bound one.
//
//     using Table = DispatchTable<CThing>;
//     const Table& CThing::dispatchTable()
//     {
//         static const Table table{
//             Table::row<&IThing::get_Name>(1, "Name", MemberKind::Get),
//             Table::row<&IThing::put_Name>(1, "Name", MemberKind::Put),
//             Table::row<&IThing::Add>(2, "Add", MemberKind::Method),
//         };
//         return table;
//     }
//     class CThing final : public DispatchImpl<CThing, IThing> { ... };
//
// row<&Interface::member> reads the member's own signature: its arguments
// (LONG, SHORT, DATE, BSTR, VARIANT) are taken from the call's VARIANTs in
// declaration order, converted (DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW with
// the argument's position otherwise), and a last argument that is a pointer
// to one of LONG, SHORT, DATE, BSTR, VARIANT, IDispatch*, IUnknown* is the
// result. A row may also carry a hand-written invoker.
//
// Invoke answers DISP_E_MEMBERNOTFOUND for an unknown DISPID or a kind the
// member does not have, DISP_E_BADPARAMCOUNT for a wrong number of
// arguments, DISP_E_NONAMEDARGS for named arguments (other than a put's
// DISPID_PROPERTYPUT). No C++ exception leaves it: an invoker that throws
// gives E_FAIL (E_OUTOFMEMORY for bad_alloc).
#include "platform/com/Dispatch.h"

#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace qm::com {

enum class MemberKind { Get, Put, Method };

// The arguments of one call in declaration order (the reverse of DISPPARAMS).
class DispArgs {
public:
    explicit DispArgs(const DISPPARAMS& params) : params_(params) {}
    UINT count() const { return params_.cArgs; }
    const VARIANT& operator[](UINT i) const { return params_.rgvarg[params_.cArgs - 1 - i]; }

    // Conversions; each throws DispatchFault naming the argument on a mismatch.
    LONG toLong(UINT i) const;   // VT_I4, VT_I2, VT_BOOL
    SHORT toShort(UINT i) const; // VT_I2, VT_BOOL, VT_I4 within 16 bits
    DATE toDate(UINT i) const;   // VT_DATE, VT_I4, VT_I2
    BSTR toBstr(UINT i) const;   // VT_BSTR (null or not); still owned by the caller

private:
    const DISPPARAMS& params_;
};

// Thrown by an invoker to fail the call with `code`; `arg` is the position
// in declaration order of the argument at fault, or -1.
struct DispatchFault {
    HRESULT code;
    int arg = -1;
};

namespace detail {

template <class A>
struct InArg;
template <>
struct InArg<LONG> {
    static LONG get(const DispArgs& a, UINT i) { return a.toLong(i); }
};
template <>
struct InArg<SHORT> {
    static SHORT get(const DispArgs& a, UINT i) { return a.toShort(i); }
};
template <>
struct InArg<DATE> {
    static DATE get(const DispArgs& a, UINT i) { return a.toDate(i); }
};
template <>
struct InArg<BSTR> {
    static BSTR get(const DispArgs& a, UINT i) { return a.toBstr(i); }
};
template <>
struct InArg<VARIANT> {
    static VARIANT get(const DispArgs& a, UINT i) { return a[i]; } // borrowed, not copied
};

template <class P>
struct OutArg {
    static constexpr bool isResult = false;
};
template <class T, void (*Set)(VARIANT&, T)>
struct ValueOut {
    static constexpr bool isResult = true;
    using Local = T;
    static void store(VARIANT& v, Local x) { Set(v, x); }
    static void discard(Local&) {}
};
template <>
struct OutArg<LONG*> : ValueOut<LONG, setI4> {};
template <>
struct OutArg<SHORT*> : ValueOut<SHORT, setI2> {};
template <>
struct OutArg<DATE*> : ValueOut<DATE, setDate> {};
inline void releaseOwned(BSTR& s) { SysFreeString(s); }
inline void releaseOwned(IUnknown*& p)
{
    if (p)
        p->Release();
}
inline void releaseOwned(IDispatch*& p)
{
    if (p)
        p->Release();
}
template <class T, void (*Set)(VARIANT&, T)>
struct OwnedOut {
    static constexpr bool isResult = true;
    using Local = T;
    static void store(VARIANT& v, Local x) { Set(v, x); }
    static void discard(Local& x) { releaseOwned(x); }
};
template <>
struct OutArg<BSTR*> : OwnedOut<BSTR, setBstr> {};
template <>
struct OutArg<IDispatch**> : OwnedOut<IDispatch*, setDispatch> {};
template <>
struct OutArg<IUnknown**> : OwnedOut<IUnknown*, setUnknown> {};
template <>
struct OutArg<VARIANT*> {
    static constexpr bool isResult = true;
    using Local = VARIANT;
    static void store(VARIANT& v, Local& x) { v = x; }
    static void discard(Local& x) { VariantClear(&x); }
};

template <auto Fn>
struct Member;
template <class T, class... P, HRESULT (T::*Fn)(P...)>
struct Member<Fn> {
    using Params = std::tuple<P...>;
    static constexpr std::size_t N = sizeof...(P);
    static constexpr bool hasResult = [] {
        if constexpr (N == 0)
            return false;
        else
            return OutArg<std::tuple_element_t<N - 1, Params>>::isResult;
    }();
    static constexpr UINT inCount = hasResult ? N - 1 : N;

    template <class Self>
    static HRESULT call(Self& self, const DispArgs& a, VARIANT& result)
    {
        return callWith(static_cast<T&>(self), a, result, std::make_index_sequence<inCount>{});
    }

    template <std::size_t... I>
    static HRESULT callWith(T& self, const DispArgs& a, VARIANT& result, std::index_sequence<I...>)
    {
        std::tuple<std::remove_cvref_t<std::tuple_element_t<I, Params>>...> in{
            InArg<std::remove_cvref_t<std::tuple_element_t<I, Params>>>::get(a, I)...};
        if constexpr (hasResult) {
            using Out = OutArg<std::tuple_element_t<N - 1, Params>>;
            typename Out::Local out{};
            HRESULT hr = (self.*Fn)(std::get<I>(in)..., &out);
            if (SUCCEEDED(hr))
                Out::store(result, out);
            else
                Out::discard(out);
            return hr;
        } else {
            (void)result;
            return (self.*Fn)(std::get<I>(in)...);
        }
    }
};

} // namespace detail

// The part of a table that does not depend on the object's class.
class DispatchNames {
public:
    struct Entry {
        DISPID id;
        std::string_view name;
        MemberKind kind;
        UINT argCount;
    };
    void add(const Entry& e) { entries_.push_back(e); }

    HRESULT getIDsOfNames(const IID& riid, LPOLESTR* names, UINT count, DISPID* ids) const;
    // The row a call goes to, after its checks; a failure code otherwise.
    HRESULT select(DISPID id, const IID& riid, WORD flags, const DISPPARAMS* params, std::size_t& row) const;

private:
    std::vector<Entry> entries_;
};

// Runs one selected row: sets up the result, undoes the argument order,
// catches whatever the invoker throws.
HRESULT runInvoker(const DISPPARAMS* params, VARIANT* result, UINT* argError,
                   HRESULT (*invoke)(void* context, const DispArgs& args, VARIANT& result), void* context);

template <class T>
class DispatchTable {
public:
    using Invoker = HRESULT (*)(T& self, const DispArgs& args, VARIANT& result);
    struct Row {
        DISPID id;
        std::string_view name;
        MemberKind kind;
        UINT argCount;
        Invoker invoke;
    };

    template <auto Fn>
    static Row row(DISPID id, std::string_view name, MemberKind kind)
    {
        using M = detail::Member<Fn>;
        return Row{id, name, kind, M::inCount, &M::template call<T>};
    }

    DispatchTable(std::initializer_list<Row> rows) : rows_(rows)
    {
        for (const Row& r : rows_)
            names_.add({r.id, r.name, r.kind, r.argCount});
    }

    HRESULT getIDsOfNames(const IID& riid, LPOLESTR* names, UINT count, DISPID* ids) const
    {
        return names_.getIDsOfNames(riid, names, count, ids);
    }

    HRESULT invoke(T& self, DISPID id, const IID& riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   UINT* argError) const
    {
        std::size_t at = 0;
        HRESULT hr = names_.select(id, riid, flags, params, at);
        if (FAILED(hr))
            return hr;
        struct Context {
            T& self;
            Invoker invoke;
        } context{self, rows_[at].invoke};
        return runInvoker(
            params, result, argError,
            [](void* c, const DispArgs& args, VARIANT& r) {
                auto* ctx = static_cast<Context*>(c);
                return ctx->invoke(ctx->self, args, r);
            },
            &context);
    }

private:
    std::vector<Row> rows_;
    DispatchNames names_;
};

// IDispatch over a table: `Derived` provides `static const
// DispatchTable<Derived>& dispatchTable()`; `Interface` is the dual
// interface it implements (IDispatch or one derived from it).
template <class Derived, class Interface>
class DispatchImpl : public Interface {
public:
    HRESULT GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(const IID& riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        return Derived::dispatchTable().getIDsOfNames(riid, names, count, ids);
    }
    HRESULT Invoke(DISPID member, const IID& riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, UINT* argError) override
    {
        return Derived::dispatchTable().invoke(static_cast<Derived&>(*this), member, riid, flags, params, result,
                                               argError);
    }

protected:
    ~DispatchImpl() = default;
};

} // namespace qm::com
