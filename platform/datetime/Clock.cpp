#include "platform/datetime/Clock.h"

#include "platform/datetime/DateText.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace qm::datetime {

std::optional<DateTime> fakeNowFromEnvironment()
{
    const char* value = std::getenv(FakeNowVariable);
    if (!value || !*value)
        return std::nullopt;
    auto t = parseDateTime(value);
    if (!t) {
        static std::atomic<bool> warned{false};
        if (!warned.exchange(true))
            std::fprintf(stderr, "%s=\"%s\" is not a date-time; using the real clock\n", FakeNowVariable, value);
    }
    return t;
}

DateTime SystemClock::now() const
{
    if (auto fake = fakeNowFromEnvironment())
        return *fake;
    return fromTimeT(std::time(nullptr));
}

const Clock& systemClock()
{
    static const SystemClock clock;
    return clock;
}

} // namespace qm::datetime
