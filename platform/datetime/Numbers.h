#pragma once
// Numbers read from text with "." as the decimal point, whatever the
// machine's locale.
#include <optional>
#include <string_view>

namespace qm::datetime {

// The classic Val(): the number at the start of a text, 0 when there is
// none. Blanks, tabs and line feeds anywhere in the text are skipped
// ("1 234" is 1234); reading stops at the first character that cannot
// continue the number ("12abc" is 12, "3.5.1" is 3.5, "1e3" is 1000).
// A value too large for a double gives +/- infinity.
double val(std::string_view text);

// A whole number and nothing else, blanks around it allowed: "42", " -7 ",
// "+3". Empty text, a fraction, trailing text or overflow give std::nullopt.
std::optional<long long> parseWholeNumber(std::string_view text);

// A decimal number and nothing else, blanks around it allowed: "3.25",
// "-.5", "1e3". Anything else gives std::nullopt.
std::optional<double> parseNumber(std::string_view text);

} // namespace qm::datetime
