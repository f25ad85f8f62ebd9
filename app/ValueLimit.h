#pragma once
// The longest value a project file or the user options give back whole (the
// profile reader's limit). Every road of the record editor and the user
// options window that puts a value into a record refuses a longer one here,
// before anything is stored, so that nothing is saved that a later load
// would cut.
#include <string_view>

namespace qm::ui {
class UiServices;
}

namespace qm::app {

// The file a value is refused for, as the box names it.
enum class ValueFile { Project, UserOptions };

// True, after an "Error!" box that names `what` ("The comment", ...), says
// how long the value is and names the file it would go into, when `value` is
// too long to be kept whole.
bool refuseOverlong(qm::ui::UiServices& ui, std::string_view what, std::string_view value,
                    ValueFile file = ValueFile::Project);
// The same for the card's column of that caption: "The field "<caption>"".
bool refuseOverlongField(qm::ui::UiServices& ui, std::string_view caption, std::string_view value,
                         ValueFile file = ValueFile::Project);

} // namespace qm::app
