#pragma once
// A file opened for appending on a host path: every write goes to the end
// of the file, as a whole, as another program appending to it would expect.
// Opening and writing report failure by their result; nothing throws, so a
// log that cannot be written never stops the work it logs.
#include <filesystem>
#include <string_view>

namespace qm::fs {

class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(AppendFile&& other) noexcept;
    AppendFile& operator=(AppendFile&& other) noexcept;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens `native` for appending, made (mode 0666 less the umask) when
    // missing. False when it cannot be opened; one already open stays so.
    bool open(const std::filesystem::path& native);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // Writes all of `bytes` at the end; false when not open or the file did
    // not take them all (a full disk, a lost file).
    bool write(std::string_view bytes);

private:
    int fd_ = -1;
};

} // namespace qm::fs
