#pragma once
// The one box a procedure's error trap shows: the text with the critical
// icon under the title "Error!". Errors travel as exceptions (qm::RtError)
// up to the procedure that started the operation and are shown there once.
#include "platform/fs/RtError.h"
#include "platform/ui/UiServices.h"

#include <exception>
#include <string>
#include <string_view>

namespace qm::app {

inline void showError(qm::ui::UiServices& ui, const std::string& text)
{
    ui.msgBox(text, qm::ui::mb::OKOnly | qm::ui::mb::Critical, "Error!");
}

// The number of a failure: a run-time error's own, 51 for anything else.
inline int errorNumber(const std::exception& e)
{
    const auto* rt = dynamic_cast<const qm::RtError*>(&e);
    return rt ? rt->number : 51;
}

// `lead`, the failure's number, CR LF and its description: the text most
// error traps of the windows show ("Error: 76" CR LF "Path not found").
inline std::string errorLines(const std::exception& e, std::string_view lead = "Error: ")
{
    return std::string(lead) + std::to_string(errorNumber(e)) + "\r\n" + e.what();
}

} // namespace qm::app
