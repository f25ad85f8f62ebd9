#pragma once
// What the options tab's Save does once the card has handed its edits to
// the record: the temporary folder of the run follows UserTempFolder (the
// program folder's Temp when it is empty); with ACE as the default
// compression WinAce must be there at version 2.11 or later; then the user
// options file is rewritten.
#include "store/SystemLookups.h"

#include <string>

namespace qm::store {
class Store;
}

namespace qm::options {

inline constexpr const char* WinAceMissingMessage =
    "ACE compression requires that you have installed\r\n"
    "WinACE 2.11 or later. Quillmate could not\r\n"
    "locate that program on your system.";
inline constexpr const char* WinAceVersionMessage = "ACE compression requires WinAce version 2.11 or later.";

// True when the file was written ("User Options saved" shown). WinAce is
// looked up only when UserDefaultCompression is "ACE": no path gives the
// three-line message; a version text that is empty, or reads as 2.11 or
// more, saves; any other shows the version message ending in the text.
// A file that cannot be written shows "Error: " number ". " description.
// Nothing of the record is changed either way.
bool SaveOptions(qm::store::Store& store, const qm::store::WinAceLookup& lookup = qm::store::GetWinAceInfo);

} // namespace qm::options
