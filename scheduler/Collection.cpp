#include "scheduler/Collection.h"

#include "platform/com/ComPtr.h"
#include "platform/com/EnumVariant.h"
#include "platform/tasksched/Counted.h"

#include <algorithm>
#include <cstdint>

namespace qm::cronolet {

using com::E_FAIL;
using com::E_OUTOFMEMORY;
using com::E_POINTER;
using com::S_FALSE;
using com::S_OK;
using com::ULONG;

namespace {

// The enumerator of _NewEnum, counted as the task scheduler's objects are.
// It keeps its collection alive and walks the collection's elements by
// position, so a refill while it lives only changes what Next() sees.
class CEnumVariant final : public tasksched::Counted<com::IEnumVARIANT> {
public:
    CEnumVariant(com::ComPtr<IUnknown> owner, const std::vector<com::Variant>& items, std::size_t at)
        : owner_(std::move(owner)), items_(items), at_(at)
    {
    }

    HRESULT Next(ULONG count, VARIANT* items, ULONG* fetched) override
    {
        if (!items || (!fetched && count != 1))
            return E_POINTER;
        ULONG n = 0;
        for (; n < count && at_ < items_.size(); ++n, ++at_) {
            com::VariantInit(&items[n]);
            const HRESULT hr = com::VariantCopy(&items[n], &items_[at_].get());
            if (com::FAILED(hr)) {
                for (ULONG i = 0; i < n; ++i)
                    com::VariantClear(&items[i]);
                at_ -= n;
                if (fetched)
                    *fetched = 0;
                return hr;
            }
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        const std::size_t left = at_ < items_.size() ? items_.size() - at_ : 0;
        const std::size_t n = std::min<std::size_t>(count, left);
        at_ += n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Reset() override
    {
        at_ = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumVARIANT** copy) override
    {
        if (!copy)
            return E_POINTER;
        *copy = nullptr;
        try {
            return tasksched::giveNew(new CEnumVariant(owner_, items_, at_), IEnumVARIANT::iid,
                                      reinterpret_cast<void**>(copy));
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

private:
    ~CEnumVariant() override = default;

    ModuleLock lock_;
    com::ComPtr<IUnknown> owner_;
    const std::vector<com::Variant>& items_; // owned by owner_
    std::size_t at_;
};

} // namespace

template <class Interface>
HRESULT CCollection<Interface>::get__NewEnum(IUnknown** pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    try {
        auto owner = com::ComPtr<IUnknown>::share(static_cast<Interface*>(this));
        return tasksched::giveNew(new CEnumVariant(std::move(owner), items_, 0), IUnknown::iid,
                                  reinterpret_cast<void**>(pVal));
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

template <class Interface>
HRESULT CCollection<Interface>::get_Item(LONG Index, VARIANT* pVal)
{
    if (!pVal)
        return E_POINTER;
    com::VariantInit(pVal);
    // Index counts from 1; 1 or less is the first element.
    const std::int64_t at = std::max<std::int64_t>(0, std::int64_t{Index} - 1);
    if (at >= static_cast<std::int64_t>(items_.size()))
        return E_FAIL;
    return com::VariantCopy(pVal, &items_[static_cast<std::size_t>(at)].get());
}

template <class Interface>
HRESULT CCollection<Interface>::get_Count(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = static_cast<LONG>(items_.size());
    return S_OK;
}

template <class Interface>
const com::DispatchTable<CCollection<Interface>>& CCollection<Interface>::dispatchTable()
{
    using Table = com::DispatchTable<CCollection>;
    using com::MemberKind;
    static const Table table{
        Table::template row<&Interface::get__NewEnum>(com::DISPID_NEWENUM, "_NewEnum", MemberKind::Get),
        Table::template row<&Interface::get_Item>(com::DISPID_VALUE, "Item", MemberKind::Get),
        Table::template row<&Interface::get_Count>(1, "Count", MemberKind::Get),
    };
    return table;
}

template class CCollection<ScheduledTasks>;
template class CCollection<Triggers>;

} // namespace qm::cronolet
