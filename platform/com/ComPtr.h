#pragma once
// ComPtr<T>: one counted reference to an interface, released when the
// pointer goes (a null one releases nothing). Copies add a reference, moves
// hand it on. put() serves out arguments of creation calls:
//     ComPtr<IDispatch> d;
//     HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IDispatch::iid, d.putVoid());
// and queryInterface() asks for another interface by its `iid`.
#include "platform/com/Unknown.h"

#include <cstddef>
#include <utility>

namespace qm::com {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Adds a reference of its own to `p`.
    static ComPtr share(T* p)
    {
        if (p)
            p->AddRef();
        return attach(p);
    }
    // Takes over the reference the caller holds.
    static ComPtr attach(T* p)
    {
        ComPtr c;
        c.p_ = p;
        return c;
    }

    ComPtr(const ComPtr& other) : p_(other.p_)
    {
        if (p_)
            p_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : p_(other.detach()) {}
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    void reset()
    {
        if (T* p = std::exchange(p_, nullptr))
            p->Release();
    }
    T* detach() { return std::exchange(p_, nullptr); }
    // For an out argument: releases what is held and hands the slot.
    T** put()
    {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    template <class U>
    HRESULT queryInterface(ComPtr<U>& out) const
    {
        out.reset();
        if (!p_)
            return E_POINTER;
        return p_->QueryInterface(U::iid, out.putVoid());
    }

private:
    T* p_ = nullptr;
};

} // namespace qm::com
