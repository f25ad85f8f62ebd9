#include "app/ValueLimit.h"

#include "app/ErrorBox.h"
#include "platform/profile/Profile.h"

#include <string>

namespace qm::app {

bool refuseOverlong(qm::ui::UiServices& ui, std::string_view what, std::string_view value, ValueFile file)
{
    if (qm::profile::fitsValue(value))
        return false;
    const char* keeper = file == ValueFile::UserOptions ? "the user options file" : "a project file";
    showError(ui, std::string(what) + " is too long to be saved: it takes " +
                      std::to_string(qm::profile::storedLength(value)) + " bytes, and " + keeper +
                      " keeps at most " + std::to_string(qm::profile::MaxValueLength) +
                      " bytes of a field (a plain letter, digit or sign takes one byte).\r\n"
                      "\r\n"
                      "Please shorten it.");
    return true;
}

bool refuseOverlongField(qm::ui::UiServices& ui, std::string_view caption, std::string_view value, ValueFile file)
{
    return refuseOverlong(ui, "The field \"" + std::string(caption) + "\"", value, file);
}

} // namespace qm::app
