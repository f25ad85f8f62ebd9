#include "platform/datetime/DateText.h"

#include "platform/fs/Text.h"

#include <cstdio>

namespace qm::datetime {

namespace {

int hour12(int hour)
{
    const int h = hour % 12;
    return h == 0 ? 12 : h;
}

// A small cursor over the text being parsed.
class Scanner {
public:
    explicit Scanner(std::string_view s) : s_(s) {}

    bool atEnd() const { return pos_ >= s_.size(); }
    char peek() const { return atEnd() ? '\0' : s_[pos_]; }
    size_t pos() const { return pos_; }
    void reset(size_t pos) { pos_ = pos; }

    bool accept(char c)
    {
        if (peek() != c)
            return false;
        ++pos_;
        return true;
    }

    // Skips blanks; returns whether any were skipped.
    bool skipBlanks()
    {
        const size_t start = pos_;
        while (!atEnd() && (s_[pos_] == ' ' || s_[pos_] == '\t'))
            ++pos_;
        return pos_ != start;
    }

    // Reads between minDigits and maxDigits decimal digits; fails when there
    // are fewer, or more digits follow.
    std::optional<int> number(int minDigits, int maxDigits)
    {
        int value = 0;
        int count = 0;
        while (!atEnd() && s_[pos_] >= '0' && s_[pos_] <= '9') {
            if (++count > maxDigits)
                return std::nullopt;
            value = value * 10 + (s_[pos_] - '0');
            ++pos_;
        }
        if (count < minDigits)
            return std::nullopt;
        return value;
    }

    // Reads "AM" or "PM" without regard to case: 0 for AM, 12 for PM.
    std::optional<int> meridiem()
    {
        if (s_.size() - pos_ < 2)
            return std::nullopt;
        const char a = static_cast<char>(s_[pos_] | 0x20);
        const char m = static_cast<char>(s_[pos_ + 1] | 0x20);
        if (m != 'm' || (a != 'a' && a != 'p'))
            return std::nullopt;
        pos_ += 2;
        return a == 'a' ? 0 : 12;
    }

private:
    std::string_view s_;
    size_t pos_ = 0;
};

// h:mm[:ss] with an optional AM/PM, which may follow blanks.
bool parseTime(Scanner& sc, DateTime& dt)
{
    auto hour = sc.number(1, 2);
    if (!hour || !sc.accept(':'))
        return false;
    auto minute = sc.number(1, 2);
    if (!minute)
        return false;
    std::optional<int> second = 0;
    if (sc.accept(':')) {
        second = sc.number(1, 2);
        if (!second)
            return false;
    }
    const size_t beforeBlanks = sc.pos();
    sc.skipBlanks();
    if (auto offset = sc.meridiem()) {
        if (*hour < 1 || *hour > 12)
            return false;
        *hour = *hour % 12 + *offset;
    } else {
        sc.reset(beforeBlanks);
    }
    if (!isValidTime(*hour, *minute, *second))
        return false;
    dt.hour = *hour;
    dt.minute = *minute;
    dt.second = *second;
    return true;
}

} // namespace

std::string formatDate(const DateTime& dt)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d/%d/%04d", dt.month, dt.day, dt.year);
    return buf;
}

std::string formatTime(const DateTime& dt)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", hour12(dt.hour), dt.minute, dt.second,
                  dt.hour < 12 ? "AM" : "PM");
    return buf;
}

std::string formatDateTime(const DateTime& dt)
{
    return formatDate(dt) + ' ' + formatTime(dt);
}

std::string formatGeneral(const DateTime& dt)
{
    return dt.hasTime() ? formatDateTime(dt) : formatDate(dt);
}

std::string formatIso(const DateTime& dt)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", dt.year, dt.month, dt.day, dt.hour,
                  dt.minute, dt.second);
    return buf;
}

std::optional<DateTime> parseDateTime(std::string_view text)
{
    text = qm::fs::trimBlanks(text);
    if (text.empty())
        return std::nullopt;
    Scanner sc(text);
    DateTime dt;   // a time alone lies on day 0, 12/30/1899

    auto first = sc.number(1, 4);
    if (!first)
        return std::nullopt;
    bool iso = false;
    if (sc.pos() <= 2 && sc.accept('/')) {
        auto day = sc.number(1, 2);
        if (!day || !sc.accept('/'))
            return std::nullopt;
        auto year = sc.number(4, 4);
        if (!year)
            return std::nullopt;
        dt.year = *year;
        dt.month = *first;
        dt.day = *day;
    } else if (sc.pos() == 4 && sc.accept('-')) {
        iso = true;
        auto month = sc.number(1, 2);
        if (!month || !sc.accept('-'))
            return std::nullopt;
        auto day = sc.number(1, 2);
        if (!day)
            return std::nullopt;
        dt.year = *first;
        dt.month = *month;
        dt.day = *day;
    } else if (sc.peek() == ':') {
        sc.reset(0);
        if (!parseTime(sc, dt) || !sc.atEnd())
            return std::nullopt;
        return dt;
    } else {
        return std::nullopt;
    }
    if (!isValidDate(dt.year, dt.month, dt.day))
        return std::nullopt;
    if (sc.atEnd())
        return dt;

    const bool blanks = sc.skipBlanks();
    if (!blanks && !(iso && (sc.accept('T') || sc.accept('t'))))
        return std::nullopt;
    if (!parseTime(sc, dt) || !sc.atEnd())
        return std::nullopt;
    return dt;
}

} // namespace qm::datetime
