// One entry of an extraction run: its local header, where its output goes,
// the overwrite rules, the password, the decoding and the checks.
#include "platform/datetime/DateTime.h"
#include "platform/fs/CaseTwins.h"
#include "platform/fs/WinPath.h"
#include "sfxstub/EngineRun.h"

#include <algorithm>
#include <chrono>

namespace qm::sfxstub::detail {

namespace {

namespace dt = qm::datetime;

constexpr size_t NameLimit = 260;
constexpr size_t OutputPathLimit = 258;
constexpr uint64_t ReducedAbove = 16777215;

} // namespace

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

void UnzipRun::extract(const CentralEntry& e, size_t index)
{
    if (e.refused) { // judged from the directory alone
        ++processed_;
        skip(e.name, kind::BadHeader);
        raise(result::Damaged);
        return;
    }
    if (multiPart() && e.disk + 1 != currentDisk_) {
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
    for (int tries = 1; !found && multiPart() && tries < lastDisk_ && !abort_; ++tries) {
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
    const uint64_t at = e.localOffset + correction_;
    const uint64_t limit = !multiPart() || currentDisk_ == e.disk + 1 ? extentLimit(e) : NoLimit;
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
    // The directory's sizes bound the output, and the data stays within the
    // entry's own bytes.
    if (((flags & 8) == 0 && (compressed != e.compressed || size != e.size))
        || at + sizeof h + skipBytes.size() + compressed > limit) {
        skip(e.name, kind::BadHeader);
        raise(result::Damaged);
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
        leaf = m.parts.back();
        outPath = qm::fs::joinPath(folder.win, leaf);
        if (writtenInOtherCase(folder.host / leaf)) {
            skip(name, kind::OtherCase);
            return;
        }
        const std::optional<qm::fs::FolderHandle::Entry> there = folder.dir.entry(leaf);
        if (!there)
            break; // a new file (also in update mode)
        if (there->kind == qm::fs::FolderHandle::Kind::Folder) {
            skip(name, kind::CannotCreate);
            return;
        }
        const std::time_t seconds = std::chrono::system_clock::to_time_t(there->modified);
        const std::time_t existing = seconds + (seconds & 1);
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
    if (!out.create(folder.dir, leaf)) {
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
    unsigned mode = newFileMode_;
    if (e.host == 3 && (e.unixMode & UnixTypeBits) == UnixRegularFile)
        mode = e.unixMode & 0777;
    if (e.dosAttributes & 1)
        mode &= ~0222u;
    if (!out.commit(mode, std::chrono::system_clock::from_time_t(dosToTime(date, time))))
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
        raise(missing_ ? missing_ : result::Damaged);
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

bool UnzipRun::writtenInOtherCase(const std::filesystem::path& file)
{
    std::vector<std::string> comps;
    for (const std::filesystem::path& c : file)
        comps.push_back(c.string());
    const auto open = [&](size_t count) {
        std::filesystem::path folder;
        for (size_t i = 0; i < count; ++i)
            folder /= comps[i];
        qm::fs::FolderHandle dir;
        return dir.open(folder) == 0 ? dir.release() : -1;
    };
    return written_.see(comps, open, ".~qmsfx") == qm::fs::CaseTwins::Seen::OtherCase;
}

} // namespace qm::sfxstub::detail
