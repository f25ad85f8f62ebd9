#pragma once
// The value lists of the record editor's drop-down columns: each entry
// stores its first word and shows its second; an entry without text that
// stores the empty value is the list's blank.
#include "platform/ui/Columns.h"

#include <span>

namespace qm::editor::lists {

using qm::ui::ValueChoice;
using List = std::span<const ValueChoice>;

namespace entries {
inline constexpr ValueChoice YesNo[] = {{"yes", "yes"}, {"no", "no"}};
inline constexpr ValueChoice YesNoBlank[] = {{"yes", "yes"}, {"no", "no"}, {"", ""}};
inline constexpr ValueChoice Span[] = {{"always", "always"}, {"auto detect", "auto-detect"}, {"never", "never"}};
inline constexpr ValueChoice SpanBlank[] = {
    {"always", "always"}, {"auto detect", "auto-detect"}, {"never", "never"}, {"", ""}};
inline constexpr ValueChoice SplitSize[] = {
    {"362000", "360 kbytes"},           {"730000", "720 kbytes"},
    {"1213000", "1.2 megabytes"},       {"1457000", "1.44 megabytes"},
    {"95000000", "ZIP 100 megabytes"},  {"120000000", "SuperDisk 120 megabytes"},
    {"238000000", "ZIP 250 megabytes"}, {"", ""}};
inline constexpr ValueChoice ShortSplitSize[] = {
    {"362000", "360 kbytes"},          {"730000", "720 kbytes"},
    {"1213000", "1.2 megabytes"},      {"1457000", "1.44 megabytes"},
    {"95000000", "ZIP 100 megabytes"}, {"120000000", "SuperDisk 120 megabytes"},
    {"238000000", "ZIP 250 megs"}};
inline constexpr ValueChoice Level[] = {{"high", "high"}, {"low", "low"}, {"medium", "medium"}, {"none", "none"}};
inline constexpr ValueChoice ArchiveDateSpace[] = {
    {"latest", "latest file in archive"}, {"today", "today's date"}, {" ", ""}};
inline constexpr ValueChoice ArchiveDateCapitalised[] = {
    {"latest", "Latest file in archive"}, {"today", "Today's date"}};
inline constexpr ValueChoice ArchiveDateBlank[] = {
    {"latest", "latest file in archive"}, {"today", "today's date"}, {"", ""}};
inline constexpr ValueChoice ArchiveDate[] = {{"latest", "latest file in archive"}, {"today", "today's date"}};
inline constexpr ValueChoice BackupOption[] = {{"automatic", "automatic"}, {"manual", "manual"}};
inline constexpr ValueChoice BackupOptionBlank[] = {{"automatic", "automatic"}, {"manual", "manual"}, {"", ""}};
inline constexpr ValueChoice Method[] = {
    {"pvzBurrowsWheeler", "Best method, least compatible"},
    {"pvzDeflated", "Standard method, most compatible"},
    {"pvzStored", "Stores files only, fully compatible"}};
inline constexpr ValueChoice PathStorage[] = {
    {"-fp", "Store Full Path (without drive letter)"}, {"-fpd", "Store Full Path (include drive letter)"}, {"", ""}};
inline constexpr ValueChoice PathStorageLower[] = {
    {"-fp", "Store full path (without drive letter)"}, {"-fpd", "Store full path (include drive letter)"}, {"", ""}};
inline constexpr ValueChoice AceSpan[] = {{"automatic", "automatic"}, {"never", "never"}, {"", ""}};
inline constexpr ValueChoice AceSpanReversed[] = {{"never", "never"}, {"automatic", "automatic"}};
inline constexpr ValueChoice AceLevel[] = {{"5", "Maximum"}, {"4", "Good"}, {"3", "Normal"},
                                           {"2", "Fast"},    {"1", "Super Fast"}, {"0", "None"}};
inline constexpr ValueChoice Dictionary[] = {{"4096", "4096K"}, {"2048", "2048K"}, {"1024", "1024K"},
                                             {"512", "512K"},   {"256", "256K"},   {"128", "128K"},
                                             {"64", "64K"},     {"32", "32K"}};
inline constexpr ValueChoice Format[] = {{"ACE", "ACE"}, {"ZIP", "ZIP"}};
} // namespace entries

inline constexpr List NoList{};
inline constexpr List YesNo{entries::YesNo};
inline constexpr List YesNoBlank{entries::YesNoBlank};
inline constexpr List Span{entries::Span};
inline constexpr List SpanBlank{entries::SpanBlank};
inline constexpr List SplitSize{entries::SplitSize};
inline constexpr List ShortSplitSize{entries::ShortSplitSize};
inline constexpr List Level{entries::Level};
inline constexpr List ArchiveDateSpace{entries::ArchiveDateSpace};
inline constexpr List ArchiveDateCapitalised{entries::ArchiveDateCapitalised};
inline constexpr List ArchiveDateBlank{entries::ArchiveDateBlank};
inline constexpr List ArchiveDate{entries::ArchiveDate};
inline constexpr List BackupOption{entries::BackupOption};
inline constexpr List BackupOptionBlank{entries::BackupOptionBlank};
inline constexpr List Method{entries::Method};
inline constexpr List PathStorage{entries::PathStorage};
inline constexpr List PathStorageLower{entries::PathStorageLower};
inline constexpr List AceSpan{entries::AceSpan};
inline constexpr List AceSpanReversed{entries::AceSpanReversed};
inline constexpr List AceLevel{entries::AceLevel};
inline constexpr List Dictionary{entries::Dictionary};
inline constexpr List Format{entries::Format};

} // namespace qm::editor::lists
