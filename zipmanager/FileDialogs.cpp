#include "zipmanager/FileDialogs.h"

#include "platform/fs/WinPath.h"

namespace qm::zipmanager {

namespace {

constexpr const char* ZipFilter = "Zip files (*.zip)|*.zip|Quillmate Archives (*.qmt)|*.qmt|"
                                  "Self-extracting zip files (*.exe)|*.exe|All files (*.*)|*.*";

std::vector<std::string> split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

} // namespace

std::optional<FileDialogRequest> fileDialogRequest(int kind)
{
    FileDialogRequest r;
    r.flags = ofn::HideReadOnly | ofn::NoChangeDir | ofn::FileMustExist;
    r.filter = ZipFilter;
    switch (kind) {
    case 0:
        r.title = "Open Zip File";
        break;
    case 1:
        r.title = "New Zip File";
        r.flags = ofn::OverwritePrompt | ofn::HideReadOnly | ofn::NoChangeDir;
        r.save = true;
        break;
    case 5:
        r.title = "Select self-extractor binary";
        r.filter = "Self-extractor binary (*.bin)|*.bin|All files (*.*)|*.*";
        break;
    case 6:
        r.title = "Select files to process";
        r.fileName = "*.*";
        r.flags = ofn::LongNames | ofn::Explorer | ofn::FileMustExist | ofn::AllowMultiSelect |
                  ofn::NoChangeDir | ofn::HideReadOnly;
        r.filter = "All Files|*.*";
        break;
    default:
        return std::nullopt;
    }
    return r;
}

std::string ShowFileDialog(FileDialogs& dialogs, int kind)
{
    const std::optional<FileDialogRequest> request = fileDialogRequest(kind);
    if (!request)
        return {};
    return fileDialogAnswer(dialogs.chooseFiles(*request));
}

bool BrowseForFolder(FileDialogs& dialogs, std::string& folder, const std::string& title)
{
    const std::optional<std::string> chosen = dialogs.chooseFolder(title);
    if (!chosen || chosen->empty())
        return false;
    folder = *chosen;
    return true;
}

std::string fileDialogAnswer(const std::vector<std::string>& chosen)
{
    if (chosen.empty())
        return {};
    if (chosen.size() == 1)
        return chosen.front();
    std::string answer = qm::fs::parentFolder(chosen.front());
    for (const std::string& file : chosen) {
        answer += '\0';
        answer += qm::fs::fileNamePart(file);
    }
    return answer;
}

std::vector<std::string> nameFilters(const std::string& filter)
{
    std::vector<std::string> out;
    const std::vector<std::string> parts = split(filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string& description = parts[i];
        std::string patterns;
        for (std::string p : split(parts[i + 1], ';')) {
            if (p == "*.*")
                p = "*";
            if (!patterns.empty())
                patterns += ' ';
            patterns += p;
        }
        const std::string shown = "(" + parts[i + 1] + ")";
        std::string entry = description;
        if (entry.size() >= shown.size() && entry.compare(entry.size() - shown.size(), shown.size(), shown) == 0)
            entry.erase(entry.size() - shown.size());
        else
            entry += ' ';
        out.push_back(entry + "(" + patterns + ")");
    }
    return out;
}

} // namespace qm::zipmanager
