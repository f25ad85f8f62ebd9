#pragma once
// Test helpers: run a block under a given time zone or C locale.
#include "TestSupport.h"

#include <clocale>
#include <ctime>
#include <optional>
#include <string>

namespace qm::test {

class ScopedTz {
public:
    explicit ScopedTz(const std::string& zone) : env_(std::in_place, "TZ", zone) { tzset(); }
    ~ScopedTz()
    {
        env_.reset();
        tzset();
    }
    ScopedTz(const ScopedTz&) = delete;
    ScopedTz& operator=(const ScopedTz&) = delete;

private:
    std::optional<ScopedEnv> env_;
};

// Sets LC_ALL for the life of the object; active() is false when the
// machine does not have the locale.
class ScopedCLocale {
public:
    explicit ScopedCLocale(const std::string& name)
    {
        if (const char* old = std::setlocale(LC_ALL, nullptr))
            old_ = old;
        active_ = std::setlocale(LC_ALL, name.c_str()) != nullptr;
    }
    ~ScopedCLocale() { std::setlocale(LC_ALL, old_.c_str()); }
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;
    bool active() const { return active_; }

private:
    std::string old_ = "C";
    bool active_ = false;
};

} // namespace qm::test
