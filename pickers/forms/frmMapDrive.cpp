#include "pickers/forms/frmMapDrive.h"

#include "pickers/MapDrive.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WidgetKit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm::pickers {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;
using qm::ui::str;

frmMapDrive::frmMapDrive(qm::ui::UiServices& ui, QWidget* parent) : QDialog(parent), ui_(ui)
{
    setObjectName("frmMapDrive");
    setWindowTitle(qs(MapDriveCaption));
    Label1 = named<QLabel>(this, "Label1", qs(FirstLetterCaption));
    Label2 = named<QLabel>(this, "Label2", "Local Drive Letter:");
    Combo1 = field<QComboBox>(this, "Combo1");
    Combo1->setEditable(true);
    Label2->setBuddy(Combo1);
    Label3 = named<QLabel>(this, "Label3", "Network Path:");
    lblNetworkPath = field<QLabel>(this, "lblNetworkPath");
    lblNetworkPath->setTextFormat(Qt::PlainText);
    lblNetworkPath->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblNetworkPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Frame1 = named<QGroupBox>(this, "Frame1", "Optional");
    Label4 = named<QLabel>(Frame1, "Label4", "Username:");
    txtUsername = field<QLineEdit>(Frame1, "txtUsername");
    Label4->setBuddy(txtUsername);
    Label5 = named<QLabel>(Frame1, "Label5", "Password:");
    txtPassword = field<QLineEdit>(Frame1, "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    Label5->setBuddy(txtPassword);
    cmdOkay = named<QPushButton>(this, "cmdOkay", "&Okay");
    cmdOkay->setDefault(true);
    cmdCancel = named<QPushButton>(this, "cmdCancel", "&Cancel");

    auto* login = new QGridLayout(Frame1);
    login->addWidget(Label4, 0, 0);
    login->addWidget(txtUsername, 0, 1);
    login->addWidget(Label5, 1, 0);
    login->addWidget(txtPassword, 1, 1);
    auto* fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0, 1, 2);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(Combo1, 1, 1, Qt::AlignLeft);
    fields->addWidget(Label3, 2, 0);
    fields->addWidget(lblNetworkPath, 2, 1);
    fields->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOkay);
    buttons->addWidget(cmdCancel);
    auto* whole = new QVBoxLayout(this);
    whole->addLayout(fields);
    whole->addWidget(Frame1);
    whole->addLayout(buttons);
    resize(420, 0);
    qm::ui::chainTabOrder({Combo1, txtUsername, txtPassword, cmdOkay, cmdCancel});

    connect(cmdOkay, &QPushButton::clicked, this, [this] { cmdOkay_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmMapDrive::showEvent(QShowEvent* event)
{
    Form_Load();
    QDialog::showEvent(event);
}

void frmMapDrive::Form_Load()
{
    if (loaded_)
        return;
    loaded_ = true;
    const MapDriveLoad load = mapDriveLoad(DrvLtr);
    for (const std::string& letter : load.letters)
        Combo1->addItem(qs(letter));
    Label1->setText(qs(load.Label1));
    Combo1->setCurrentText(qs(load.Combo1));
}

void frmMapDrive::cmdOkay_Click()
{
    if (!mapDriveOkay(ui_, str(Combo1->currentText()), str(lblNetworkPath->text()), str(txtUsername->text()),
                      str(txtPassword->text())))
        return;
    closingSteps_ = true;
    accept();
}

void frmMapDrive::cmdCancel_Click() { reject(); }

MapDriveCommand networkDriveCommand(qm::ui::UiServices& ui)
{
    return [&ui](const MapDriveHost& host) {
        std::optional<MapDriveOpening> opening = mapDriveOpening(ui, host.name, host.selectedKey);
        if (!opening)
            return false;
        frmMapDrive dialog(ui, &host.window);
        dialog.DrvLtr = opening->DrvLtr;
        dialog.Form_Load();
        dialog.lblNetworkPath->setText(qs(opening->lblNetworkPath));
        dialog.ParentForm = opening->ParentForm;
        ui.showModal(dialog);
        return dialog.closingStepsRan() && reloadsOpener(dialog.ParentForm);
    };
}

} // namespace qm::pickers
