#include "sfxstub/EngineIo.h"

#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace stdfs = std::filesystem;

namespace qm::sfxstub::detail {

namespace {

// The bytes after the "P" of each signature; the "P" is put in front at run
// time from a masked byte, read through a volatile object the compiler
// cannot fold.
const unsigned char SigTails[3][3] = {{'K', 3, 4}, {'K', 1, 2}, {'K', 5, 6}};
volatile unsigned char SigMask = 0x3C;
constexpr unsigned char MaskedHead = 'P' ^ 0x3C;

constexpr unsigned char CtrlV = 22;

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool invalidOnWindows(unsigned char c)
{
    return c == ':' || std::strchr("<>|\"*?", c) != nullptr;
}

} // namespace

int DiskInput::open(const std::string& winPath)
{
    close();
    pos_ = 0;
    try {
        return file_.open(qm::fs::toNative(winPath));
    } catch (const qm::RtError&) {
        return ENOENT;
    }
}

size_t DiskInput::read(void* buf, size_t n)
{
    auto* out = static_cast<unsigned char*>(buf);
    size_t done = 0;
    while (done < n && file_.isOpen()) {
        if (pos_ < blockStart_ || pos_ >= blockStart_ + blockLen_) {
            blockStart_ = pos_ & ~uint64_t(Block - 1);
            blockLen_ = file_.readAt(blockStart_, block_, Block);
            if (pos_ >= blockStart_ + blockLen_)
                break; // the end of the file
        }
        size_t at = size_t(pos_ - blockStart_);
        size_t take = std::min(n - done, blockLen_ - at);
        std::memcpy(out + done, block_ + at, take);
        done += take;
        pos_ += take;
    }
    return done;
}

std::array<unsigned char, 4> signature(Sig s)
{
    const unsigned char* tail = SigTails[int(s)];
    return {static_cast<unsigned char>(MaskedHead ^ SigMask), tail[0], tail[1], tail[2]};
}

bool hasSignature(const unsigned char* p, Sig s)
{
    auto sig = signature(s);
    return std::memcmp(p, sig.data(), 4) == 0;
}

MappedName mapEntryName(std::string_view name)
{
    MappedName m;
    if (name.find('\0') != std::string_view::npos) {
        m.refused = true;
        return m;
    }
    // A drive and leading separators never reach the output path.
    size_t pos = 0;
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
        pos = 2;
        m.droppedRoot = true;
    }
    while (pos < name.size() && isSeparator(name[pos])) {
        ++pos;
        m.droppedRoot = true;
    }
    std::string_view rest = name.substr(pos);
    m.folder = !rest.empty() && isSeparator(rest.back());
    if (m.folder)
        rest.remove_suffix(1);
    if (rest.empty()) {
        m.refused = true;
        return m;
    }
    size_t i = 0;
    while (i <= rest.size()) {
        std::string part;
        size_t versionAt = std::string::npos; // an unquoted ";" in the component
        for (; i < rest.size() && !isSeparator(rest[i]); ++i) {
            unsigned char c = static_cast<unsigned char>(rest[i]);
            if (c == CtrlV && i + 1 < rest.size()) {
                // The next character is taken as it is, but never as a separator.
                unsigned char q = static_cast<unsigned char>(rest[++i]);
                if (isSeparator(char(q))) {
                    --i; // the separator ends the component as usual
                    continue;
                }
                if (q < 32 || q == 127 || q == 255)
                    continue;
                part += invalidOnWindows(q) ? '_' : char(q);
                continue;
            }
            if (c < 32 || c == 127 || c == 255)
                continue;
            if (c == ';')
                versionAt = part.size();
            part += invalidOnWindows(c) ? '_' : char(c);
        }
        if (versionAt != std::string::npos
            && part.find_first_not_of("0123456789", versionAt + 1) == std::string::npos)
            part.resize(versionAt);
        if (part.empty() || part == "." || part == "..") {
            m.refused = true;
            return m;
        }
        m.parts.push_back(part);
        if (i >= rest.size())
            break;
        ++i; // past the separator
    }
    return m;
}

std::string shortForm(std::string_view component)
{
    std::string c(component);
    size_t lastDot = c.rfind('.');
    if (lastDot == 0)
        lastDot = std::string::npos; // a leading dot is no extension
    for (size_t i = 0; i < c.size(); ++i)
        if (c[i] == '.' && i != lastDot)
            c[i] = '_';
    std::string base = lastDot == std::string::npos ? c : c.substr(0, lastDot);
    std::string ext = lastDot == std::string::npos ? "" : c.substr(lastDot + 1);
    base.resize(std::min<size_t>(base.size(), 8));
    ext.resize(std::min<size_t>(ext.size(), 3));
    return ext.empty() ? base : base + "." + ext;
}

bool openBase(const std::string& winFolder, OpenFolder& out)
{
    try {
        out.host = qm::fs::toNative(winFolder);
    } catch (const qm::RtError&) {
        return false;
    }
    if (out.dir.open(out.host) != 0)
        return false;
    out.win = qm::fs::withoutTrailingBackslash(winFolder);
    return true;
}

bool openChild(const OpenFolder& parent, const std::string& wanted, OpenFolder& out,
               const std::function<void(const std::string&)>& made)
{
    std::string name = wanted;
    int err = parent.dir.openChild(name, out.dir);
    if (err == ENOENT) {
        int rc = parent.dir.makeChild(name);
        if (rc == ENAMETOOLONG) {
            name = shortForm(wanted);
            rc = parent.dir.makeChild(name);
        }
        if (rc == 0 && made)
            made(qm::fs::joinPath(parent.win, name));
        if (rc == 0 || rc == EEXIST)
            err = parent.dir.openChild(name, out.dir);
    }
    if (err != 0)
        return false;
    out.host = parent.host / name;
    out.win = qm::fs::joinPath(parent.win, name);
    return true;
}

} // namespace qm::sfxstub::detail
