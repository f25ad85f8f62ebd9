#pragma once
// The project files of one run, each read once: the document read for the
// due check serves the project's backup too, and is read again only when
// the file changed in between (its FileStamp).
#include "platform/fs/FileStamp.h"
#include "platform/profile/IniDocument.h"

#include <map>
#include <string>

namespace qm::ui {
class UiServices;
}

namespace qm::runner {

class ProjectDocuments {
public:
    explicit ProjectDocuments(qm::ui::UiServices& ui) : ui_(ui) {}

    // The file at the Windows-form path `winPath`, parsed (read as
    // qm::store::ReadIniFile reads it). The reference holds until the next
    // call for the same path.
    const qm::profile::IniDocument& read(const std::string& winPath);

private:
    struct Kept {
        qm::fs::FileStamp stamp;
        qm::profile::IniDocument doc;
    };
    qm::ui::UiServices& ui_;
    std::map<std::string, Kept> kept_;
};

} // namespace qm::runner
