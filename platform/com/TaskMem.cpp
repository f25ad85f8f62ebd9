#include "platform/com/TaskMem.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace qm::com {

void* CoTaskMemAlloc(std::size_t bytes) { return std::malloc(bytes ? bytes : 1); }

void CoTaskMemFree(void* memory) { std::free(memory); }

OLECHAR* taskMemString(std::u16string_view text)
{
    if (text.size() >= std::numeric_limits<std::size_t>::max() / sizeof(OLECHAR))
        return nullptr;
    auto* s = static_cast<OLECHAR*>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
    if (!s)
        return nullptr;
    if (!text.empty())
        std::memcpy(s, text.data(), text.size() * sizeof(OLECHAR));
    s[text.size()] = u'\0';
    return s;
}

} // namespace qm::com
