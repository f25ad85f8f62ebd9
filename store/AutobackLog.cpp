#include "store/AutobackLog.h"

#include "platform/datetime/DateText.h"
#include "platform/fs/Paths.h"

namespace qm::store {

AutobackLog::AutobackLog(std::string winPath) : path_(std::move(winPath)) {}

std::string AutobackLog::defaultPath() { return qm::fs::appPath() + "\\autoback.log"; }

void AutobackLog::open()
{
    try {
        file_.open(qm::fs::toNative(path_));
    } catch (const std::exception&) {
        // A path that names no file: the lines are lost.
    }
}

void AutobackLog::line(const std::string& text)
{
    const bool byItself = !isOpen();
    if (byItself)
        open();
    file_.write(text + "\r\n"); // a full disk or a lost file loses the line, not the run
    if (byItself)
        close();
}

void AutobackLog::event(const qm::datetime::DateTime& now, const std::string& message)
{
    line(qm::datetime::formatDateTime(now) + "\t" + message);
}

void AutobackLog::more(const std::string& text) { line("\t\t\t" + text); }

void AutobackLog::dashes(int count) { line(std::string(size_t(count > 0 ? count : 0), '-')); }

} // namespace qm::store
