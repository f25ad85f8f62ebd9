#pragma once
// The archive kind dialog, "Archive Options". The caller prepares it
// (apply) and shows it modally; it answers only through the main window's
// state: ProjectType, ZipTypeBut and Check1. Closing it by its frame or with
// Esc counts as Cancel.
#include "session/ArchiveKinds.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QButtonGroup;

namespace qm::app {
class ProgramState;
}

namespace qm::session {
struct BackupTypeSetup;
}

namespace qm::engine {

class frmBackupType : public QDialog {
    Q_OBJECT
public:
    explicit frmBackupType(qm::app::ProgramState& state, QWidget* parent = nullptr);

    // Sets the frame caption, the visible options, Label1, Check1 and the
    // preset option as a caller does before showing the dialog.
    void apply(const qm::session::BackupTypeSetup& setup);

    // Controls, by their names.
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, qm::session::ArchiveKindCount> ZipTypeBut{};
    QCheckBox* Check1 = nullptr;
    QPushButton* cmdOkay = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* Label1 = nullptr;

    void cmdOkay_Click();
    void cmdCancel_Click();

public slots:
    void reject() override;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setOption(std::optional<int> index);

    qm::app::ProgramState& state_;
    QButtonGroup* group_ = nullptr;
    bool answered_ = false;
};

} // namespace qm::engine
