#pragma once
// Apartments: each thread that uses automation objects enters once with
// CoInitialize and leaves with CoUninitialize. Calls nest: the first
// CoInitialize of a thread gives S_OK, each further one S_FALSE, and every
// one of them is balanced by one CoUninitialize. A CoUninitialize with no
// CoInitialize left to balance does nothing. Objects are called on the
// thread that made them; nothing here is required before creating one.
#include "platform/com/Result.h"

namespace qm::com {

HRESULT CoInitialize(void* reserved = nullptr);
void CoUninitialize();

} // namespace qm::com
