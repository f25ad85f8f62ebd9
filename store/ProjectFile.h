#pragma once
// Project files as text: the record written as the whole file, the template
// of a new project, and a record read from a file's text. No file access.
#include "store/ProjectRecord.h"

#include <string>
#include <string_view>

namespace qm::profile {
class IniDocument;
}

namespace qm::store {

// The whole project file for `rec`: every line of ProjectLines, each ending
// CR LF; key lines hold the field's value unchanged except that line breaks
// inside it are stored as a single CR.
std::string projectFileText(const ProjectRecord& rec);

// A new project file for `projectName`: the first TemplateLineCount lines,
// every value empty except ProjectName.
std::string projectTemplateText(std::string_view projectName);

// The record a project file gives: each field read as the profile reader
// gives it (section and key as the loader asks for them, at most 255 bytes,
// enclosing quotes dropped); missing sections and keys give empty fields.
ProjectRecord projectFromDocument(const qm::profile::IniDocument& doc);

} // namespace qm::store
