#include "platform/datetime/Numbers.h"

#include "platform/fs/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qm::datetime {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Converts an unsigned decimal text (digits, ".", exponent) that has been
// checked already. Out of range: infinity for a huge value, 0 for a tiny one.
double convert(const std::string& number)
{
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value,
                                           std::chars_format::general);
    (void)end;
    if (ec != std::errc::result_out_of_range)
        return value;
    // Decide between overflow and underflow from the decimal exponent of the
    // first significant digit.
    long long magnitude = 0;
    size_t i = 0;
    bool seenPoint = false, seenSignificant = false;
    for (; i < number.size() && number[i] != 'e'; ++i) {
        if (number[i] == '.') {
            seenPoint = true;
        } else if (!seenSignificant && number[i] == '0') {
            if (seenPoint)
                --magnitude;
        } else {
            seenSignificant = true;
            if (!seenPoint)
                ++magnitude;
        }
    }
    if (i < number.size()) {
        // An exponent beyond any double decides by its sign alone.
        const char* first = number.data() + i + 1 + (number[i + 1] == '+');
        long long exp = 0;
        if (std::from_chars(first, number.data() + number.size(), exp).ec != std::errc())
            return *first == '-' ? 0.0 : std::numeric_limits<double>::infinity();
        exp = std::clamp(exp, -100000LL, 100000LL);
        magnitude += exp;
    }
    return magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

} // namespace

double val(std::string_view text)
{
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            s += c;

    size_t pos = 0;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-'))
        negative = s[pos++] == '-';

    std::string number;
    bool digits = false, point = false;
    for (; pos < s.size(); ++pos) {
        if (isDigit(s[pos])) {
            digits = true;
        } else if (s[pos] == '.' && !point) {
            point = true;
        } else {
            break;
        }
        number += s[pos];
    }
    if (!digits)
        return 0.0;

    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E' || s[pos] == 'd' || s[pos] == 'D')) {
        size_t p = pos + 1;
        std::string exponent = "e";
        if (p < s.size() && (s[p] == '+' || s[p] == '-'))
            exponent += s[p++];
        const size_t firstDigit = p;
        while (p < s.size() && isDigit(s[p]))
            exponent += s[p++];
        if (p > firstDigit)
            number += exponent;
    }
    const double value = convert(number);
    return negative ? -value : value;
}

std::optional<long long> parseWholeNumber(std::string_view text)
{
    text = qm::fs::trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !isDigit(text.front()))
        return std::nullopt;
    unsigned long long magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    constexpr auto max = static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    if (magnitude > max + (negative ? 1 : 0))
        return std::nullopt;
    if (negative)
        return static_cast<long long>(0ULL - magnitude);
    return static_cast<long long>(magnitude);
}

std::optional<double> parseNumber(std::string_view text)
{
    text = qm::fs::trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Only plain decimal forms: no "inf", "nan" or hexadecimal.
    if (text.empty() || !(isDigit(text.front()) || text.front() == '.'))
        return std::nullopt;
    for (char c : text)
        if (!(isDigit(c) || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
            return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value,
                                           std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace qm::datetime
