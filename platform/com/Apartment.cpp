#include "platform/com/Apartment.h"

namespace qm::com {

namespace {
thread_local unsigned apartmentDepth = 0;
}

HRESULT CoInitialize(void*) { return apartmentDepth++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize()
{
    if (apartmentDepth > 0)
        --apartmentDepth;
}

} // namespace qm::com
