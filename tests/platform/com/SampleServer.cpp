// The sample server library: one class over a dispatch table, its factory,
// its registration, and its trace of reference counts.
#include "SampleServer.h"

#include "platform/com/ClassFactory.h"
#include "platform/com/DebugOutput.h"
#include "platform/com/DispatchTable.h"
#include "platform/com/Registration.h"
#include "platform/com/Server.h"

#include <atomic>
#include <cstdio>

using namespace qmtest;

namespace {

std::atomic<long> moduleLocks{0};

class CSample final : public DispatchImpl<CSample, ISample> {
public:
    CSample() { ++moduleLocks; }
    ~CSample() { --moduleLocks; }

    static const DispatchTable<CSample>& dispatchTable();

    HRESULT QueryInterface(const IID& riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IUnknown::iid || riid == IDispatch::iid || riid == ISample::iid) {
            *object = static_cast<ISample*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return trace(++refs_); }
    ULONG Release() override
    {
        ULONG n = trace(--refs_);
        if (n == 0)
            delete this;
        return n;
    }

    HRESULT get_Text(BSTR* value) override
    {
        *value = SysAllocStringLen(text_.get(), text_.length());
        return S_OK;
    }
    HRESULT put_Text(BSTR value) override
    {
        if (!value)
            return E_INVALIDARG;
        text_ = Bstr(bstrView(value));
        return S_OK;
    }
    HRESULT Subtract(LONG a, LONG b, LONG* value) override
    {
        *value = a - b;
        return S_OK;
    }

private:
    static ULONG trace(ULONG n)
    {
        char line[40];
        std::snprintf(line, sizeof line, "Ref = %ld, Sample\r\n", static_cast<long>(n));
        OutputDebugStringA(line);
        return n;
    }
    ULONG refs_ = 0;
    Bstr text_{u""};
};

using Table = DispatchTable<CSample>;
const Table& CSample::dispatchTable()
{
    static const Table table{
        Table::row<&ISample::get_Text>(DISPID_Text, "Text", MemberKind::Get),
        Table::row<&ISample::put_Text>(DISPID_Text, "Text", MemberKind::Put),
        Table::row<&ISample::Subtract>(DISPID_Subtract, "Subtract", MemberKind::Method),
    };
    return table;
}

class Factory final : public IClassFactory {
public:
    HRESULT QueryInterface(const IID& riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IUnknown::iid || riid == IClassFactory::iid) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown* outer, const IID& riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* sample = new CSample;
        sample->AddRef();
        HRESULT hr = sample->QueryInterface(riid, object);
        sample->Release();
        return hr;
    }
    HRESULT LockServer(bool lock) override
    {
        moduleLocks += lock ? 1 : -1;
        return S_OK;
    }
};

Factory factory;

InprocClass sampleClass()
{
    InprocClass c;
    c.clsid = CLSID_Sample;
    c.description = "Sample Class";
    c.progId = "QmTest.Sample.1";
    c.versionIndependentProgId = "QmTest.Sample";
    c.modulePath = modulePathOf(reinterpret_cast<const void*>(&DllGetClassObject));
    return c;
}

} // namespace

extern "C" {

HRESULT DllGetClassObject(const CLSID& clsid, const IID& riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_Sample)
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, object);
}

HRESULT DllCanUnloadNow() { return moduleLocks == 0 ? S_OK : S_FALSE; }

HRESULT DllRegisterServer() { return registerInprocClass(sampleClass()); }

HRESULT DllUnregisterServer() { return unregisterInprocClass(sampleClass()); }

}
