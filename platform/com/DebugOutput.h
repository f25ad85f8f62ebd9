#pragma once
// The debugger output: servers trace what a developer may want to follow
// (reference counts) with OutputDebugStringA. By default the text goes to
// standard error when QUILLMATE_DEBUG_COM=1 and nowhere otherwise; a test
// installs a sink of its own to capture it.
#include <functional>
#include <string_view>

namespace qm::com {

void OutputDebugStringA(const char* text);

using DebugSink = std::function<void(std::string_view text)>;
// Replaces the sink for the whole process and gives back the one before; an
// empty sink brings back the default.
DebugSink setDebugSink(DebugSink sink);

} // namespace qm::com
