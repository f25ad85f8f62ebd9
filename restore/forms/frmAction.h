#pragma once
// The action log window "ACE Processing Results": lists the lines of the
// action log that WinAce leaves in its own folder. The opener sets
// WinAceLocation, calls Form_Load (which reads the log: a missing or
// unreadable one throws qm::RtError 53, so nothing shows) and shows the
// window modally; cmdClose closes it. Each opening reads the log afresh.
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

    // Fills List1 from the log and puts the pointer back to normal.
    void Form_Load();

private:
    qm::ui::UiServices& ui_;
};

} // namespace qm::restore
