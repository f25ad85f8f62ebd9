#pragma once
// The split-size dialog, "Split Size". The caller sets ArchiveType ("ZIP",
// "ACE" or "ACEEXE") and ParentForm and shows it modally; it loads the
// stored size of the record when it is first shown. Okay hands the size (and
// the target) back through the main window's state; Cancel, Esc and closing
// it by its frame count as Cancel.
#include <QDialog>
#include <array>
#include <string>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qm::app {
class ProgramState;
}
namespace qm::pickers {
class PickerForms;
}

namespace qm::engine {

class frmSplitSize : public QDialog {
    Q_OBJECT
public:
    // `pickers` opens the target folder dialog behind the target button;
    // without pickers the button is disabled.
    explicit frmSplitSize(qm::app::ProgramState& state, qm::pickers::PickerForms* pickers = nullptr,
                          QWidget* parent = nullptr);

    std::string ParentForm;
    std::string ArchiveType;

    QWidget* vsElastic1 = nullptr;
    std::array<QRadioButton*, 7> Option1{};
    QLineEdit* Text1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* cmdGetTarget = nullptr;
    QPushButton* cmdOkay = nullptr;
    QPushButton* Command1 = nullptr;

    void Form_Load();
    void Option1_Click();
    void cmdGetTarget_Click();
    void cmdOkay_Click();
    void Command1_Click();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    qm::app::ProgramState& state_;
    QButtonGroup* group_ = nullptr;
    qm::pickers::PickerForms* pickers_ = nullptr;
    bool loaded_ = false;
    bool answered_ = false;
};

} // namespace qm::engine
