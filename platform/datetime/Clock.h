#pragma once
// "Now" for the programs, through an interface so that logic and tests can
// set the date. The system clock reads the machine's local time, unless the
// environment variable QUILLMATE_FAKE_NOW holds a date-time text (for
// example "2026-03-07 13:05:09"); then that moment is "now", which lets the
// end-to-end tests of the unattended runner choose the day they run on.
#include "platform/datetime/DateTime.h"

#include <optional>

namespace qm::datetime {

inline constexpr const char* FakeNowVariable = "QUILLMATE_FAKE_NOW";

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() const = 0;
};

// The machine's clock, honouring QUILLMATE_FAKE_NOW. A value of that
// variable that does not parse is ignored (with one warning on stderr).
class SystemClock : public Clock {
public:
    DateTime now() const override;
};

// A clock that stands still until told otherwise.
class FixedClock : public Clock {
public:
    explicit FixedClock(DateTime t) : t_(t) {}
    DateTime now() const override { return t_; }
    void set(DateTime t) { t_ = t; }
    void advanceSeconds(long long seconds) { t_ = addSeconds(t_, seconds); }
    void advanceDays(long long days) { t_ = addDays(t_, days); }

private:
    DateTime t_;
};

// The moment QUILLMATE_FAKE_NOW names, when it is set and parses.
std::optional<DateTime> fakeNowFromEnvironment();

// A stateless system clock for code that has no clock handed to it.
const Clock& systemClock();

} // namespace qm::datetime
