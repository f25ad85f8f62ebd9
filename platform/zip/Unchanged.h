#pragma once
// When an update may take a file's data from the old archive instead of
// compressing it again: the old entry of the same name has the file's size,
// time and attributes, and was made with the method, level and password in
// force; its CRC is then checked against the file's content, and its data
// against its CRC (a damaged entry is made anew). A stored entry (its data
// would not shrink) stands for its file when the old archive was made with
// the method and level in force (madeAtLevel): after a change of level or
// method it is compressed again.
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/EntryDecode.h"
#include "platform/zip/Gather.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qm::zip {

// The flag bits that tell how hard a deflate entry was compressed.
uint16_t deflateLevelFlags(int level);

// What the directory entry alone tells. `method` is the method in force for
// this file (stored for level 0 and for empty files); `storedStands`: the
// old archive was made at the method and level in force.
bool mayHoldFile(const ArchiveEntry& old, const SourceItem& file, int method, int level, bool password,
                 bool storedStands);

// Whether the old entries `taken` (those of the files an update takes
// again) of `archive` were made with `method` (8 or 18) at `level`: they
// hold a compressed entry, and every compressed one carries the mark of
// that method and level (a deflate entry its level's flag bits, a
// Burrows-Wheeler entry the block-size digit that starts its stream, read
// with `password`). An update at another level or method would have
// compressed each of them again under its own mark; an update at level 0
// leaves none compressed, so its stored entries are examined anew.
bool madeAtLevel(const ArchiveReader& archive, const std::vector<const ArchiveEntry*>& taken, int method, int level,
                 const std::string& password, ReadWindow& window);

// What the old entry's data says of it.
enum class OldData {
    Fits,    // whole, and made with the settings in force
    Unfit,   // made otherwise (another block size or another password), or
             // of a method that cannot be decoded
    Damaged, // it does not decode to its CRC, or cannot be read
};

// What only the entry's data tells: the whole entry is decoded and its CRC
// checked, a Burrows-Wheeler stream's block size read (unless `level` is
// AnyLevel), and `password` must open an encrypted entry. A password that
// passes only the last check byte and then fails the CRC may well not be
// the entry's own: that entry is Unfit, not Damaged. `progress` as for
// decodeEntry (it may throw to stop). Safe on several threads with a
// scratch each.
inline constexpr int AnyLevel = -1;
OldData checkOldData(const ArchiveReader& archive, const ArchiveEntry& old, int level, const std::string& password,
                     DecodeScratch& scratch, const std::function<void(uint64_t)>& progress = {});

} // namespace qm::zip
