#include "pickers/forms/ChooseTargetDir.h"

#include "pickers/TargetDir.h"
#include "platform/ui/TreeView.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WidgetKit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qm::pickers {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;

ChooseTargetDir::ChooseTargetDir(qm::ui::UiServices& ui, MapDriveCommand mapNetworkDrive, QWidget* parent)
    : QDialog(parent), ui_(ui), trees_(*this, ui, std::move(mapNetworkDrive), "Map &Network Drive")
{
    setObjectName("ChooseTargetDir");
    setWindowTitle(qs(TargetDirCaption));
    vsElastic1 = trees_.vsElastic1;
    vsElastic2 = trees_.vsElastic2;
    vsElastic3 = trees_.vsElastic3;
    vsIndexTab1 = trees_.vsIndexTab1;
    SSTree1 = trees_.SSTree1;
    tvwNetwork = trees_.tvwNetwork;
    imlNWImages = trees_.imlNWImages;
    Command2 = trees_.Command2;

    cmdOkay = named<QPushButton>(vsElastic3, "cmdOkay", "&Okay");
    cmdOkay->setDefault(true);
    cmdCancel = named<QPushButton>(vsElastic3, "cmdCancel", "&Cancel");
    cmdNewDir = named<QPushButton>(vsElastic3, "cmdNewDir", "Make New &Folder");
    Label1 = named<QLabel>(vsElastic3, "Label1", "Enter name of Folder below, then click the 'Make' button:");
    Text1 = field<QLineEdit>(vsElastic3, "Text1");
    Text1->setToolTip("The folder you type here will become a subdirectory of the one selected above.");
    Label1->setBuddy(Text1);
    Command1 = named<QPushButton>(vsElastic3, "Command1", "&Make");

    auto* local = new QVBoxLayout(trees_.localPage);
    local->addWidget(SSTree1);
    auto* rows = new QGridLayout(vsElastic3);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->addWidget(Label1, 0, 0, 1, 2);
    rows->addWidget(Text1, 1, 0);
    rows->addWidget(Command1, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdNewDir);
    buttons->addStretch(1);
    buttons->addWidget(cmdOkay);
    buttons->addWidget(cmdCancel);
    rows->addLayout(buttons, 2, 0, 1, 2);
    rows->setColumnStretch(0, 1);
    resize(440, 480);

    Label1->hide();
    Text1->hide();
    Command1->hide();
    qm::ui::chainTabOrder(
        {vsIndexTab1, SSTree1, tvwNetwork, Command2, Text1, Command1, cmdNewDir, cmdOkay, cmdCancel});

    connect(cmdOkay, &QPushButton::clicked, this, [this] { cmdOkay_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdNewDir, &QPushButton::clicked, this, [this] { cmdNewDir_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void ChooseTargetDir::showEvent(QShowEvent* event)
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void ChooseTargetDir::Form_Load() { trees_.load(); }

void ChooseTargetDir::finish(FolderAnswer answer)
{
    answer_ = std::move(answer);
    answered_ = true;
    accept();
}

void ChooseTargetDir::cmdOkay_Click()
{
    TargetDirOkay okay = targetDirOkay(ui_, trees_.selectedKey());
    if (!okay.close)
        return;
    finish(okay.answer);
    ui_.normalPointer();
}

void ChooseTargetDir::cmdCancel_Click() { finish(FolderAnswer::cancel()); }

void ChooseTargetDir::cmdNewDir_Click()
{
    std::optional<std::string> text = newFolderText(ui_, trees_.selectedKey());
    if (!text)
        return;
    cmdNewDir->hide();
    Label1->show();
    Text1->show();
    Command1->show();
    Text1->setText(qs(*text));
    Text1->setFocus();
}

void ChooseTargetDir::Command1_Click()
{
    if (makeNewFolder(ui_, qm::ui::str(Text1->text())))
        trees_.rebuildDrives();
}

void ChooseTargetDir::Command2_Click()
{
    if (!trees_.mapNetworkDrive())
        return;
    reload_ = true;
    finish(FolderAnswer{});
}

void ChooseTargetDir::reject()
{
    if (!answered_) {
        answer_ = FolderAnswer{};
        answered_ = true;
    }
    QDialog::reject();
}

} // namespace qm::pickers
