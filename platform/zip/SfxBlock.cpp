#include "platform/zip/SfxBlock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace qm::sfx {

namespace {

// The marker's bytes, each combined with MarkerMask at run time. The mask is
// read through a volatile object so the compiler cannot fold the marker
// into a constant of the program.
const unsigned char StoredMarker[MarkerSize] = {0x46, 0xF4, 0xE8, 0xF6, 0xFD, 0x39};
volatile unsigned char MarkerMask = 0xA5;

uint16_t rotl(uint16_t v, unsigned n)
{
    n &= 15;
    return n == 0 ? v : uint16_t((v << n) | (v >> (16 - n)));
}

uint16_t rotr(uint16_t v, unsigned n)
{
    n &= 15;
    return n == 0 ? v : uint16_t((v >> n) | (v << (16 - n)));
}

using C = SfxConfig;
constexpr FieldKind F = FieldKind::Flag;
constexpr FieldKind W = FieldKind::Word;
constexpr FieldKind T = FieldKind::Text;

FieldSpec word(const char* name, FieldKind kind, uint16_t limit, uint16_t C::*m)
{
    return FieldSpec{name, kind, limit, m, nullptr};
}

FieldSpec text(const char* name, uint16_t limit, std::string C::*m)
{
    return FieldSpec{name, T, limit, nullptr, m};
}

std::array<FieldSpec, FieldCount> makeSpecs()
{
    return {{
        word("AskDestination", F, 1, &C::AskDestination),
        word("ShowProgress", F, 1, &C::ShowProgress),
        word("AllowPasswordPrompt", F, 1, &C::AllowPasswordPrompt),
        word("ConfirmCreateFolder", F, 1, &C::ConfirmCreateFolder),
        word("ShowSuccessMessage", F, 1, &C::ShowSuccessMessage),
        word("ShowFailureMessage", F, 1, &C::ShowFailureMessage),
        word("ShowFolderError", F, 1, &C::ShowFolderError),
        word("ConfirmStart", F, 1, &C::ConfirmStart),
        text("OkCaption", 30, &C::OkCaption),
        text("CancelCaption", 30, &C::CancelCaption),
        text("AbortCaption", 30, &C::AbortCaption),
        text("SkipFileCaption", 30, &C::SkipFileCaption),
        text("SkipAlwaysCaption", 30, &C::SkipAlwaysCaption),
        text("YesCaption", 30, &C::YesCaption),
        text("NoCaption", 30, &C::NoCaption),
        text("YesToAllCaption", 30, &C::YesToAllCaption),
        text("NoToAllCaption", 30, &C::NoToAllCaption),
        text("ContinueCaption", 30, &C::ContinueCaption),
        text("ExitCaption", 30, &C::ExitCaption),
        text("DefaultPassword", 80, &C::DefaultPassword),
        word("OverwriteMode", W, 3, &C::OverwriteMode),
        text("DestinationFolder", 255, &C::DestinationFolder),
        text("ReadmeFile", 255, &C::ReadmeFile),
        text("CommandList", 255, &C::CommandList),
        text("DestinationText", 256, &C::DestinationText),
        text("PasswordText", 256, &C::PasswordText),
        text("InsertLastDiskText", 256, &C::InsertLastDiskText),
        text("InsertDiskText", 256, &C::InsertDiskText),
        text("ConfirmAbortText", 256, &C::ConfirmAbortText),
        text("CreateFolderText", 256, &C::CreateFolderText),
        text("OverwriteText", 256, &C::OverwriteText),
        text("ProgressText", 256, &C::ProgressText),
        text("ProgressNoteText", 256, &C::ProgressNoteText),
        text("Caption", 100, &C::Caption),
        text("BrowseTitle", 256, &C::BrowseTitle),
        text("ShareText", 256, &C::ShareText),
        text("ReservedText256", 256, &C::ReservedText256),
        text("ReservedText100", 100, &C::ReservedText100),
        text("SuccessText", 2000, &C::SuccessText),
        text("FailureText", 2000, &C::FailureText),
        text("FolderErrorText", 2000, &C::FolderErrorText),
        text("ConfirmText", 2000, &C::ConfirmText),
        text("ReservedText2000", 2000, &C::ReservedText2000),
        text("GroupName", 100, &C::GroupName),
        text("GroupItems", 2000, &C::GroupItems),
        text("AssociationList", 2000, &C::AssociationList),
        word("TempMode", F, 1, &C::TempMode),
        text("AgreementText", 8000, &C::AgreementText),
        word("ShowAgreement", F, 1, &C::ShowAgreement),
        text("AgreeCaption", 30, &C::AgreeCaption),
        text("RefuseCaption", 30, &C::RefuseCaption),
        word("ReservedWord1", W, 0xffff, &C::ReservedWord1),
        word("ReservedWord2", W, 0xffff, &C::ReservedWord2),
        word("ReservedWord3", W, 0xffff, &C::ReservedWord3),
        word("ReservedWord4", W, 0xffff, &C::ReservedWord4),
        word("ReservedFlag", F, 1, &C::ReservedFlag),
    }};
}

void putWord(std::string& out, uint16_t v)
{
    out.push_back(char(v & 0xff));
    out.push_back(char(v >> 8));
}

} // namespace

