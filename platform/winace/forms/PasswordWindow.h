#pragma once
// The WinAce stand-in's password window: which entry needs a password (and
// how many more), "The password is wrong." after a password that did not
// open it, the password (hidden as it is typed), OK and Cancel. The program
// shows it, when there is a display, for a test or an extraction whose
// command line gave no password (StandIn.h, PasswordAsker).
#include "platform/winace/StandIn.h"

#include <QDialog>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qm::winace {

class PasswordWindow : public QDialog {
    Q_OBJECT
public:
    explicit PasswordWindow(const PasswordQuestion& question, QWidget* parent = nullptr);

    // After the window closed: the password for OK, none for Cancel.
    std::optional<std::string> answer() const;

    QLabel* lblPrompt = nullptr;
    QLabel* lblWrong = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};

// Shows the window for `question` and waits for the user's answer.
std::optional<std::string> askPassword(const PasswordQuestion& question);

} // namespace qm::winace
