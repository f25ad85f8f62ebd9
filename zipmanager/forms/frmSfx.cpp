#include "zipmanager/forms/frmSfx.h"

#include "platform/fs/Paths.h"
#include "platform/ui/UiServices.h"
#include "zipmanager/FileDialogs.h"
#include "zipmanager/forms/FormKit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace qm::zipmanager {

using namespace kit;

frmSfx::frmSfx(ToolServices services, QWidget* parent) : QDialog(parent), services_(services)
{
    setObjectName("frmSfx");
    setWindowTitle("Self-extracting zip file options");

    chkMakeSfx = named<QCheckBox>(this, "chkMakeSfx", "Create a &self-extracting zip file");
    lblSelfBinModule = named<QLabel>(this, "lblSelfBinModule", "Type of self-extracting zip file:");
    cmbSelfBinModule = field<QComboBox>(this, "cmbSelfBinModule");
    lblSelfBinModule->setBuddy(cmbSelfBinModule);

    fraStrings = named<QGroupBox>(this, "fraStrings", "Strings and Messages");
    lblWindowTitle = named<QLabel>(fraStrings, "lblWindowTitle", "Self-extracting zip file's title:");
    txtSWindowTitle = field<QLineEdit>(fraStrings, "txtSWindowTitle");
    lblIntro = named<QLabel>(fraStrings, "lblIntro", "Introduction message:");
    txtIntro = field<QLineEdit>(fraStrings, "txtIntro");
    lblSuccess = named<QLabel>(fraStrings, "lblSuccess", "Success message:");
    txtSuccess = field<QLineEdit>(fraStrings, "txtSuccess");
    auto* strings = new QGridLayout(fraStrings);
    int row = 0;
    for (auto [label, edit] : {std::pair{lblWindowTitle, txtSWindowTitle}, std::pair{lblIntro, txtIntro},
                               std::pair{lblSuccess, txtSuccess}}) {
        label->setBuddy(edit);
        strings->addWidget(label, row, 0);
        strings->addWidget(edit, row++, 1);
    }

    lblDefaultFolder = named<QLabel>(this, "lblDefaultFolder", "Default folder to unzip files to:");
    txtDefaultFolder = field<QLineEdit>(this, "txtDefaultFolder");
    lblReadme = named<QLabel>(this, "lblReadme", "Readme file to display:");
    txtReadme = field<QLineEdit>(this, "txtReadme");
    cmbReadme = named<QPushButton>(this, "cmbReadme", "Browse");
    lblIcon = named<QLabel>(this, "lblIcon", "SFX file's icon:");
    txtIcon = field<QLineEdit>(this, "txtIcon");
    cmdIcon = named<QPushButton>(this, "cmdIcon", "Browse");
    lblDefaultFolder->setBuddy(txtDefaultFolder);
    lblReadme->setBuddy(txtReadme);
    lblIcon->setBuddy(txtIcon);

    QHBoxLayout* buttons = okCancelRow(this, cmdOk, cmdCancel);

    auto* files = new QGridLayout;
    files->addWidget(lblSelfBinModule, 0, 0);
    files->addWidget(cmbSelfBinModule, 0, 1, 1, 2);
    files->addWidget(lblDefaultFolder, 1, 0);
    files->addWidget(txtDefaultFolder, 1, 1, 1, 2);
    files->addWidget(lblReadme, 2, 0);
    files->addWidget(txtReadme, 2, 1);
    files->addWidget(cmbReadme, 2, 2);
    files->addWidget(lblIcon, 3, 0);
    files->addWidget(txtIcon, 3, 1);
    files->addWidget(cmdIcon, 3, 2);
    files->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chkMakeSfx);
    layout->addLayout(files);
    layout->addWidget(fraStrings);
    layout->addLayout(buttons);
    resize(520, 340);

    chainTabOrder({chkMakeSfx, cmbSelfBinModule, txtDefaultFolder, txtReadme, cmbReadme, txtIcon, cmdIcon,
                   txtSWindowTitle, txtIntro, txtSuccess, cmdOk, cmdCancel});

    connect(chkMakeSfx, &QCheckBox::toggled, this, [this] { chkMakeSfx_Click(); });
    connect(cmbReadme, &QPushButton::clicked, this, [this] { cmbReadme_Click(); });
    connect(cmdIcon, &QPushButton::clicked, this, [this] { cmdIcon_Click(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] {
        confirmed_ = true;
        accept();
    });
}

void frmSfx::ShowForm(qm::zip::PavikZip& zip, bool& result)
{
    confirmed_ = false;
    const SfxFields f = sfxLoad(zip);
    setOn(chkMakeSfx, f.makeSfx);
    chkMakeSfx_Click();
    cmbSelfBinModule->clear();
    for (std::string_view m : SfxModules)
        cmbSelfBinModule->addItem(qs(m));
    cmbSelfBinModule->setCurrentIndex(f.module);
    txtSWindowTitle->setText(qs(f.title));
    txtSuccess->setText(qs(f.success));
    txtIntro->setText(qs(f.intro));
    txtDefaultFolder->setText(qs(f.defaultFolder));
    txtReadme->setText(qs(f.readme));
    txtIcon->setText(qs(f.icon));

    services_.ui.showModal(*this);

    result = sfxWrite(zip, fields(), confirmed_, qm::fs::appPath());
}

SfxFields frmSfx::fields() const
{
    SfxFields f;
    f.makeSfx = isOn(chkMakeSfx);
    f.module = cmbSelfBinModule->currentIndex();
    f.title = str(txtSWindowTitle->text());
    f.intro = str(txtIntro->text());
    f.success = str(txtSuccess->text());
    f.defaultFolder = str(txtDefaultFolder->text());
    f.readme = str(txtReadme->text());
    f.icon = str(txtIcon->text());
    return f;
}

void frmSfx::chkMakeSfx_Click()
{
    const bool on = isOn(chkMakeSfx);
    for (QWidget* w : {static_cast<QWidget*>(cmbSelfBinModule), static_cast<QWidget*>(cmbReadme),
                       static_cast<QWidget*>(cmdIcon)})
        w->setEnabled(on);
    for (QLineEdit* e : {txtSWindowTitle, txtIntro, txtSuccess, txtDefaultFolder, txtReadme, txtIcon})
        setFieldEnabled(e, on);
}

void frmSfx::selectInto(QLineEdit* target, const char* filter, const char* title)
{
    FileDialogRequest request;
    request.flags = ofn::HideReadOnly | ofn::NoChangeDir | ofn::FileMustExist;
    request.filter = filter;
    request.title = title;
    request.initialFolder = qm::fs::appPath();
    const std::string answer = fileDialogAnswer(services_.files.chooseFiles(request));
    if (!answer.empty())
        target->setText(qs(answer));
}

void frmSfx::cmbReadme_Click() { selectInto(txtReadme, "Readme files (*.txt)|*.txt", "Select readme file"); }

void frmSfx::cmdIcon_Click() { selectInto(txtIcon, "Icon files (*.ico)|*.ico", "Select icon file"); }

} // namespace qm::zipmanager