std::array<unsigned char, MarkerSize> marker()
{
    std::array<unsigned char, MarkerSize> m{};
    for (size_t i = 0; i < MarkerSize; ++i)
        m[i] = static_cast<unsigned char>(StoredMarker[i] ^ MarkerMask);
    return m;
}

const std::array<FieldSpec, FieldCount>& fieldSpecs()
{
    static const std::array<FieldSpec, FieldCount> specs = makeSpecs();
    return specs;
}

int firstBadField(const SfxConfig& c)
{
    const auto& specs = fieldSpecs();
    for (size_t i = 0; i < specs.size(); ++i) {
        const FieldSpec& s = specs[i];
        bool ok = s.kind == FieldKind::Text ? (c.*s.text).size() <= s.limit : (c.*s.word) <= s.limit;
        if (!ok)
            return int(i);
    }
    return -1;
}

std::optional<std::string> encodeBlock(const SfxConfig& c)
{
    if (firstBadField(c) >= 0)
        return std::nullopt;
    std::string out;
    uint16_t key = KeySeed;
    for (const FieldSpec& s : fieldSpecs()) {
        if (s.kind != FieldKind::Text) {
            putWord(out, rotr(uint16_t((c.*s.word) ^ key), 11));
            key = rotl(key, 3);
            continue;
        }
        const std::string& t = c.*s.text;
        putWord(out, rotr(uint16_t(uint16_t(t.size()) ^ key), 11));
        key = rotl(key, 1);
        for (size_t i = 0; i < t.size(); i += 2) {
            uint16_t lo = static_cast<unsigned char>(t[i]);
            uint16_t hi = i + 1 < t.size() ? static_cast<unsigned char>(t[i + 1]) : 0;
            putWord(out, rotr(uint16_t((lo | (hi << 8)) ^ key), 9));
            key = rotl(key, 2);
        }
    }
    return out;
}

