#pragma once
// What the self-extractor does after a successful extraction: file
// associations, a program group, the readme and the command list. Every
// action fails silently.
#include "platform/desktop/Desktop.h"
#include "sfxstub/SfxConfig.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm::sfxstub {

// Lines "extension|program|description". 1 when every line was done, 0 when
// a malformed line stopped the list.
int RegisterAssociations(std::string_view list);

// The group and its items ("command|name" lines) as program-manager
// commands; a command longer than GroupCommandLimit is left out. 0 when
// there is no program manager.
inline constexpr size_t GroupCommandLimit = 1024;
int CreateProgramGroup(qm::desktop::ProgramManager* manager, std::string_view group, std::string_view items);

// Shows ReadmeFile in the text editor and waits for it.
void ShowReadme(SfxConfig& c);

// One line of the command list: its kind (0 plain, 'C', 'K', 'R') and fields.
struct CommandLineItem {
    char kind = 0;
    std::vector<std::string> fields;
};
// Nothing for a line whose field count does not fit its kind.
std::optional<CommandLineItem> parseCommandItem(std::string_view line);
void RunPostCommands(SfxConfig& c);

// The four kinds of commands.
void RunCommandAndWait(const std::string& file, const std::string& parameters);
void CopyIfNewer(const std::string& source, const std::string& target);
void WriteRegistryValue(const std::string& key, const std::string& name, const std::string& data);
void RegisterServer(const std::string& library);

// The argument vector that opens `file` with `executable` (a host path).
std::vector<std::string> commandFor(const std::string& executable, const std::string& file,
                                    const std::string& parameters);

} // namespace qm::sfxstub
