#include "zipmanager/forms/frmPassword.h"

#include "platform/ui/UiServices.h"
#include "zipmanager/DialogFields.h"
#include "zipmanager/forms/FormKit.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace qm::zipmanager {

using namespace kit;

frmPassword::frmPassword(ToolServices services, QWidget* parent) : QDialog(parent), services_(services)
{
    setObjectName("frmPassword");
    setWindowTitle("Password protection");
    lblPassword = named<QLabel>(this, "lblPassword", "Enter a password:");
    txtPassword = field<QLineEdit>(this, "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    lblPassword->setBuddy(txtPassword);
    lblPasswordExplanation = named<QLabel>(this, "lblPasswordExplanation");
    lblPasswordExplanation->setWordWrap(true);
    QHBoxLayout* buttons = okCancelRow(this, cmdOk, cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPassword);
    layout->addWidget(txtPassword);
    layout->addWidget(lblPasswordExplanation);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(380, 170);
    chainTabOrder({txtPassword, cmdOk, cmdCancel});

    connect(cmdOk, &QPushButton::clicked, this, [this] {
        confirmed_ = true;
        accept();
    });
}

void frmPassword::ShowForm(qm::zip::PavikZip& zip, bool& result)
{
    confirmed_ = false;
    lblPasswordExplanation->setText(qs(PasswordExplanation));
    txtPassword->setText(qs(passwordLoad(zip)));

    services_.ui.showModal(*this);

    if (confirmed_)
        passwordWrite(zip, str(txtPassword->text()));
    result = confirmed_;
}

} // namespace qm::zipmanager
