// Late binding from a dispatch table: names, kinds, argument counts and
// types, and invokers that fail or throw.
#include "LateBinding.h"

#include "platform/com/DispatchTable.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace qm::com;
using qm::test::dispidOf;
using qm::test::invoke;

namespace {

struct IProbe : IDispatch {
    virtual HRESULT get_Level(SHORT* value) = 0;
    virtual HRESULT put_Level(SHORT value) = 0;
    virtual HRESULT Describe(BSTR name, LONG count, DATE when, BSTR* text) = 0;

protected:
    ~IProbe() = default;
};

class CProbe final : public DispatchImpl<CProbe, IProbe> {
public:
    static const DispatchTable<CProbe>& dispatchTable();
    HRESULT QueryInterface(const IID&, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }

    HRESULT get_Level(SHORT* value) override
    {
        *value = level;
        return S_OK;
    }
    HRESULT put_Level(SHORT value) override
    {
        if (value < 0)
            return E_INVALIDARG;
        level = value;
        return S_OK;
    }
    HRESULT Describe(BSTR name, LONG count, DATE when, BSTR* text) override
    {
        *text = bstrFromUtf8((name ? utf8FromBstr(name) : "(null)") + " " + std::to_string(count) + " " +
                             std::to_string(static_cast<int>(when)));
        return S_OK;
    }

    SHORT level = 3;
};

using Table = DispatchTable<CProbe>;
const Table& CProbe::dispatchTable()
{
    static const Table table{
        Table::row<&IProbe::get_Level>(1, "Level", MemberKind::Get),
        Table::row<&IProbe::put_Level>(1, "Level", MemberKind::Put),
        Table::row<&IProbe::Describe>(2, "Describe", MemberKind::Method),
        {3, "Explode", MemberKind::Method, 0,
         [](CProbe&, const DispArgs&, VARIANT&) -> HRESULT { throw std::runtime_error("inside the server"); }},
        {4, "Hungry", MemberKind::Method, 0,
         [](CProbe&, const DispArgs&, VARIANT&) -> HRESULT { throw std::bad_alloc(); }},
    };
    return table;
}

} // namespace

TEST(DispatchTable, NamesAreFoundWithoutCase)
{
    CProbe probe;
    EXPECT_EQ(dispidOf(&probe, u"level"), 1);
    EXPECT_EQ(dispidOf(&probe, u"DESCRIBE"), 2);
    EXPECT_EQ(dispidOf(&probe, u"Levels"), DISPID_UNKNOWN);

    std::u16string member = u"Describe", arg = u"name";
    LPOLESTR names[] = {member.data(), arg.data()};
    DISPID ids[2] = {7, 7};
    EXPECT_EQ(probe.GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME); // argument names unknown
    EXPECT_EQ(ids[0], 2);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    EXPECT_EQ(probe.GetIDsOfNames(IUnknown::iid, names, 1, 0, ids), DISP_E_UNKNOWNINTERFACE);

    UINT count = 9;
    EXPECT_EQ(probe.GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(&probe);
    EXPECT_EQ(probe.GetTypeInfo(0, 0, &info), E_NOTIMPL);
    EXPECT_EQ(info, nullptr);
}

TEST(DispatchTable, CallsReachTheMemberOfTheirKindWithArgumentsInOrder)
{
    CProbe probe;
    Variant result;
    ASSERT_EQ(invoke(&probe, 1, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.type(), VT_I2);
    EXPECT_EQ(result.get().iVal, 3);
    ASSERT_EQ(invoke(&probe, 1, DISPATCH_PROPERTYPUT, {Variant::fromLong(9)}), S_OK);
    EXPECT_EQ(probe.level, 9);

    // Arguments arrive last first; the table hands them over in order, and a
    // null string stays null.
    ASSERT_EQ(invoke(&probe, 2, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                     {Variant::fromText(u"disk"), Variant::fromShort(2), Variant::fromDate(36585.5)}, &result),
              S_OK);
    EXPECT_EQ(result.type(), VT_BSTR);
    EXPECT_EQ(utf8FromBstr(result.get().bstrVal), "disk 2 36585");
    VARIANT nullName;
    setBstr(nullName, nullptr);
    ASSERT_EQ(invoke(&probe, 2, DISPATCH_METHOD,
                     {Variant::attach(nullName), Variant::fromLong(1), Variant::fromLong(0)}, &result),
              S_OK);
    EXPECT_EQ(utf8FromBstr(result.get().bstrVal), "(null) 1 0");

    // The member's own failure is the call's result.
    EXPECT_EQ(invoke(&probe, 1, DISPATCH_PROPERTYPUT, {Variant::fromLong(-1)}), E_INVALIDARG);
    EXPECT_EQ(probe.level, 9);
}

TEST(DispatchTable, WrongCallsAreRefusedWithTheirCodes)
{
    CProbe probe;
    Variant result;
    UINT argError = 99;
    EXPECT_EQ(invoke(&probe, 42, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(invoke(&probe, 2, DISPATCH_PROPERTYPUT, {Variant::fromLong(1)}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(invoke(&probe, 1, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND); // a property, no method
    EXPECT_EQ(invoke(&probe, 2, DISPATCH_METHOD, {Variant::fromText(u"x")}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(invoke(&probe, 1, DISPATCH_PROPERTYGET, {Variant::fromLong(1)}), DISP_E_BADPARAMCOUNT);

    EXPECT_EQ(invoke(&probe, 2, DISPATCH_METHOD,
                     {Variant::fromText(u"x"), Variant::fromText(u"two"), Variant::fromLong(0)}, &result, &argError),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argError, 1u); // the second argument, which stands in the middle of rgvarg
    EXPECT_EQ(invoke(&probe, 1, DISPATCH_PROPERTYPUT, {Variant::fromLong(40000)}, nullptr, &argError),
              DISP_E_OVERFLOW);
    EXPECT_EQ(probe.level, 3);

    VARIANT value = Variant::fromLong(1).release();
    DISPID named = 5;
    DISPPARAMS params{&value, &named, 1, 1};
    EXPECT_EQ(probe.Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
              DISP_E_NONAMEDARGS);
    EXPECT_EQ(probe.Invoke(1, IDispatch::iid, 0, DISPATCH_PROPERTYGET, nullptr, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);

    // Nothing thrown inside a member crosses the call.
    EXPECT_EQ(invoke(&probe, 3, DISPATCH_METHOD, {}, &result), E_FAIL);
    EXPECT_EQ(invoke(&probe, 4, DISPATCH_METHOD, {}), E_OUTOFMEMORY);
}
