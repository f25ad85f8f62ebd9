#pragma once
// The action log window: lists the lines of the action log that WinAce
// leaves in its own folder. The caller sets WinAceLocation and shows it
// modally; each showing reads the log afresh. A missing or unreadable log
// gives an empty list.
#include <QDialog>
#include <string>

class QListWidget;
class QPushButton;

namespace qm::ui {
class UiServices;
}

namespace qm::restore {

class frmAction : public QDialog {
    Q_OBJECT
public:
    explicit frmAction(qm::ui::UiServices& ui, QWidget* parent = nullptr);

    std::string WinAceLocation;

    QListWidget* List1 = nullptr;
    QPushButton* cmdClose = nullptr;

    void Form_Load();

protected:
    void showEvent(QShowEvent* event) override;

private:
    qm::ui::UiServices& ui_;
    bool loaded_ = false;
};

} // namespace qm::restore
