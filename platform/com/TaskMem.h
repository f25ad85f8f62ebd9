#pragma once
// Memory that crosses an interface call and is freed by the other side:
// strings and arrays that a callee allocates with CoTaskMemAlloc and the
// caller frees with CoTaskMemFree (names of work items, application names,
// computer names). Both sides use this library, so the pair always matches.
#include "platform/com/Bstr.h"

#include <cstddef>
#include <string_view>

namespace qm::com {

// Null when the memory cannot be had. Zero bytes give a valid pointer.
void* CoTaskMemAlloc(std::size_t bytes);
// Null is harmless.
void CoTaskMemFree(void* memory);

// A NUL-terminated copy of `text` in task memory; null when out of memory.
OLECHAR* taskMemString(std::u16string_view text);

} // namespace qm::com
