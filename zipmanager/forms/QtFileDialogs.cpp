#include "zipmanager/forms/QtFileDialogs.h"

#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/fs/Wildcard.h"
#include "zipmanager/forms/FormKit.h"

#include <QFileDialog>

namespace qm::zipmanager {

using namespace kit;

std::vector<std::string> QtFileDialogs::chooseFiles(const FileDialogRequest& request)
{
    QFileDialog dialog(parent_, qs(request.title));
    QStringList filters;
    for (const std::string& f : nameFilters(request.filter))
        filters << qs(f);
    dialog.setNameFilters(filters);
    // Without QDir::CaseSensitive the masks match names without case.
    dialog.setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs);
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & ofn::OverwritePrompt));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode((request.flags & ofn::AllowMultiSelect) ? QFileDialog::ExistingFiles
                           : (request.flags & ofn::FileMustExist) ? QFileDialog::ExistingFile
                                                                  : QFileDialog::AnyFile);
    }
    if (!request.initialFolder.empty()) {
        try {
            dialog.setDirectory(QString::fromStdString(qm::fs::toNative(request.initialFolder).string()));
        } catch (const qm::RtError&) {
        }
    }
    if (!request.fileName.empty() && !qm::fs::hasWildcards(request.fileName))
        dialog.selectFile(qs(request.fileName));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    std::vector<std::string> chosen;
    for (const QString& f : dialog.selectedFiles())
        chosen.push_back(qm::fs::fromNative(f.toStdString()));
    return chosen;
}

std::optional<std::string> QtFileDialogs::chooseFolder(const std::string& title)
{
    const QString folder = QFileDialog::getExistingDirectory(parent_, qs(title));
    if (folder.isEmpty())
        return std::nullopt;
    return qm::fs::fromNative(folder.toStdString());
}

} // namespace qm::zipmanager
