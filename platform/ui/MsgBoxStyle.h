#pragma once
// Taking a message box style apart: its button set, icon and default button,
// and the results its buttons give. Shared by every UiServices implementation.
#include "platform/ui/UiServices.h"

#include <string>
#include <vector>

namespace qm::ui {

enum class Icon { None, Critical, Question, Exclamation, Information };

// The button set (mb::OKOnly .. mb::RetryCancel); an unknown set is OKOnly.
int buttonSetOf(int style);
Icon iconOf(int style);
// The results of the set's buttons in their classic order, for example
// {Yes, No, Cancel} for YesNoCancel.
std::vector<int> buttonResults(int buttonSet);
// 1-based position of the default button; a position past the last button
// of the set falls back to the first, as the classic box does.
int defaultButtonOf(int style);
// The result of the default button: what Enter gives.
int defaultResultOf(int style);
// The result a box gives when the user closes it (Esc or the title bar's
// close): Cancel where the set has it, OK for OKOnly; sets without a
// cancelling button (YesNo, AbortRetryIgnore) give their own refusing
// answer (No, Abort).
int escapeResultOf(int style);

// The title a box shows: `title`, or DefaultTitle when it is empty.
std::string shownTitle(const std::string& title);

// Name of a result ("OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No").
const char* resultName(int result);

} // namespace qm::ui
