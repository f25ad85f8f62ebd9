#pragma once
// Clearing autoback.log: after the user confirms, the log is deleted and
// begun afresh with the line that records the clearing and a short
// separator, so that the next run's lines follow them.
#include "platform/datetime/Clock.h"

namespace qm::ui {
class UiServices;
}
namespace qm::store {
class AutobackLog;
}

namespace qm::app {

// The separator after the clearing line (a manual run's has 72 dashes).
inline constexpr int ClearedSeparator = 55;

// Asks "Are you sure ..." (Yes/No); on No nothing changes. On Yes the log is
// deleted (a missing one is fine) and written anew through `log`: the
// date-time of `clock`, TAB, "Quillmate logged cleared by user", then the
// 55 dashes. Success is reported; a log that cannot be deleted or written
// gives "Unknown error in clearing the log." instead.
void clearLog(qm::ui::UiServices& ui, qm::store::AutobackLog& log, const qm::datetime::Clock& clock);

} // namespace qm::app
