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

bool AutobackLog::line(const std::string& text)
{
    const bool byItself = !isOpen();
    if (byItself)
        open();
    const bool written = file_.write(text + "\r\n"); // a full disk or a lost file loses the line, not the run
    if (byItself)
        close();
    return written;
}

bool AutobackLog::event(const qm::datetime::DateTime& now, const std::string& message)
{
    return line(qm::datetime::formatDateTime(now) + "\t" + message);
}

bool AutobackLog::more(const std::string& text) { return line("\t\t\t" + text); }

bool AutobackLog::dashes(int count) { return line(std::string(size_t(count > 0 ? count : 0), '-')); }

} // namespace qm::store
