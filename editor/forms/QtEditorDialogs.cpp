#include "editor/forms/QtEditorDialogs.h"

#include "editor/forms/SlotForms.h"
#include "editor/forms/frmAddFiles.h"
#include "editor/forms/frmCloneComment.h"
#include "platform/fs/Paths.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WidgetKit.h"

#include <QApplication>
#include <QFileDialog>

namespace qm::editor {

using qm::ui::qs;

void QtEditorDialogs::showAddFiles(FileListEditor& dialog)
{
    qm::editor::frmAddFiles form(dialog, QApplication::activeWindow());
    ui_.showModal(form);
}

void QtEditorDialogs::showCloneComment(CloneComment& dialog)
{
    frmCloneComment form(dialog, QApplication::activeWindow());
    ui_.showModal(form);
}

void QtEditorDialogs::showSlots(SlotEditor& dialog)
{
    if (dialog.kind() == SlotKind::Extensions) {
        frmExtensions form(dialog, QApplication::activeWindow());
        ui_.showModal(form);
    } else {
        frmProgramGroup form(dialog, QApplication::activeWindow());
        ui_.showModal(form);
    }
}

std::optional<std::string> QtEditorDialogs::chooseOpenFile(const OpenFileRequest& request)
{
    QFileDialog CommonDialog1(QApplication::activeWindow(), qs(request.title));
    CommonDialog1.setObjectName("CommonDialog1");
    CommonDialog1.setFileMode(QFileDialog::ExistingFile);
    CommonDialog1.setAcceptMode(QFileDialog::AcceptOpen);
    CommonDialog1.setNameFilter(qs(request.filter));
    std::string suffix = request.defaultExtension;
    if (suffix.starts_with('.'))
        suffix.erase(0, 1);
    CommonDialog1.setDefaultSuffix(qs(suffix));
    CommonDialog1.selectFile(qs(request.fileName));
    ui_.showModal(CommonDialog1);
    if (CommonDialog1.result() != QDialog::Accepted || CommonDialog1.selectedFiles().isEmpty())
        return std::nullopt;
    return qm::fs::fromNative(CommonDialog1.selectedFiles().front().toStdString());
}

} // namespace qm::editor
