#include "zipmanager/forms/frmOptions.h"

#include "platform/ui/UiServices.h"
#include "zipmanager/FileDialogs.h"
#include "zipmanager/forms/FormKit.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qm::zipmanager {

using namespace kit;

frmOptions::frmOptions(ToolServices services, QWidget* parent) : QDialog(parent), services_(services)
{
    setObjectName("frmOptions");
    setWindowTitle("Zip Manager Options");

    fraTempFiles = named<QGroupBox>(this, "fraTempFiles", "Temporary files");
    chkUseTempFolder =
        named<QCheckBox>(fraTempFiles, "chkUseTempFolder", "Work with temporary zip files for maximum safety");
    txtTempFolder = field<QLineEdit>(fraTempFiles, "txtTempFolder");
    txtTempFolder->setToolTip("If no path is specified, the default Windows temp directory will be used.");
    cmdBrowseTempFolder = named<QPushButton>(fraTempFiles, "cmdBrowseTempFolder", "&Browse");
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(txtTempFolder, 1);
    folderRow->addWidget(cmdBrowseTempFolder);
    auto* temp = new QVBoxLayout(fraTempFiles);
    temp->addWidget(chkUseTempFolder);
    temp->addLayout(folderRow);

    fraSpanning = named<QGroupBox>(this, "fraSpanning", "If the disk gets full, span disks...");
    optNever = named<QRadioButton>(fraSpanning, "optNever", "Never");
    optAlways = named<QRadioButton>(fraSpanning, "optAlways", "Always");
    optRemovableDrives = named<QRadioButton>(fraSpanning, "optRemovableDrives", "Only when writing to removable media");
    span_ = new QButtonGroup(this);
    span_->addButton(optNever, 0);
    span_->addButton(optAlways, 1);
    span_->addButton(optRemovableDrives, 2);
    auto* spanning = new QVBoxLayout(fraSpanning);
    for (QRadioButton* b : {optNever, optAlways, optRemovableDrives})
        spanning->addWidget(b);

    fraExtraInfo = named<QGroupBox>(this, "fraExtraInfo", "Store extra information in the zip file");
    chkExtraExtTimeStamp = named<QCheckBox>(fraExtraInfo, "chkExtraExtTimeStamp", "All time stamps (Info-Zip data format)");
    chkExtraFileTimes = named<QCheckBox>(fraExtraInfo, "chkExtraFileTimes", "All time stamps (PKWare data format)");
    chkExtraSecurityDsc =
        named<QCheckBox>(fraExtraInfo, "chkExtraSecurityDsc", "Windows NT file security and permissions");
    chkExtraUnicode = named<QCheckBox>(fraExtraInfo, "chkExtraUnicode", "Unicode filenames");
    auto* extra = new QVBoxLayout(fraExtraInfo);
    for (QCheckBox* b : headerBoxes())
        extra->addWidget(b);

    QHBoxLayout* buttons = okCancelRow(this, cmdOk, cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraTempFiles);
    layout->addWidget(fraSpanning);
    layout->addWidget(fraExtraInfo);
    layout->addLayout(buttons);

    chainTabOrder({chkUseTempFolder, txtTempFolder, cmdBrowseTempFolder, optNever, optAlways, optRemovableDrives,
                   chkExtraExtTimeStamp, chkExtraFileTimes, chkExtraSecurityDsc, chkExtraUnicode, cmdOk, cmdCancel});

    connect(chkUseTempFolder, &QCheckBox::clicked, this, [this] { chkUseTempFolder_Click(); });
    connect(cmdBrowseTempFolder, &QPushButton::clicked, this, [this] { cmdBrowseTempFolder_Click(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] {
        confirmed_ = true;
        accept();
    });
}

void frmOptions::ShowForm(qm::zip::PavikZip& zip, bool& result)
{
    confirmed_ = false;
    const OptionsFields f = optionsLoad(zip);
    span_->setExclusive(false);
    for (QAbstractButton* b : span_->buttons())
        b->setChecked(false);
    span_->setExclusive(true);
    if (f.spanMode)
        span_->button(*f.spanMode)->setChecked(true);
    setOn(chkUseTempFolder, f.useTemp);
    chkUseTempFolder_Click();
    txtTempFolder->setText(qs(f.tempFolder));
    setOn(headerBoxes(), f.headers);

    services_.ui.showModal(*this);

    if (confirmed_)
        optionsWrite(zip, fields());
    result = confirmed_;
}

OptionsFields frmOptions::fields() const
{
    OptionsFields f;
    if (span_->checkedId() >= 0)
        f.spanMode = span_->checkedId();
    f.useTemp = isOn(chkUseTempFolder);
    f.tempFolder = str(txtTempFolder->text());
    f.headers = isOn(headerBoxes());
    return f;
}

void frmOptions::chkUseTempFolder_Click()
{
    const bool on = isOn(chkUseTempFolder);
    setFieldEnabled(txtTempFolder, on);
    cmdBrowseTempFolder->setEnabled(on);
}

void frmOptions::cmdBrowseTempFolder_Click()
{
    std::string folder = str(txtTempFolder->text());
    if (BrowseForFolder(services_.files, folder, "Please select the temp directory"))
        txtTempFolder->setText(qs(folder));
}

} // namespace qm::zipmanager
