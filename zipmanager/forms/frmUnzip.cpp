#include "zipmanager/forms/frmUnzip.h"

#include "platform/ui/UiServices.h"
#include "zipmanager/FileDialogs.h"
#include "zipmanager/ZipManagerText.h"
#include "zipmanager/forms/FormKit.h"
#include "zipmanager/forms/frmFilters.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace qm::zipmanager {

using namespace kit;

frmUnzip::frmUnzip(ToolServices services, QWidget* parent) : QDialog(parent), services_(services)
{
    setObjectName("frmUnzip");
    setWindowTitle("Unzip files");

    lblExtractDirectory =
        named<QLabel>(this, "lblExtractDirectory", "Select the folder where to unzip files to:");
    txtExtractDirectory = field<QLineEdit>(this, "txtExtractDirectory");
    cmdExtractDirectory = named<QPushButton>(this, "cmdExtractDirectory", "Browse");
    lblExtractDirectory->setBuddy(txtExtractDirectory);
    lblFilesToProcess =
        named<QLabel>(this, "lblFilesToProcess", "Specify which files in the zip file you want to unzip:");
    txtFilesToProcess = field<QPlainTextEdit>(this, "txtFilesToProcess");
    txtFilesToProcess->setToolTip("For multiple choices, seperate each filter with a line feed.");
    txtFilesToProcess->setTabChangesFocus(true);
    lblFilesToProcess->setBuddy(txtFilesToProcess);

    fraFolders = named<QGroupBox>(this, "fraFolders", "Folder options");
    chkPreservePaths = named<QCheckBox>(fraFolders, "chkPreservePaths", "Retrieve paths stored in zip file");
    chkProcessSubFolders = named<QCheckBox>(fraFolders, "chkProcessSubFolders", "Include subfolders");
    auto* folders = new QVBoxLayout(fraFolders);
    folders->addWidget(chkPreservePaths);
    folders->addWidget(chkProcessSubFolders);
    folders->addStretch(1);

    fraSkip = named<QGroupBox>(this, "fraSkip", "Do not unzip files that...");
    chkSkipIfExisting = named<QCheckBox>(fraSkip, "chkSkipIfExisting", "Already exist in the destination folder");
    chkSkipIfNotExisting =
        named<QCheckBox>(fraSkip, "chkSkipIfNotExisting", "Do not already exist in the destination folder");
    chkSkipIfOlderDate =
        named<QCheckBox>(fraSkip, "chkSkipIfOlderDate", "Are older than files already in the destination folder");
    chkSkipIfOlderVersion = named<QCheckBox>(fraSkip, "chkSkipIfOlderVersion",
                                             "Are older versions of files already in the destination folder");
    auto* skip = new QVBoxLayout(fraSkip);
    for (QCheckBox* b : skipBoxes())
        skip->addWidget(b);

    fraPassword = named<QGroupBox>(this, "fraPassword", "Password protected files");
    lblDefaultPassword =
        named<QLabel>(fraPassword, "lblDefaultPassword", "Try using the following password for unzipping files:");
    txtDefaultPassword = field<QLineEdit>(fraPassword, "txtDefaultPassword");
    txtDefaultPassword->setEchoMode(QLineEdit::Password);
    lblDefaultPassword->setBuddy(txtDefaultPassword);
    auto* password = new QVBoxLayout(fraPassword);
    password->addWidget(lblDefaultPassword);
    password->addWidget(txtDefaultPassword);

    cmdFilters = named<QPushButton>(this, "cmdFilters", "&Filters...");
    cmdExtract = named<QPushButton>(this, "cmdExtract", "&Unzip!");
    cmdExtract->setDefault(true);
    cmdCancel = named<QPushButton>(this, "cmdCancel", "&Cancel");

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(txtExtractDirectory, 1);
    folderRow->addWidget(cmdExtractDirectory);
    auto* frames = new QHBoxLayout;
    frames->addWidget(fraFolders);
    frames->addWidget(fraSkip, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdFilters);
    buttons->addStretch(1);
    buttons->addWidget(cmdExtract);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblExtractDirectory);
    layout->addLayout(folderRow);
    layout->addWidget(lblFilesToProcess);
    layout->addWidget(txtFilesToProcess, 1);
    layout->addLayout(frames);
    layout->addWidget(fraPassword);
    layout->addLayout(buttons);
    resize(600, 520);

    chainTabOrder({txtExtractDirectory, cmdExtractDirectory, txtFilesToProcess, chkPreservePaths,
                   chkProcessSubFolders, chkSkipIfExisting, chkSkipIfNotExisting, chkSkipIfOlderDate,
                   chkSkipIfOlderVersion, txtDefaultPassword, cmdFilters, cmdExtract, cmdCancel});

    connect(cmdExtractDirectory, &QPushButton::clicked, this, [this] { cmdExtractDirectory_Click(); });
    connect(cmdFilters, &QPushButton::clicked, this, [this] { cmdFilters_Click(); });
    connect(cmdExtract, &QPushButton::clicked, this, [this] {
        confirmed_ = true;
        accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });
}

void frmUnzip::ShowForm(qm::zip::PavikZip& zip, const std::vector<ZipListRow>& rows, bool& result)
{
    confirmed_ = false;
    zip_ = &zip;
    const UnzipFields f = unzipLoad(zip, rows);
    txtExtractDirectory->setText(qs(f.extractFolder));
    txtFilesToProcess->setPlainText(qs(linesForField(f.files)));
    setOn(chkProcessSubFolders, f.subfolders);
    setOn(chkPreservePaths, f.preservePaths);
    setOn(skipBoxes(), f.skip);
    txtDefaultPassword->setText(qs(f.password));

    services_.ui.showModal(*this);

    if (confirmed_)
        unzipWrite(zip, fields());
    result = confirmed_;
}

UnzipFields frmUnzip::fields() const
{
    UnzipFields f;
    f.extractFolder = str(txtExtractDirectory->text());
    f.files = linesFromField(str(txtFilesToProcess->toPlainText()));
    f.subfolders = isOn(chkProcessSubFolders);
    f.preservePaths = isOn(chkPreservePaths);
    f.skip = isOn(skipBoxes());
    f.password = str(txtDefaultPassword->text());
    return f;
}

void frmUnzip::cmdExtractDirectory_Click()
{
    std::string folder = str(txtExtractDirectory->text());
    if (BrowseForFolder(services_.files, folder, "Please select the Extracting Directory"))
        txtExtractDirectory->setText(qs(folder));
}

void frmUnzip::cmdFilters_Click()
{
    frmFilters dialog(services_, this);
    bool result = false;
    dialog.ShowForm(*zip_, result);
}

} // namespace qm::zipmanager
