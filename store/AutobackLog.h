#pragma once
// autoback.log, the shared run log in the program folder, which the manual
// operations and the unattended runner write alike: one object, opened for
// appending at the start of a logged operation and closed at its end. Each
// line is written to the file at once and ends with CR LF. A line written
// while the log is closed is appended by itself (open, write, close). The
// log never stops a run: a log that cannot be opened or written loses its
// lines and the run goes on.
#include "platform/datetime/DateTime.h"
#include "platform/fs/AppendFile.h"

#include <string>

namespace qm::store {

class AutobackLog {
public:
    // `winPath`: the log file in Windows form.
    explicit AutobackLog(std::string winPath);
    AutobackLog(const AutobackLog&) = delete;
    AutobackLog& operator=(const AutobackLog&) = delete;

    // The program folder's "autoback.log".
    static std::string defaultPath();

    const std::string& path() const { return path_; }
    void open();
    void close() { file_.close(); }
    bool isOpen() const { return file_.isOpen(); }

    // Each writer says whether its line reached the file; callers that only
    // log may pass over the answer.
    // `text` and CR LF.
    bool line(const std::string& text);
    // An event line: the date-time text of `now`, TAB, the message.
    bool event(const qm::datetime::DateTime& now, const std::string& message);
    // A continuation line: three TABs and the text.
    bool more(const std::string& text);
    // A line of `count` dashes.
    bool dashes(int count);

    // The separator that closes a backup pass and opens a manual run: 72 dashes.
    static constexpr int PassSeparator = 72;

private:
    std::string path_;
    qm::fs::AppendFile file_;
};

} // namespace qm::store
