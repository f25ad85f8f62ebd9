#pragma once
// frmAbout, the about box "About Quillmate": the program's name, version,
// description and notice, and the maker's two links. It is shown not modal;
// OK or a click on a link unloads it (the link is opened first, and the box
// closes even when opening fails).
#include <QDialog>

#include <array>

class QFrame;
class QLabel;
class QPushButton;

namespace qm::app {

class ProgramState;

// The notice shown under the description; it ends by pointing to the web site.
inline constexpr const char* AboutNotice =
    "Quillmate is provided as is, without warranty of any kind. Keep more than one copy of the files that "
    "matter to you, and test your archives from time to time. For news, updates and help, visit our web site:";

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(ProgramState& state, QWidget* parent = nullptr);

    QLabel* picIcon = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QLabel* Label1 = nullptr; // the web address
    QLabel* Label2 = nullptr; // the mail address
    std::array<QFrame*, 2> Line1{};
    QPushButton* cmdOK = nullptr;

    void Form_Load();
    void cmdOK_Click();
    void Label1_Click();
    void Label2_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ProgramState& state_;
};

} // namespace qm::app
