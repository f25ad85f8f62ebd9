#pragma once
// Text helpers of the self-extractor: the folder macros of its texts and
// entry names, line breaks, the placeholders of dialog texts, and the path
// trimming of its labels and lists. Pure text; the random folder of %R asks
// a claim function whether a name may be taken.
#include "sfxstub/SfxConfig.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qm::sfxstub {

// What a claim function says of a candidate name for %R.
enum class Claim { Taken, Free, Failed };
using ClaimFn = std::function<Claim(const std::string& candidate)>;
// The default claim: free when nothing of that name exists.
Claim claimIfMissing(const std::string& candidate);
// How many numbers %R tries before it gives up.
inline constexpr int RandomTries = 1000;

// Expands the macros of `text` (%D %E %W %S %T %V %P the folders, %R a new
// "_Sfx" name, %% a "%"). Letters in `removal` are dropped instead of
// expanded, unknown letters vanish, and a separator that ends the text
// before a pair is dropped. Nothing when the result is longer than `limit`
// or %R finds no free name.
std::optional<std::string> ExpandMacros(SfxConfig& c, std::string_view text, std::string_view removal,
                                        size_t limit, const ClaimFn& claim = claimIfMissing);

// An entry name that begins with a folder macro pair (%D %E %W %S %T %V %P)
// lies in that folder: the folder and the rest of the name. Every other
// name, and every other "%" in the name, stays as written (nothing).
struct FolderName {
    std::string folder;
    std::string rest;
};
std::optional<FolderName> ExpandEntryName(const SfxConfig& c, std::string_view name);

// Every CR, LF, CR LF or LF CR becomes one LF.
std::string NormalizeLineBreaks(std::string_view text);
// Each "%" + `letter` (exact case) becomes the number.
std::string FillNumber(std::string_view templ, char letter, long long number);
// Each "%" + `letter` (either case) becomes `text`; other pairs stay.
std::string FillText(std::string_view templ, char letter, std::string_view text);

// "\" added unless the text is empty or ends in "\" or ":".
std::string AddTrailingBackslash(std::string_view path);
// A final "\" removed, except from a drive root such as "C:\".
std::string RemoveTrailingBackslash(std::string_view path);
// Cuts "C:\a\b\" to "C:\a\" (never below three characters); false for a
// text shorter than four characters.
bool CutLastFolder(std::string& path);
// One step of fitting a path into a label: "C:\a\b\x" -> "C:\...\b\x" ->
// "C:\...\x"; false when no folder is left to take out.
bool ShortenPath(std::string& path);
// Shortens `path` until `fits` says so or it can be shortened no more.
std::string FitPath(std::string path, const std::function<bool(const std::string&)>& fits);
// Words written wholly in capitals and digits keep only their first capital.
std::string PrettyCase(std::string_view text);

} // namespace qm::sfxstub
