#pragma once
// The comment editor frmCloneComment, "Re-Use Comment", shown modally over
// the record editor: one kind's archive comment, or a new one, copied into
// the comments of other kinds. Made afresh for every opening. The window
// holds widgets only; its logic (CloneComment) decides, and the window
// shows it after every call.
#include "editor/CloneComment.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace qm::editor {

class frmCloneComment : public QDialog {
    Q_OBJECT
public:
    explicit frmCloneComment(CloneComment& logic, QWidget* parent = nullptr);

    QGroupBox* Frame4 = nullptr;
    QLabel* lblProjectName = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 5> Option1{};
    QGroupBox* Frame3 = nullptr;
    QPlainTextEdit* txtComment = nullptr;
    QGroupBox* Frame2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check4 = nullptr;
    QPushButton* Command2 = nullptr; // Clone
    QPushButton* Command1 = nullptr; // Cancel

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    CloneComment& logic_;
    std::array<QCheckBox*, CommentKinds> checks_{};
    bool refreshing_ = false;
};

} // namespace qm::editor
