#include "editor/forms/frmAddFiles.h"

#include "platform/ui/WidgetKit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <vector>

namespace qm::editor {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;

frmAddFiles::frmAddFiles(FileListEditor& logic, QWidget* parent) : QDialog(parent), logic_(logic)
{
    setObjectName("frmAddFiles");
    setWindowTitle("Files for Backing Up");

    Label1 = named<QLabel>(this, "Label1", "Files to Process List for Project:");
    lblProjectName = field<QLabel>(this, "lblProjectName");
    Label6 = named<QLabel>(this, "Label6", "Project Folder:");
    lblProjectFolder = field<QLabel>(this, "lblProjectFolder");
    Label3 = field<QLabel>(this, "Label3");
    QFont bold = Label3->font();
    bold.setBold(true);
    for (QLabel* l : {lblProjectName, Label3})
        l->setFont(bold);
    Check1 = named<QCheckBox>(this, "Check1",
                              "Process all files in the Source folder (instead of selected files in the list below)");
    List1 = field<QListWidget>(this, "List1");
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);

    Label4 = named<QLabel>(this, "Label4", "Scope of file processing:");
    scope_ = new QButtonGroup(this);
    const std::array<const char*, 2> scopes{"Files in Project Folder only", "System-wide files"};
    for (int i = 0; i < 2; ++i) {
        auto* b = named<QRadioButton>(this, "Option1", scopes[static_cast<std::size_t>(i)]);
        b->setProperty("Index", i);
        scope_->addButton(b, i);
        Option1[static_cast<std::size_t>(i)] = b;
        connect(b, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                run([&] { logic_.Option1_Click(i); });
        });
    }
    Label2 = named<QLabel>(this, "Label2", "Use same file list as");
    const std::array<const char*, 4> kinds{"QMT (ZIP)", "ZIP self-extract", "ACE", "ACE self-extract"};
    auto* clones = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* b = named<QRadioButton>(this, "OptCloneList", kinds[static_cast<std::size_t>(i)]);
        b->setProperty("Index", i);
        clones->addButton(b, i);
        OptCloneList[static_cast<std::size_t>(i)] = b;
        connect(b, &QRadioButton::clicked, this, [this, i] { run([&] { logic_.OptCloneList_Click(i); }); });
    }

    cmdAdd = named<QPushButton>(this, "cmdAdd", "&Add Files");
    Command1 = named<QPushButton>(this, "Command1", "&Remove");
    Command1->setToolTip("Remove selected items from list");
    cmdClear = named<QPushButton>(this, "cmdClear", "&Clear List");
    cmdClear->setToolTip("Remove all items from list");
    cmdOkay = named<QPushButton>(this, "cmdOkay", "&Okay");
    cmdCancel = named<QPushButton>(this, "cmdCancel", "&Cancel");

    connect(Check1, &QCheckBox::clicked, this, [this](bool on) { run([&] { logic_.setCheck1(on); }); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { run([&] { logic_.cmdAdd_Click(); }); });
    connect(Command1, &QPushButton::clicked, this, [this] {
        std::vector<int> rows;
        for (int i = 0; i < List1->count(); ++i)
            if (List1->item(i)->isSelected())
                rows.push_back(i);
        run([&] { logic_.Command1_Click(rows); });
    });
    connect(cmdClear, &QPushButton::clicked, this, [this] { run([&] { logic_.cmdClear_Click(); }); });
    connect(cmdOkay, &QPushButton::clicked, this, [this] {
        if (logic_.cmdOkay_Click())
            accept();
        else
            refresh();
    });
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        logic_.cmdCancel_Click();
        reject();
    });

    auto* heading = new QGridLayout;
    heading->addWidget(Label1, 0, 0);
    heading->addWidget(lblProjectName, 0, 1);
    heading->addWidget(Label6, 1, 0);
    heading->addWidget(lblProjectFolder, 1, 1);
    heading->setColumnStretch(1, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(Label4);
    for (QRadioButton* b : Option1)
        side->addWidget(b);
    side->addSpacing(12);
    side->addWidget(Label2);
    for (QRadioButton* b : OptCloneList)
        side->addWidget(b);
    side->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(List1, 1);
    middle->addLayout(side);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdAdd, Command1, cmdClear})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdOkay);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(Label3);
    layout->addWidget(Check1);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    qm::ui::chainTabOrder({Check1, List1, Option1[0], Option1[1], OptCloneList[0], OptCloneList[1], OptCloneList[2],
                           OptCloneList[3], cmdAdd, Command1, cmdClear, cmdOkay, cmdCancel});
    resize(720, 440);
    refresh();
}

void frmAddFiles::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    qm::ui::placeOnScreen(*this);
    run([&] { logic_.Form_Activate(); });
}

void frmAddFiles::refresh()
{
    lblProjectName->setText(qs(logic_.lblProjectName));
    lblProjectFolder->setText(qs(logic_.lblProjectFolder));
    Label3->setText(qs(logic_.Label3));
    {
        const QSignalBlocker blocker(Check1);
        Check1->setChecked(logic_.Check1);
    }
    List1->clear();
    for (const std::string& entry : logic_.List1)
        List1->addItem(qs(entry));
    List1->setEnabled(logic_.List1Enabled);
    scope_->setExclusive(false);
    for (int i = 0; i < 2; ++i) {
        const QSignalBlocker blocker(Option1[static_cast<std::size_t>(i)]);
        Option1[static_cast<std::size_t>(i)]->setChecked(logic_.Option1 == i);
    }
    scope_->setExclusive(true);
}

} // namespace qm::editor
