#include "zipmanager/forms/frmZip.h"

#include "platform/ui/UiServices.h"
#include "zipmanager/FileDialogs.h"
#include "zipmanager/ZipManagerText.h"
#include "zipmanager/forms/FormKit.h"
#include "zipmanager/forms/frmFilters.h"
#include "zipmanager/forms/frmPassword.h"
#include "zipmanager/forms/frmSfx.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace qm::zipmanager {

using namespace kit;

frmZip::frmZip(ToolServices services, QWidget* parent) : QDialog(parent), services_(services)
{
    setObjectName("frmZip");
    setWindowTitle("Add file(s) to the zip file");

    lblFilesToProcess = named<QLabel>(this, "lblFilesToProcess", "Enter the list of files to add or update in the zip file:");
    txtFilesToProcess = field<QPlainTextEdit>(this, "txtFilesToProcess");
    txtFilesToProcess->setToolTip("For multiple choices, seperate each filter with a line feed.");
    txtFilesToProcess->setTabChangesFocus(true);
    lblFilesToProcess->setBuddy(txtFilesToProcess);
    cmdFilesToProcess = named<QPushButton>(this, "cmdFilesToProcess", "&Browse");
    lblCompLevel = named<QLabel>(this, "lblCompLevel", "Compression factor:");
    cmbCompLevel = field<QComboBox>(this, "cmbCompLevel");
    lblCompLevel->setBuddy(cmbCompLevel);

    fraFolders = named<QGroupBox>(this, "fraFolders", "Folders and paths");
    chkProcessSubFolders = named<QCheckBox>(fraFolders, "chkProcessSubFolders", "&Include subfolders");
    chkPreservePaths = named<QCheckBox>(fraFolders, "chkPreservePaths", "S&tore paths in zip file");
    auto* folders = new QVBoxLayout(fraFolders);
    folders->addWidget(chkProcessSubFolders);
    folders->addWidget(chkPreservePaths);
    folders->addStretch(1);

    fraSkip = named<QGroupBox>(this, "fraSkip", "Do not zip files that...");
    chkSkipIfExisting = named<QCheckBox>(fraSkip, "chkSkipIfExisting", "Are &already in the zip file");
    chkSkipIfNotExisting = named<QCheckBox>(fraSkip, "chkSkipIfNotExisting", "Are &not already in the zip file");
    chkSkipIfOlderDate = named<QCheckBox>(fraSkip, "chkSkipIfOlderDate", "Are ol&der than files already in the zip file");
    chkSkipIfOlderVersion =
        named<QCheckBox>(fraSkip, "chkSkipIfOlderVersion", "Are older &versions than files already in the zip file");
    auto* skip = new QVBoxLayout(fraSkip);
    for (QCheckBox* b : skipBoxes())
        skip->addWidget(b);

    fraSplitting = named<QGroupBox>(this, "fraSplitting", "Splitting");
    chkSplitting = named<QCheckBox>(fraSplitting, "chkSplitting", "C&reate a zip file that is split into smaller pieces");
    lblSplitSize = named<QLabel>(fraSplitting, "lblSplitSize", "I want the zip file to be split into pieces of");
    txtSplitSize = field<QLineEdit>(fraSplitting, "txtSplitSize");
    txtSplitSize->setMaximumWidth(100);
    makeNumberField(txtSplitSize);
    lblKbytes = named<QLabel>(fraSplitting, "lblKbytes", "kbytes.");
    auto* splitRow = new QHBoxLayout;
    splitRow->addWidget(lblSplitSize);
    splitRow->addWidget(txtSplitSize);
    splitRow->addWidget(lblKbytes);
    splitRow->addStretch(1);
    auto* splitting = new QVBoxLayout(fraSplitting);
    splitting->addWidget(chkSplitting);
    splitting->addLayout(splitRow);

    cmdFilters = named<QPushButton>(this, "cmdFilters", "&Filters...");
    cmdPasswordProtect = named<QPushButton>(this, "cmdPasswordProtect", "&Password...");
    cmdSfx = named<QPushButton>(this, "cmdSfx", "&SFX...");
    cmdZip = named<QPushButton>(this, "cmdZip", "&Zip!");
    cmdZip->setDefault(true);
    cmdCancel = named<QPushButton>(this, "cmdCancel", "&Cancel");

    auto* filesRow = new QHBoxLayout;
    filesRow->addWidget(txtFilesToProcess, 1);
    auto* browse = new QVBoxLayout;
    browse->addWidget(cmdFilesToProcess);
    browse->addStretch(1);
    filesRow->addLayout(browse);
    auto* levelRow = new QHBoxLayout;
    levelRow->addWidget(lblCompLevel);
    levelRow->addWidget(cmbCompLevel);
    levelRow->addStretch(1);
    auto* frames = new QHBoxLayout;
    frames->addWidget(fraFolders);
    frames->addWidget(fraSkip, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdFilters, cmdPasswordProtect, cmdSfx})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdZip);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblFilesToProcess);
    layout->addLayout(filesRow, 1);
    layout->addLayout(levelRow);
    layout->addLayout(frames);
    layout->addWidget(fraSplitting);
    layout->addLayout(buttons);
    resize(600, 480);

    chainTabOrder({txtFilesToProcess, cmdFilesToProcess, cmbCompLevel, chkProcessSubFolders, chkPreservePaths,
                   chkSkipIfExisting, chkSkipIfNotExisting, chkSkipIfOlderDate, chkSkipIfOlderVersion, chkSplitting,
                   txtSplitSize, cmdFilters, cmdPasswordProtect, cmdSfx, cmdZip, cmdCancel});

    connect(cmdFilesToProcess, &QPushButton::clicked, this, [this] { cmdFilesToProcess_Click(); });
    connect(cmdFilters, &QPushButton::clicked, this, [this] { cmdFilters_Click(); });
    connect(cmdPasswordProtect, &QPushButton::clicked, this, [this] { cmdPasswordProtect_Click(); });
    connect(cmdSfx, &QPushButton::clicked, this, [this] { cmdSfx_Click(); });
    connect(cmdZip, &QPushButton::clicked, this, [this] { cmdZip_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(chkSplitting, &QCheckBox::toggled, this, [this] { chkSplitting_Click(); });
}

void frmZip::ShowForm(qm::zip::PavikZip& zip, bool& result)
{
    confirmed_ = false;
    zip_ = &zip;
    const AddFilesFields f = addFilesLoad(zip);
    levels_ = f.levels;
    cmbCompLevel->clear();
    for (const CompressionEntry& e : CompressionEntries)
        cmbCompLevel->addItem(qs(e.caption));
    cmbCompLevel->setCurrentIndex(f.level);
    setOn(chkPreservePaths, f.paths);
    setOn(chkProcessSubFolders, f.subfolders);
    setOn(skipBoxes(), f.skip);
    txtSplitSize->setText(qs(f.splitSize));
    setOn(chkSplitting, false);
    chkSplitting_Click();

    services_.ui.showModal(*this);

    if (confirmed_)
        addFilesWrite(zip, fields());
    result = confirmed_;
}

AddFilesFields frmZip::fields() const
{
    AddFilesFields f;
    f.files = linesFromField(str(txtFilesToProcess->toPlainText()));
    f.levels = levels_;
    f.level = std::max(cmbCompLevel->currentIndex(), 0);
    f.paths = isOn(chkPreservePaths);
    f.subfolders = isOn(chkProcessSubFolders);
    f.skip = isOn(skipBoxes());
    f.splitting = isOn(chkSplitting);
    f.splitSize = str(txtSplitSize->text());
    return f;
}

void frmZip::chkSplitting_Click()
{
    const bool on = isOn(chkSplitting);
    lblSplitSize->setEnabled(on);
    setFieldEnabled(txtSplitSize, on);
    lblKbytes->setEnabled(on);
}

void frmZip::cmdFilesToProcess_Click()
{
    const std::string answer = ShowFileDialog(services_.files, 6);
    if (answer.empty())
        return;
    QString text = txtFilesToProcess->toPlainText();
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
    txtFilesToProcess->setPlainText(text + qs(linesForField(NullListToLines(answer))));
}

void frmZip::cmdFilters_Click()
{
    frmFilters dialog(services_, this);
    bool result = false;
    dialog.ShowForm(*zip_, result);
}

void frmZip::cmdPasswordProtect_Click()
{
    frmPassword dialog(services_, this);
    bool result = false;
    dialog.ShowForm(*zip_, result);
}

void frmZip::cmdSfx_Click()
{
    frmSfx dialog(services_, this);
    bool result = false;
    dialog.ShowForm(*zip_, result);
}

void frmZip::cmdZip_Click()
{
    if (const std::optional<std::string> message = addFilesCheck(fields())) {
        services_.ui.msgBox(*message, qm::ui::mb::OKOnly | qm::ui::mb::Exclamation);
        return;
    }
    confirmed_ = true;
    accept();
}

} // namespace qm::zipmanager