std::optional<SfxConfig> decodeBlock(std::string_view bytes, size_t* used)
{
    SfxConfig c;
    size_t pos = 0;
    auto take = [&](uint16_t& v) {
        if (bytes.size() - pos < 2) {
            pos = bytes.size();
            return false;
        }
        v = uint16_t(static_cast<unsigned char>(bytes[pos]) | (static_cast<unsigned char>(bytes[pos + 1]) << 8));
        pos += 2;
        return true;
    };
    uint16_t key = KeySeed;
    for (const FieldSpec& s : fieldSpecs()) {
        uint16_t raw = 0;
        if (s.kind != FieldKind::Text) {
            uint16_t v = take(raw) ? uint16_t(rotl(raw, 11) ^ key) : 0;
            key = rotl(key, 3);
            if (v > s.limit)
                return std::nullopt;
            c.*s.word = v;
            continue;
        }
        if (!take(raw))
            return std::nullopt;
        uint16_t len = uint16_t(rotl(raw, 11) ^ key);
        if (len > s.limit)
            return std::nullopt;
        key = rotl(key, 1);
        std::string t;
        t.reserve(len + 1u);
        for (size_t i = 0; i < len; i += 2) {
            if (!take(raw))
                return std::nullopt;
            uint16_t w = uint16_t(rotl(raw, 9) ^ key);
            key = rotl(key, 2);
            t.push_back(char(w & 0xff));
            t.push_back(char(w >> 8));
        }
        t.resize(len);
        c.*s.text = std::move(t);
    }
    if (used)
        *used = pos;
    return c;
}

size_t maxBlockSize()
{
    size_t n = 0;
    for (const FieldSpec& s : fieldSpecs())
        n += s.kind == FieldKind::Text ? 2 + (size_t(s.limit) + 1) / 2 * 2 : 2;
    return n;
}

int64_t findMarker(std::string_view data, uint64_t from, uint64_t to)
{
    const auto m = marker();
    const std::string_view pat(reinterpret_cast<const char*>(m.data()), m.size());
    if (from >= data.size() || from >= to)
        return -1;
    size_t at = data.find(pat, size_t(from));
    if (at == std::string_view::npos || at >= to)
        return -1;
    return int64_t(at);
}

int64_t findMarkerInFile(int fd, uint64_t from, uint64_t to)
{
    const auto m = marker();
    return findPatternInFile(fd, std::string_view(reinterpret_cast<const char*>(m.data()), m.size()), from, to);
}

int64_t findPatternInFile(int fd, std::string_view pattern, uint64_t from, uint64_t to)
{
    const size_t size = pattern.size();
    if (size == 0 || from >= to)
        return -1;
    std::vector<char> buf(SearchChunk + size);
    size_t carry = 0; // bytes kept from the previous read, starting at `base`
    uint64_t base = from;
    while (base + carry < to) {
        // Read no further than the last byte a match starting before `to` can use.
        uint64_t room = to == ToEndOfFile ? SearchChunk : to + size - 1 - (base + carry);
        size_t want = size_t(std::min<uint64_t>(SearchChunk, room));
        ssize_t got;
        do {
            got = ::pread(fd, buf.data() + carry, want, off_t(base + carry));
        } while (got < 0 && errno == EINTR);
        if (got <= 0)
            return -1;
        size_t have = carry + size_t(got);
        auto it = std::search(buf.begin(), buf.begin() + long(have), pattern.begin(), pattern.end());
        if (it != buf.begin() + long(have)) {
            uint64_t at = base + uint64_t(it - buf.begin());
            return at < to ? int64_t(at) : -1;
        }
        // Keep the last few bytes: a match may straddle two reads.
        size_t keep = std::min(have, size - 1);
        std::memmove(buf.data(), buf.data() + (have - keep), keep);
        base += have - keep;
        carry = keep;
    }
    return -1;
}

std::optional<SfxConfig> loadFromFile(const std::string& path, uint64_t* blockStart, uint64_t* blockEnd)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    int64_t at = findMarkerInFile(fd);
    if (at < 0)
        return std::nullopt;
    const uint64_t start = uint64_t(at) + MarkerSize;
    std::string bytes(maxBlockSize(), '\0');
    size_t have = 0;
    while (have < bytes.size()) {
        ssize_t got = ::pread(fd, bytes.data() + have, bytes.size() - have, off_t(start + have));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        have += size_t(got);
    }
    bytes.resize(have);
    size_t used = 0;
    std::optional<SfxConfig> c = decodeBlock(bytes, &used);
    if (c) {
        if (blockStart)
            *blockStart = start;
        if (blockEnd)
            *blockEnd = start + used;
    }
    return c;
}

} // namespace qm::sfx
