#pragma once
// Reference counting and QueryInterface for the layer's objects of one
// interface: a new object starts at 0 and goes when its count falls to 0.
#include "platform/com/Unknown.h"

#include <atomic>

namespace qm::tasksched {

template <class Interface>
class Counted : public Interface {
public:
    com::HRESULT QueryInterface(const com::IID& riid, void** object) override
    {
        if (!object)
            return com::E_POINTER;
        if (riid != com::IUnknown::iid && riid != Interface::iid) {
            *object = nullptr;
            return com::E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        this->AddRef();
        return com::S_OK;
    }
    com::ULONG AddRef() override { return ++refs_; }
    com::ULONG Release() override
    {
        const com::ULONG n = --refs_;
        if (n == 0)
            delete this;
        return n;
    }

protected:
    virtual ~Counted() = default;

private:
    std::atomic<com::ULONG> refs_{0};
};

// Hands a new object out as `riid`; it goes again when it has no such interface.
template <class T>
com::HRESULT giveNew(T* object, const com::IID& riid, void** out)
{
    object->AddRef();
    const com::HRESULT hr = object->QueryInterface(riid, out);
    object->Release();
    return hr;
}

} // namespace qm::tasksched
