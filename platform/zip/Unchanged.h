#pragma once
// When an update may take a file's data from the old archive instead of
// compressing it again: the old entry of the same name has the file's size,
// time and attributes, and was made with the method, level and password in
// force; its CRC is then checked against the file's content.
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/EntryDecode.h"
#include "platform/zip/Gather.h"

#include <cstdint>
#include <string>

namespace qm::zip {

// The flag bits that tell how hard a deflate entry was compressed.
uint16_t deflateLevelFlags(int level);

// What the directory entry alone tells. `method` is the method in force for
// this file (stored for level 0 and for empty files).
bool mayHoldFile(const ArchiveEntry& old, const SourceItem& file, int method, int level, bool password);

// What only the entry's data tells: a Burrows-Wheeler stream's block size,
// and that `password` opens an encrypted entry (the whole entry is decoded
// and its CRC checked). Safe on several threads with a scratch each.
bool oldDataFits(const ArchiveReader& archive, const ArchiveEntry& old, int level, const std::string& password,
                 DecodeScratch& scratch);

} // namespace qm::zip
