#include "platform/fs/Text.h"

namespace qm::fs {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }
} // namespace

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace qm::fs
