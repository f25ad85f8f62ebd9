#pragma once
// An IDispatch that only counts its references, for tests of what holds
// and releases objects.
#include "platform/com/Dispatch.h"

namespace qm::test {

class CountingObject final : public com::IDispatch {
public:
    com::ULONG refs = 1; // the test's own reference

    com::HRESULT QueryInterface(const com::IID& riid, void** object) override
    {
        if (riid == com::IUnknown::iid || riid == com::IDispatch::iid) {
            *object = this;
            AddRef();
            return com::S_OK;
        }
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return ++refs; }
    com::ULONG Release() override { return --refs; }
    com::HRESULT GetTypeInfoCount(com::UINT*) override { return com::E_NOTIMPL; }
    com::HRESULT GetTypeInfo(com::UINT, com::LCID, com::ITypeInfo**) override { return com::E_NOTIMPL; }
    com::HRESULT GetIDsOfNames(const com::IID&, com::LPOLESTR*, com::UINT, com::LCID, com::DISPID*) override
    {
        return com::E_NOTIMPL;
    }
    com::HRESULT Invoke(com::DISPID, const com::IID&, com::LCID, com::WORD, com::DISPPARAMS*, com::VARIANT*,
                        com::EXCEPINFO*, com::UINT*) override
    {
        return com::E_NOTIMPL;
    }
};

} // namespace qm::test
