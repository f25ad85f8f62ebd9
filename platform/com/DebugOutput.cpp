#include "platform/com/DebugOutput.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace qm::com {

namespace {

struct SinkSlot {
    std::recursive_mutex lock;
    DebugSink sink;
};

// Never destroyed: servers may still trace while the process ends.
SinkSlot& slot()
{
    static SinkSlot* s = new SinkSlot;
    return *s;
}

void defaultSink(std::string_view text)
{
    const char* on = std::getenv("QUILLMATE_DEBUG_COM");
    if (on && std::strcmp(on, "1") == 0) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }
}

} // namespace

void OutputDebugStringA(const char* text)
{
    if (!text)
        return;
    SinkSlot& s = slot();
    std::lock_guard guard(s.lock);
    if (s.sink)
        s.sink(text);
    else
        defaultSink(text);
}

DebugSink setDebugSink(DebugSink sink)
{
    SinkSlot& s = slot();
    std::lock_guard guard(s.lock);
    return std::exchange(s.sink, std::move(sink));
}

} // namespace qm::com
