#include "restore/forms/ViewZipRestore.h"

#include "pickers/DriveTree.h"
#include "platform/fs/WinPath.h"
#include "platform/ui/TreeView.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WidgetKit.h"
#include "restore/forms/OptionButtons.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qm::restore {

namespace {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;
using qm::ui::str;

constexpr OptionCaption DateCaptions[] = {
    {"DateOptions0", "No date checks", "Do not prohibit extraction based on file date"},
    {"DateOptions1", "Skip if Older", OlderTip},
    {"DateOptions2", "Skip if Older Version", OlderVersionTip},
};

} // namespace

ViewZipRestore::ViewZipRestore(qm::ui::UiServices& ui, QWidget* parent)
    : QDialog(parent), ui_(ui), trees_(*this, ui)
{
    setObjectName("ViewZipRestore");
    setWindowTitle("Choose Target Drive and/or Target Folder");
    vsIndexTab1 = trees_.vsIndexTab1;
    SSTree1 = trees_.SSTree1;
    tvwNetwork = trees_.tvwNetwork;

    Label2 = named<QLabel>(this, "Label2", "Click \"Okay\" button to restore to current target folder:");
    Label3 = named<QLabel>(this, "Label3");
    Label3->setWordWrap(true);
    Label3->setTextFormat(Qt::PlainText);
    Frame3 = named<QGroupBox>(this, "Frame3", "Overwrite/Skip Settings");
    makeOptions(Frame3, SkipOptions, SkipCaptions);
    Frame4 = named<QGroupBox>(this, "Frame4", "Date/version Settings");
    makeOptions(Frame4, DateOptions, DateCaptions);
    cmdOkay = named<QPushButton>(this, "cmdOkay", "&Okay");
    cmdOkay->setDefault(true);
    cmdCancel = named<QPushButton>(this, "cmdCancel", "&Cancel");
    cmdMakeNewDir = named<QPushButton>(this, "cmdMakeNewDir", "&Make New Dir");
    Label1 = named<QLabel>(this, "Label1", "Enter name of Folder below, then click the 'Make' button:");
    Text1 = field<QLineEdit>(this, "Text1");
    Text1->setToolTip("The folder you type here will become a subdirectory of the one selected above.");
    Label1->setBuddy(Text1);
    Command1 = named<QPushButton>(this, "Command1", "Make");
    Command1->setToolTip("Click this to create the folder.");

    auto* rules = new QHBoxLayout;
    rules->addWidget(Frame3);
    rules->addWidget(Frame4);
    auto* make = new QGridLayout;
    make->addWidget(Label1, 0, 0, 1, 2);
    make->addWidget(Text1, 1, 0);
    make->addWidget(Command1, 1, 1);
    make->setColumnStretch(0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdMakeNewDir);
    buttons->addStretch(1);
    buttons->addWidget(cmdOkay);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(vsIndexTab1, 1);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addLayout(rules);
    layout->addLayout(make);
    layout->addLayout(buttons);
    resize(460, 560);

    Label1->hide();
    Text1->hide();
    Command1->hide();
    qm::ui::chainTabOrder({vsIndexTab1, SSTree1, tvwNetwork, SkipOptions[0], SkipOptions[1], SkipOptions[2],
                           DateOptions[0], DateOptions[1], DateOptions[2], Text1, Command1, cmdMakeNewDir, cmdOkay,
                           cmdCancel});

    SSTree1->onNodeClick([this](const std::string& key) { nodeClick(key); });
    tvwNetwork->onNodeClick([this](const std::string& key) { nodeClick(key); });
    connect(cmdOkay, &QPushButton::clicked, this, [this] { cmdOkay_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdMakeNewDir, &QPushButton::clicked, this, [this] { cmdMakeNewDir_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

ViewZipRestore::~ViewZipRestore() = default;

void ViewZipRestore::preset(const std::optional<std::string>& currentFolder)
{
    SkipOptions[0]->setChecked(true);
    DateOptions[0]->setChecked(true);
    if (currentFolder)
        Label3->setText(qs(*currentFolder));
}

void ViewZipRestore::showEvent(QShowEvent* event)
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void ViewZipRestore::Form_Load() { trees_.load(); }

qm::ui::TreeView* ViewZipRestore::visibleTree() const
{
    return vsIndexTab1->currentIndex() == 1 ? tvwNetwork : SSTree1;
}

void ViewZipRestore::nodeClick(const std::string& key)
{
    Label3->setText(qs(key));
    Text1->setText(qs(key));
}

void ViewZipRestore::cmdOkay_Click()
{
    const std::optional<std::string> folder = extractTargetOkay(ui_, trees_.selectedKey(), str(Label3->text()));
    if (!folder)
        return;
    answer_ = {folder, optionOn(SkipOptions), optionOn(DateOptions)};
    accept();
}

void ViewZipRestore::cmdCancel_Click()
{
    answer_ = {};
    reject();
}

void ViewZipRestore::cmdMakeNewDir_Click()
{
    Label1->show();
    Text1->show();
    Command1->show();
    Text1->setText(Label3->text());
    Text1->setFocus();
}

// A folder made here shows in the tree of the visible tab and is selected,
// so that Okay takes the folder the message named: below its parent's
// node when the tree has one (opened first, which fills a parent not read
// yet with all its folders), else below the selected node.
void ViewZipRestore::Command1_Click()
{
    const std::string text = str(Text1->text());
    Label3->setText(Text1->text());
    Label1->hide();
    Text1->hide();
    Command1->hide();
    const std::optional<std::string> made = makeExtractFolder(ui_, text);
    if (!made)
        return;
    qm::ui::TreeView* tree = visibleTree();
    // A drive's node is keyed without its "\".
    std::string parent = qm::fs::parentFolder(*made);
    if (qm::fs::isDriveRoot(parent))
        parent.resize(2);
    if (!tree->contains(parent))
        parent = tree->selectedKey();
    if (parent.empty())
        return;
    tree->expand(parent);
    if (!tree->contains(*made)) {
        const bool network = tree == tvwNetwork;
        tree->add(parent, *made, qm::pickers::FolderDisplayName(qm::fs::fileNamePart(*made)),
                  network ? "folder" : "Folder", network ? "folder" : "Selected");
    }
    tree->select(*made);
}

} // namespace qm::restore
