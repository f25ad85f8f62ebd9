#include "mainwindow/LogClearing.h"

#include "platform/fs/FileOps.h"
#include "platform/ui/UiServices.h"
#include "store/AutobackLog.h"

namespace qm::app {

namespace {

// The log deleted and begun afresh; false when either step failed.
bool replaceLog(qm::store::AutobackLog& log, const qm::datetime::Clock& clock)
{
    log.close(); // nothing may go on writing into the file deleted here
    try {
        qm::fs::deleteFile(log.path());
    } catch (const qm::RtError& e) {
        if (e.number != qm::rterr::FileNotFound)
            return false;
    } catch (const std::exception&) {
        return false;
    }
    log.open();
    const bool written = log.isOpen() && log.event(clock.now(), "Quillmate logged cleared by user") &&
                         log.dashes(ClearedSeparator);
    log.close();
    return written;
}

} // namespace

void clearLog(qm::ui::UiServices& ui, qm::store::AutobackLog& log, const qm::datetime::Clock& clock)
{
    using namespace qm::ui::mb;
    if (ui.msgBox("Are you sure you want to clear the log file?", YesNo, "Please Confirm") != Yes)
        return;
    if (replaceLog(log, clock))
        ui.msgBox("Quillmate log file cleared successfully.", OKOnly | Information, "Quillmate");
    else
        ui.msgBox("Unknown error in clearing the log.", OKOnly | Information, "Error");
}

} // namespace qm::app
