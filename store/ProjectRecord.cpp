#include "store/ProjectRecord.h"

#include "store/ProjectLayout.h"
#include "platform/fs/RtError.h"
#include "platform/fs/NoCase.h"

namespace qm::store {

namespace {

constexpr auto FieldNames = [] {
    std::array<std::string_view, ProjectFieldCount> names{};
    for (const ProjectLine& line : ProjectLines)
        if (line.kind == ProjectLine::Kind::Key)
            names[static_cast<std::size_t>(line.field)] = line.text;
    return names;
}();

// Every field but the unused one has exactly one key line.
constexpr bool eachFieldOnce()
{
    std::array<int, ProjectFieldCount> uses{};
    for (const ProjectLine& line : ProjectLines)
        if (line.kind == ProjectLine::Kind::Key)
            ++uses[static_cast<std::size_t>(line.field)];
    for (std::size_t i = 0; i < uses.size(); ++i)
        if (uses[i] != (i == static_cast<std::size_t>(ProjectField::Unused167) ? 0 : 1))
            return false;
    return true;
}
static_assert(eachFieldOnce(), "each field but 167 has exactly one key line");

[[noreturn]] void outOfRange(int number)
{
    throw qm::RtError(9, "Subscript out of range: project field " + std::to_string(number));
}

} // namespace

std::string_view fieldName(ProjectField f)
{
    auto i = static_cast<std::size_t>(f);
    return i < FieldNames.size() ? FieldNames[i] : std::string_view();
}

std::optional<ProjectField> fieldByName(std::string_view name)
{
    if (name.empty())
        return std::nullopt;
    for (std::size_t i = 0; i < FieldNames.size(); ++i)
        if (qm::fs::equalsNoCase(FieldNames[i], name))
            return static_cast<ProjectField>(i);
    return std::nullopt;
}

std::string& ProjectRecord::field(int number)
{
    if (number < 0 || number >= ProjectFieldCount)
        outOfRange(number);
    return fields[static_cast<std::size_t>(number)];
}

const std::string& ProjectRecord::field(int number) const
{
    return const_cast<ProjectRecord*>(this)->field(number);
}

std::string* ProjectRecord::byName(std::string_view name)
{
    auto f = fieldByName(name);
    return f ? &(*this)[*f] : nullptr;
}

const std::string* ProjectRecord::byName(std::string_view name) const
{
    return const_cast<ProjectRecord*>(this)->byName(name);
}

} // namespace qm::store
