#pragma once
// The single-value INI accessors every part of the program uses. Paths are
// in Windows form. Neither passes a failure on: a failure shows a message
// box ("Error: <number>. <description>", OK only, no icon) and gives the
// empty text or false.
#include "platform/profile/IniDocument.h"
#include "platform/profile/Profile.h"

#include <string>

namespace qm::ui {
class UiServices;
}

namespace qm::store {

// The value of `key` in `section` of `file` (blanks trimmed, one pair of
// enclosing quotes dropped, at most 255 bytes), or `defaultValue` when the
// file, the section or the key is missing. Box title "INIGetSettingString".
std::string ReadIni(qm::ui::UiServices& ui, const std::string& section, const std::string& key,
                    const std::string& file, const std::string& defaultValue);

// The whole of `file`, parsed, for reading many values as ReadIni reads
// them (qm::profile::getString with the document): a file that is missing
// or cannot be read gives an empty document; a path that names no file
// shows ReadIni's box once.
qm::profile::IniDocument ReadIniFile(qm::ui::UiServices& ui, const std::string& file);

// Sets `key` in `section` of `file` to `value`, adding the key, the section
// or the file when missing and keeping every other byte of the file; true on
// success. Box title "INIWriteSetting".
bool WriteIni(qm::ui::UiServices& ui, const std::string& section, const std::string& key,
              const std::string& value, const std::string& file);

// Sets several keys of `file` in one rewrite, as WriteIni for each in turn
// would; a failure shows WriteIni's box once and changes nothing.
bool WriteIniValues(qm::ui::UiServices& ui, const std::string& file,
                    std::initializer_list<qm::profile::KeyValue> values);

} // namespace qm::store
