#include "platform/winace/forms/PasswordWindow.h"

#include "platform/ui/WidgetKit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm::winace {

namespace {

using namespace qm::ui;

// The file name of a path in either form.
std::string fileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string promptOf(const PasswordQuestion& q)
{
    std::string text = q.entry + " needs a password";
    if (q.entries > 1)
        text += " (and " + std::to_string(q.entries - 1) + " more file(s))";
    return text + ". Enter the password of " + fileName(q.archive) + ":";
}

} // namespace

PasswordWindow::PasswordWindow(const PasswordQuestion& question, QWidget* parent) : QDialog(parent)
{
    setObjectName("frmPassword");
    setWindowTitle(qs("WinAce - " + fileName(question.archive)));
    lblPrompt = named<QLabel>(this, "lblPrompt", qs(promptOf(question)));
    lblPrompt->setWordWrap(true);
    lblPrompt->setTextFormat(Qt::PlainText);
    lblWrong = named<QLabel>(this, "lblWrong", "The password is wrong.");
    lblWrong->setVisible(question.wrong);
    txtPassword = field<QLineEdit>(this, "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    lblPrompt->setBuddy(txtPassword);
    cmdOK = named<QPushButton>(this, "cmdOK", "OK");
    cmdOK->setDefault(true);
    cmdCancel = named<QPushButton>(this, "cmdCancel", "Cancel");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPrompt);
    layout->addWidget(lblWrong);
    layout->addWidget(txtPassword);
    layout->addStretch(1);
    layout->addLayout(buttons);
    chainTabOrder({txtPassword, cmdOK, cmdCancel});
    resize(420, 160);
    placeOnScreen(*this);
    txtPassword->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<std::string> PasswordWindow::answer() const
{
    if (result() != QDialog::Accepted)
        return std::nullopt;
    return str(txtPassword->text());
}

std::optional<std::string> askPassword(const PasswordQuestion& question)
{
    PasswordWindow window(question);
    window.exec();
    return window.answer();
}

} // namespace qm::winace
