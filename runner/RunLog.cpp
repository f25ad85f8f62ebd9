#include "runner/RunLog.h"

#include "platform/datetime/DateText.h"
#include "platform/fs/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qm::runner {

RunLog::RunLog(std::string winPath) : path_(std::move(winPath)) {}

RunLog::~RunLog()
{
    close();
}

std::string RunLog::defaultPath()
{
    return qm::fs::appPath() + "\\autoback.log";
}

void RunLog::open()
{
    if (isOpen())
        return;
    try {
        const std::filesystem::path native = qm::fs::toNative(path_);
        fd_ = ::open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    } catch (const std::exception&) {
        fd_ = -1;
    }
}

void RunLog::close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void RunLog::writeAll(const std::string& bytes)
{
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // a full disk or a lost file loses the line, not the run
        p += n;
        left -= size_t(n);
    }
}

void RunLog::line(const std::string& text)
{
    const bool byItself = !isOpen();
    if (byItself)
        open();
    if (isOpen())
        writeAll(text + "\r\n");
    if (byItself)
        close();
}

void RunLog::event(const qm::datetime::DateTime& now, const std::string& message)
{
    line(qm::datetime::formatDateTime(now) + "\t" + message);
}

void RunLog::more(const std::string& text)
{
    line("\t\t\t" + text);
}

void RunLog::dashes(int count)
{
    line(std::string(size_t(count > 0 ? count : 0), '-'));
}

} // namespace qm::runner
