#pragma once
// The one box a procedure's error trap shows: the text with the critical
// icon under the title "Error!". Errors travel as exceptions (qm::RtError)
// up to the procedure that started the operation and are shown there once.
#include "platform/ui/UiServices.h"

#include <string>

namespace qm::app {

inline void showError(qm::ui::UiServices& ui, const std::string& text)
{
    ui.msgBox(text, qm::ui::mb::OKOnly | qm::ui::mb::Critical, "Error!");
}

} // namespace qm::app
