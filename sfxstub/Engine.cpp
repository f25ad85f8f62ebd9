#include "sfxstub/Engine.h"

#include "platform/datetime/DateTime.h"
#include "platform/fs/Drives.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "sfxstub/EngineIo.h"
#include "sfxstub/SfxConfig.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace qm::sfxstub {

namespace {

using namespace detail;
namespace dt = qm::datetime;

constexpr size_t NameLimit = 260;
constexpr size_t OutputPathLimit = 258;
constexpr uint64_t EndSearch = 66000;
constexpr uint64_t ReducedAbove = 16777215;

uint16_t get16(const unsigned char* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t get32(const unsigned char* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Names written without the UTF-8 flag are in the DOS code page.
std::string oemToAnsi(const std::string& name)
{
    if (std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return name;
    iconv_t cd = iconv_open("UTF-8", "CP437");
    if (cd == iconv_t(-1))
        return name;
    std::string out(name.size() * 4, '\0');
    char* in = const_cast<char*>(name.data());
    size_t inLeft = name.size();
    char* o = out.data();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (rc == size_t(-1))
        return name;
    out.resize(out.size() - outLeft);
    return out;
}

// The moment a DOS date and time name on this machine's clock, by the zone
// rules of that date.
std::time_t dosToTime(uint16_t date, uint16_t time)
{
    dt::DateTime t{1980 + (date >> 9), (date >> 5) & 0x0f, date & 0x1f, time >> 11, (time >> 5) & 0x3f,
                   (time & 0x1f) * 2};
    t.month = std::clamp(t.month, 1, 12);
    t.day = std::clamp(t.day, 1, dt::daysInMonth(t.year, t.month));
    t.hour = std::min(t.hour, 23);
    t.minute = std::min(t.minute, 59);
    t.second = std::min(t.second, 59);
    return dt::toTimeT(t);
}

// Percentages of the progress events.
int filePercent(uint64_t written, uint64_t size)
{
    if (written >= size)
        return 100;
    if (size > ReducedAbove) {
        written = (written + 128) / 256;
        size = (size + 128) / 256;
        if (size == 0 || written >= size)
            return 100;
    }
    return int(100 - ((size - written) * 200 / size + 1) / 2);
}

int overallPercent(uint64_t written, uint64_t total)
{
    if (written >= total)
        return 100;
    if (total > ReducedAbove) {
        written = (written + 128) / 256;
        total = (total + 128) / 256;
        if (total == 0)
            return 100;
    }
    return int(std::min<uint64_t>(100, written * 100 / total));
}

mode_t currentUmask()
{
    mode_t m = ::umask(0);
    ::umask(m);
    return m;
}

// Whether a disk's label lets it be disk `n`: a spanning label must carry n.
bool labelFits(const std::string& label, int n)
{
    if (label.rfind("PKBACK", 0) != 0 && label.rfind("pkback", 0) != 0)
        return true;
    if (label.size() < 11 || n < 0 || n > 999)
        return false;
    return label[8] == char('0' + n / 100) && label[9] == char('0' + n / 10 % 10) && label[10] == char('0' + n % 10);
}

struct CentralEntry {
    uint64_t localOffset = 0;
    uint64_t compressed = 0;
    uint64_t size = 0;
    uint32_t crc = 0;
    uint16_t disk = 0;
    uint16_t method = 0;
    uint8_t host = 0;
    uint8_t dosAttributes = 0;
    uint32_t unixMode = 0;
    bool encrypted = false;
    bool descriptor = false;
    std::string name;
    std::string comment;
};

class UnzipRun {
public:
    UnzipRun(const EngineCallback& cb, const Engine& engine, const Methods& m, bool spanned)
        : callback_(cb), engine_(engine), methods_(m), spanned_(spanned)
    {
    }
    int run(const std::vector<std::string>& argv);

private:
    int send(EngineEvent& e)
    {
        std::replace(e.name.begin(), e.name.end(), '/', '\\');
        if (callback_ && callback_(e) == 1)
            abort_ = true;
        return e.answer;
    }
    void errorEvent(const std::string& name, int k)
    {
        EngineEvent e{event::Error, name};
        e.number = k;
        send(e);
    }
    void skip(const std::string& name, int k)
    {
        errorEvent(name, k);
        raise(result::Skipped);
    }
    void raise(int code) { result_ = std::max(result_, code); }
    void totalEvent()
    {
        EngineEvent e{event::Total};
        e.number = overallPercent(overall_, totalSize_);
        send(e);
    }

    int parseOptions(const std::vector<std::string>& argv);
    int openArchive();
    int findEnd(unsigned char (&end)[22], uint64_t& at);
    int askForDisk(int n);
    size_t readSpan(void* buf, size_t n);
    bool readExact(void* buf, size_t n) { return readSpan(buf, n) == n; }
    bool readLocalAt(uint64_t at, unsigned char (&h)[30]);
    void readCentral(uint32_t total);
    void extract(const CentralEntry& e, size_t index);
    bool decodeInto(OutputFile& out, const CentralEntry& e, const std::string& name, uint64_t compressed,
                    uint64_t size, std::optional<PkDecrypt>& keys, uint32_t& crc, uint64_t& written);

    const EngineCallback& callback_;
    const Engine& engine_;
    const Methods& methods_;
    const bool spanned_;

    std::string archive_;
    std::string dest_;
    bool never_ = false, overwrite_ = false, update_ = false;
    DiskInput in_;
    int currentDisk_ = 1;
    int lastDisk_ = 1;
    uint64_t correction_ = 0;
    std::vector<CentralEntry> entries_;
    int result_ = result::Ok;
    bool abort_ = false;
    bool diskFull_ = false;
    bool diskMissing_ = false;
    bool overwriteAll_ = false, skipAll_ = false;
    std::optional<std::string> password_;
    int passwordFailures_ = 0;
    int processed_ = 0;
    uint64_t totalSize_ = 0;
    uint64_t overall_ = 0;
    mode_t umask_ = currentUmask();
};

int UnzipRun::parseOptions(const std::vector<std::string>& argv)
{
    bool haveDest = false;
    for (size_t i = 1; i < argv.size(); ++i) {
        std::string a = qm::fs::toBackslashes(argv[i]);
        if (a.size() > 1 && a[0] == '-') {
            for (size_t j = 1; j < a.size(); ++j) {
                char c = a[j];
                if (c == 'n') {
                    never_ = true;
                } else if (c == 'o') {
                    overwrite_ = true;
                } else if (c == 'u') {
                    update_ = true;
                } else if (c == 'd') {
                    if (haveDest)
                        return result::BadOptions;
                    dest_ = j + 1 < a.size() ? a.substr(j + 1)
                                             : (i + 1 < argv.size() ? qm::fs::toBackslashes(argv[++i]) : "");
                    if (dest_.empty())
                        return result::BadOptions;
                    haveDest = true;
                    break;
                } else {
                    return result::BadOptions;
                }
            }
        } else if (archive_.empty() && !a.empty()) {
            archive_ = a;
        } else {
            return result::BadOptions;
        }
    }
    if (archive_.empty())
        return result::BadOptions;
    if (never_)
        overwrite_ = false;
    return result::Ok;
}

int UnzipRun::openArchive()
{
    if (in_.open(archive_))
        return result::Ok;
    if (errno == ENOENT && in_.open(archive_ + ".zip")) {
        archive_ += ".zip";
        return result::Ok;
    }
    return result::NotFound;
}

int UnzipRun::findEnd(unsigned char (&end)[22], uint64_t& at)
{
    for (int asked = 0;; ++asked) {
        const uint64_t size = in_.size();
        if (size >= 22) {
            const uint64_t low = size > EndSearch ? size - EndSearch : 0;
            std::vector<unsigned char> tail(size_t(size - low));
            in_.seek(low);
            tail.resize(in_.read(tail.data(), tail.size()));
            const unsigned char first = signature(Sig::End)[0];
            for (size_t k = tail.size() >= 22 ? tail.size() - 21 : 0; k-- > 0;) {
                const unsigned char* c = tail.data() + k;
                if (c[0] == first && hasSignature(c, Sig::End)) {
                    std::copy(c, c + 22, end);
                    at = low + k;
                    return result::Ok;
                }
            }
        }
        if (!spanned_ || asked == 3)
            return result::Damaged;
        EngineEvent e{event::NextDisk};
        e.number = 0; // the last disk
        send(e);
        if (abort_)
            return result::Stopped;
        in_.close();
        in_.open(archive_);
    }
}

int UnzipRun::askForDisk(int n)
{
    const char letter = qm::fs::driveLetter(archive_);
    for (int round = 0; round < 3; ++round) {
        EngineEvent e{event::NextDisk};
        e.number = n;
        send(e);
        if (abort_)
            return result::Stopped;
        std::optional<qm::fs::Drive> drive = letter ? qm::fs::findDrive(letter) : std::nullopt;
        if (!labelFits(drive ? drive->label : std::string(), n))
            continue;
        in_.close();
        if (!in_.open(archive_))
            continue;
        currentDisk_ = n;
        return result::Ok;
    }
    return result::DiskMissing;
}

size_t UnzipRun::readSpan(void* buf, size_t n)
{
    auto* out = static_cast<unsigned char*>(buf);
    size_t done = 0;
    while (done < n) {
        size_t got = in_.read(out + done, n - done);
        done += got;
        if (got > 0)
            continue;
        if (!spanned_ || currentDisk_ >= lastDisk_)
            break;
        int r = askForDisk(currentDisk_ + 1);
        if (r != result::Ok) {
            diskMissing_ = r == result::DiskMissing;
            break;
        }
        in_.seek(0);
    }
    return done;
}

bool UnzipRun::readLocalAt(uint64_t at, unsigned char (&h)[30])
{
    in_.seek(at);
    return in_.read(h, 30) == 30 && hasSignature(h, Sig::Local);
}

void UnzipRun::readCentral(uint32_t total)
{
    for (uint32_t i = 0; i < total; ++i) {
        unsigned char h[46];
        if (!readExact(h, sizeof h) || !hasSignature(h, Sig::Central)) {
            raise(result::Damaged);
            return;
        }
        const uint16_t needed = get16(h + 6), flags = get16(h + 8);
        CentralEntry e;
        e.host = uint8_t(get16(h + 4) >> 8);
        e.method = get16(h + 10);
        e.crc = get32(h + 16);
        e.compressed = get32(h + 20);
        e.size = get32(h + 24);
        e.disk = get16(h + 34);
        e.dosAttributes = uint8_t(get32(h + 38) | 0x20);
        e.unixMode = get32(h + 38) >> 16;
        e.localOffset = get32(h + 42);
        e.encrypted = flags & 1;
        e.descriptor = flags & 8;
        std::string name(get16(h + 28), '\0');
        std::string extra(get16(h + 30), '\0');
        std::string comment(get16(h + 32), '\0');
        if (!readExact(name.data(), name.size()) || !readExact(extra.data(), extra.size())
            || !readExact(comment.data(), comment.size())) {
            raise(result::Damaged);
            return;
        }
        e.name = (flags & 0x800) ? name : oemToAnsi(name);
        e.comment = comment.substr(0, 255);
        const int version = needed & 0xFF, host = needed >> 8;
        if (version >= (host == 2 ? 43 : 21) || !engine_.decodes(e.method)) {
            errorEvent(e.name, kind::Unsupported);
            raise(result::Warning);
            if (abort_)
                return;
            continue;
        }
        totalSize_ += e.size;
        entries_.push_back(std::move(e));
    }
    unsigned char after[4];
    readExact(after, 4); // the end record's signature; nothing rides on it
}

int UnzipRun::run(const std::vector<std::string>& argv)
{
    if (int r = parseOptions(argv))
        return r;
    if (archive_.find_first_of("*?") != std::string::npos)
        return result::NotFound;
    if (dest_.empty())
        dest_ = qm::fs::fromNative(std::filesystem::current_path());
    if (!qm::fs::exists(dest_)) {
        try {
            qm::fs::makeFolder(dest_);
        } catch (const qm::RtError&) {
            return result::NoDestination;
        }
        EngineEvent e{event::FolderMade};
        e.path = qm::fs::withoutTrailingBackslash(dest_);
        send(e);
    }
    if (!qm::fs::isFolder(dest_))
        return result::NoDestination;
    if (int r = openArchive())
        return r;

    unsigned char end[22];
    uint64_t endAt = 0;
    if (int r = findEnd(end, endAt))
        return r;
    currentDisk_ = lastDisk_ = get16(end + 4) + 1;
    const int cdDisk = get16(end + 6) + 1;
    const uint32_t total = get16(end + 10);
    const uint64_t cdSize = get32(end + 12);
    uint64_t cdOffset = get32(end + 16);
    if (cdOffset == 0 && cdSize == 0)
        return result::Warning; // an empty archive
    const int64_t extra = int64_t(endAt) - int64_t(cdOffset + cdSize);
    if (extra > 0) {
        correction_ = uint64_t(extra);
        raise(result::Warning);
        if (cdOffset == 0) {
            cdOffset = uint64_t(extra);
            correction_ = 0;
            raise(result::Damaged);
        }
    }
    if (spanned_ && cdDisk != currentDisk_)
        if (int r = askForDisk(cdDisk))
            return r;
    unsigned char sig[4];
    in_.seek(cdOffset + correction_);
    if (in_.read(sig, 4) != 4 || !hasSignature(sig, Sig::Central)) {
        in_.seek(cdOffset);
        if (correction_ == 0 || in_.read(sig, 4) != 4 || !hasSignature(sig, Sig::Central))
            return std::max(result_, int(result::Damaged));
        correction_ = 0;
        raise(result::Damaged);
    }
    in_.seek(in_.tell() - 4);
    readCentral(total);
    if (abort_)
        return result::Stopped;
    if (entries_.empty())
        return std::max(result_, int(result::NothingDone));

    totalEvent();
    for (size_t i = 0; i < entries_.size() && !abort_ && !diskFull_; ++i) {
        const uint64_t before = overall_;
        extract(entries_[i], i);
        // An entry that did not write all of its size still counts as done.
        const uint64_t expected = before + entries_[i].size;
        if (overall_ < expected && !abort_ && !diskFull_) {
            overall_ = expected;
            totalEvent();
        }
    }
    in_.close();
    if (abort_)
        return result::Stopped;
    if (diskFull_)
        return std::max(result_, int(result::DiskFull));
    if (processed_ == 0)
        raise(result::NothingDone);
    if (passwordFailures_ > 0)
        raise(result::Skipped);
    return result_;
}

void UnzipRun::extract(const CentralEntry& e, size_t index)
{
    if (spanned_ && e.disk + 1 != currentDisk_) {
        int r = askForDisk(e.disk + 1);
        if (r != result::Ok) {
            raise(r == result::Stopped ? result::Ok : r);
            return;
        }
    }
    unsigned char h[30];
    bool found = readLocalAt(e.localOffset + correction_, h);
    if (!found && index == 0 && correction_ != 0 && readLocalAt(e.localOffset, h)) {
        correction_ = 0;
        found = true;
    }
    for (int tries = 1; !found && spanned_ && tries < lastDisk_ && !abort_; ++tries) {
        if (askForDisk(currentDisk_ % lastDisk_ + 1) != result::Ok)
            break;
        found = readLocalAt(e.localOffset + correction_, h);
    }
    if (abort_)
        return;
    if (!found) {
        skip(e.name, kind::BadHeader);
        return;
    }
    ++processed_;
    const uint16_t flags = get16(h + 6), time = get16(h + 10), date = get16(h + 12);
    uint32_t crc = get32(h + 14);
    uint64_t compressed = get32(h + 18), size = get32(h + 22);
    if (flags & 8) { // sizes and CRC follow the data: the central record has them
        crc = e.crc;
        compressed = e.compressed;
        size = e.size;
    }
    std::string skipBytes(size_t(get16(h + 26)) + get16(h + 28), '\0');
    if (!readExact(skipBytes.data(), skipBytes.size())) {
        skip(e.name, kind::BadHeader);
        return;
    }
    if ((e.dosAttributes & 0x08) && (e.host == 0 || e.host == 5 || e.host == 6 || e.host == 11))
        return; // a volume label: nothing is written, no label changed
    std::string name = e.name;
    if (name.size() > NameLimit) {
        name.resize(NameLimit);
        raise(result::Warning);
    }

    // The program may place a name in one of its folders; everything else
    // goes below the destination.
    EngineEvent rename{event::Rename, name};
    send(rename);
    if (abort_)
        return;
    std::string base = dest_;
    std::string relative = name;
    if (!rename.replyFolder.empty()) {
        base = rename.replyFolder;
        relative = rename.reply;
    } else if (!rename.reply.empty()) {
        relative = rename.reply;
    }

    OpenFolder folder;
    std::string leaf, outPath;
    for (int round = 0;; ++round) {
        MappedName m = mapEntryName(relative);
        if (m.droppedRoot)
            raise(result::Warning);
        std::string shown = base;
        for (const std::string& part : m.parts)
            shown = qm::fs::joinPath(shown, part);
        if (m.refused || shown.size() > OutputPathLimit || !openBase(base, folder)) {
            skip(name, kind::CannotCreate);
            return;
        }
        const size_t folders = m.folder ? m.parts.size() : m.parts.size() - 1;
        for (size_t k = 0; k < folders; ++k) {
            OpenFolder child;
            bool ok = openChild(folder, m.parts[k], child, [&](const std::string& made) {
                EngineEvent f{event::FolderMade};
                f.path = made;
                send(f);
            });
            if (abort_)
                return;
            if (!ok) {
                skip(name, kind::CannotCreate);
                return;
            }
            folder = std::move(child);
        }
        if (m.folder)
            return;
        leaf = spellingIn(folder, m.parts.back());
        outPath = qm::fs::joinPath(folder.win, leaf);
        struct stat st {};
        if (::fstatat(folder.fd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            break; // a new file (also in update mode)
        if (S_ISDIR(st.st_mode)) {
            skip(name, kind::CannotCreate);
            return;
        }
        const std::time_t existing = st.st_mtime + (st.st_mtime & 1);
        const bool notOlder = existing >= dosToTime(date, time);
        if (never_) {
            skip(name, kind::NeverOverwrite);
            return;
        }
        if (notOlder && update_) {
            skip(name, kind::NotReplaced);
            return;
        }
        if (overwrite_ || overwriteAll_)
            break;
        if (skipAll_) {
            skip(name, kind::NeverOverwrite);
            return;
        }
        EngineEvent q{event::Exists, name, outPath};
        int a = send(q);
        if (abort_)
            return;
        if (a == answer::Overwrite)
            break;
        if (a == answer::OverwriteAll) {
            overwriteAll_ = true;
            break;
        }
        if (a == answer::SkipAll)
            skipAll_ = true;
        if (a == answer::Rename && !q.reply.empty() && round < 10) {
            base = dest_;
            relative = q.reply;
            continue;
        }
        skip(name, kind::NeverOverwrite);
        return;
    }

    std::optional<PkDecrypt> keys;
    if (e.encrypted) {
        unsigned char header[PkDecrypt::HeaderSize];
        if (compressed < sizeof header || !readExact(header, sizeof header)) {
            skip(name, kind::BadHeader);
            raise(result::Damaged);
            return;
        }
        compressed -= sizeof header;
        const uint8_t check = (flags & 8) ? uint8_t(time >> 8) : uint8_t(crc >> 24);
        if (password_) {
            PkDecrypt k(*password_);
            if (k.acceptsHeader(header, check))
                keys = k;
        }
        while (!keys) {
            EngineEvent p{event::Password, name};
            send(p);
            if (abort_)
                return;
            if (p.answer != PasswordGiven)
                break;
            password_ = p.reply.substr(0, PasswordLimit);
            PkDecrypt k(*password_);
            if (k.acceptsHeader(header, check))
                keys = k;
        }
        if (!keys) {
            errorEvent(name, kind::Password);
            ++passwordFailures_;
            return;
        }
    }

    OutputFile out;
    if (!out.create(folder, leaf)) {
        skip(name, kind::CannotCreate);
        return;
    }
    EngineEvent begin{event::Begin, name, outPath};
    send(begin);
    if (abort_)
        return;
    uint32_t got = 0;
    uint64_t written = 0;
    if (!decodeInto(out, e, name, compressed, size, keys, got, written))
        return;
    if (got != crc || written != size) {
        errorEvent(name, kind::Crc);
        raise(result::Damaged);
        return;
    }
    mode_t mode = 0666 & ~umask_;
    if (e.host == 3 && S_ISREG(e.unixMode))
        mode = e.unixMode & 0777;
    if (e.dosAttributes & 1)
        mode &= ~mode_t(0222);
    if (!out.commit(mode, dosToTime(date, time)))
        skip(name, kind::CannotCreate);
}

bool UnzipRun::decodeInto(OutputFile& out, const CentralEntry& e, const std::string& name, uint64_t compressed,
                          uint64_t size, std::optional<PkDecrypt>& keys, uint32_t& crcOut, uint64_t& written)
{
    Crc32 crc;
    std::vector<unsigned char> buffer;
    buffer.reserve(OutputChunk);
    bool overflow = false, truncated = false;
    const uint64_t start = overall_;
    auto flush = [&]() {
        if (buffer.empty())
            return true;
        crc.update(buffer.data(), buffer.size());
        if (!out.write(buffer.data(), buffer.size())) {
            diskFull_ = true;
            return false;
        }
        written += buffer.size();
        overall_ = start + written;
        buffer.clear();
        EngineEvent f{event::FileProgress, name};
        f.number = filePercent(written, size);
        send(f);
        totalEvent();
        return !abort_;
    };
    auto sink = [&](const unsigned char* p, size_t n) {
        while (n > 0) {
            if (written + buffer.size() + n > size) {
                overflow = true;
                return false;
            }
            size_t take = std::min(n, OutputChunk - buffer.size());
            buffer.insert(buffer.end(), p, p + take);
            p += take;
            n -= take;
            if (buffer.size() == OutputChunk && !flush())
                return false;
        }
        return true;
    };
    std::vector<unsigned char> chunk(OutputChunk);
    auto readData = [&]() -> size_t {
        size_t want = size_t(std::min<uint64_t>(chunk.size(), compressed));
        size_t n = readSpan(chunk.data(), want);
        compressed -= n;
        if (keys)
            keys->decrypt(chunk.data(), n);
        if (n < want)
            truncated = true;
        return n;
    };

    bool decodeError = false;
    if (e.method == 0) {
        while (size_t n = readData())
            if (!sink(chunk.data(), n))
                break;
    } else {
        std::unique_ptr<StreamDecoder> decoder = e.method == 8 ? methods_.deflate() : makeBwDecoder();
        if (!decoder || !decoder->start()) {
            errorEvent(name, kind::BadHeader);
            raise(result::DecoderSetup);
            return false;
        }
        bool padded = false;
        for (;;) {
            size_t n = readData();
            if (n == 0) {
                if (truncated || padded) {
                    decodeError = !truncated;
                    break;
                }
                // Past the entry's data the decoder gets one chunk of 255s.
                std::fill(chunk.begin(), chunk.end(), 0xFF);
                n = chunk.size();
                padded = true;
            }
            StreamDecoder::Status status = decoder->feed(chunk.data(), n, sink);
            if (status == StreamDecoder::Status::End)
                break;
            if (status == StreamDecoder::Status::Error)
                decodeError = true;
            if (status != StreamDecoder::Status::More)
                break;
        }
    }
    if (abort_ || diskFull_ || (!overflow && !decodeError && !truncated && !flush()))
        return false;
    if (truncated && !abort_) {
        errorEvent(name, kind::BadHeader);
        raise(diskMissing_ ? result::DiskMissing : result::Damaged);
        return false;
    }
    if (overflow || decodeError) {
        errorEvent(name, kind::Crc);
        raise(result::Damaged);
        return false;
    }
    crcOut = crc.value();
    return true;
}

} // namespace

Engine::Engine(EngineCallback callback, Methods methods) : callback_(std::move(callback)), methods_(std::move(methods))
{
}

bool Engine::decodes(int method) const
{
    return method == 0 || method == 18 || (method == 8 && methods_.deflate);
}

int Engine::UnzipMain(const std::vector<std::string>& argv)
{
    try {
        return UnzipRun(callback_, *this, methods_, SpannedMode).run(argv);
    } catch (const std::bad_alloc&) {
        return result::NoMemory;
    }
}

int64_t FindPatternInFile(int fd, std::string_view pattern, int64_t from, int64_t to)
{
    return qm::sfx::findPatternInFile(fd, pattern, uint64_t(std::max<int64_t>(from, 0)),
                                      to < 0 ? qm::sfx::ToEndOfFile : uint64_t(to));
}

} // namespace qm::sfxstub
