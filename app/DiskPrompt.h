#pragma once
// The question of every zip control's disk request in the main program:
// the normal pointer back, then "Please insert disk #n" (or, for disk 0,
// the last disk of the set) with OK and Cancel. True when OK was pressed.
#include "platform/ui/UiServices.h"

#include <string>

namespace qm::app {

inline bool askForDisk(qm::ui::UiServices& ui, int disk)
{
    ui.normalPointer();
    const std::string text = disk != 0 ? "Please insert disk #" + std::to_string(disk)
                                       : "This zip file is part of a multiple disks zip file. Please insert the "
                                         "last disk of the set.";
    return ui.msgBox(text, qm::ui::mb::OKCancel | qm::ui::mb::Information, qm::ui::DefaultTitle) == qm::ui::mb::OK;
}

} // namespace qm::app
