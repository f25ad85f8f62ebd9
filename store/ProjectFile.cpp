#include "store/ProjectFile.h"

#include "store/ProjectLayout.h"
#include "platform/profile/Profile.h"

namespace qm::store {

namespace {

// Writes the first `count` lines; `value(field)` gives each key line's value.
template <class ValueOf>
std::string layoutText(std::size_t count, ValueOf value)
{
    std::string out;
    out.reserve(count * 32);
    for (std::size_t i = 0; i < count; ++i) {
        const ProjectLine& line = ProjectLines[i];
        switch (line.kind) {
        case ProjectLine::Kind::Section:
            out.append("[").append(line.text).append("]");
            break;
        case ProjectLine::Kind::Key:
            out.append(line.text).append("=").append(qm::profile::storedValue(value(line.field)));
            break;
        case ProjectLine::Kind::EmptyKey:
            out.append(line.text).append("=");
            break;
        case ProjectLine::Kind::Blank:
            break;
        }
        out.append("\r\n");
    }
    return out;
}

} // namespace

std::string projectFileText(const ProjectRecord& rec)
{
    return layoutText(ProjectLines.size(), [&](int field) -> std::string_view { return rec.field(field); });
}

std::string projectTemplateText(std::string_view projectName)
{
    return layoutText(TemplateLineCount, [&](int field) -> std::string_view {
        return field == static_cast<int>(ProjectField::ProjectName) ? projectName : std::string_view();
    });
}

ProjectRecord projectFromDocument(const qm::profile::IniDocument& doc)
{
    ProjectRecord rec;
    for (const ProjectLine& line : ProjectLines)
        if (line.kind == ProjectLine::Kind::Key)
            rec.field(line.field) = qm::profile::getString(doc, line.loadSection, line.loadKey, "");
    return rec;
}

} // namespace qm::store
