#include "session/ArchiveKinds.h"

namespace qm::session {

namespace {

constexpr std::string_view SplitTip = "Similar to span but it breaks up the archive into designated file sizes";

constexpr std::array<ArchiveKind, ArchiveKindCount> Kinds{{
    {0, "zip", "QMT single file", "Creates a single ZIP file, no matter how large it may be", "QMT single file"},
    {1, "exe", "EXE single file", "Creates a single self-extracting file, no matter how large it may be",
     "EXE single file"},
    {2, "zipmulti", "QMT split size", SplitTip, "QMT split size"},
    {3, "exemulti", "EXE split size", SplitTip, "EXE split size"},
    {4, "zipspan", "QMT spanned", "Creates a ZIP file over mutiple disks, such as a floppy", "QMT spanned"},
    {5, "exespan", "EXE spanned", "Creates a self-extracting file over mutiple disks, such as a floppy",
     "EXE spanned"},
    {6, "ace", "ACE single file", "Creates a single ACE archive, no matter how large it may be",
     "ACE single file"},
    {7, "aceexe", "ACE EXE single file",
     "Creates a single self-extracting ACE file, no matter how large it may be", "ACE EXE"},
    {8, "acemulti", "ACE split size", SplitTip, "ACE split"},
    {9, "aceexemulti", "ACE EXE split size", SplitTip, "ACE EXE split"},
    {10, "acespan", "ACE spanned", "Creates an ACE archive over multiple disks, such as a floppy", "ACE span"},
    {11, "aceexespan", "ACE EXE spanned",
     "Creates a self-extracting ACE file over multiple disks, such as a floppy", "ACE EXE span"},
}};

} // namespace

const std::array<ArchiveKind, ArchiveKindCount>& archiveKinds() { return Kinds; }

std::string_view kindString(int index)
{
    return index >= 0 && index < ArchiveKindCount ? Kinds[static_cast<std::size_t>(index)].kind
                                                  : std::string_view();
}

} // namespace qm::session
