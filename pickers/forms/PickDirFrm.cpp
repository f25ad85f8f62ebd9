#include "pickers/forms/PickDirFrm.h"

#include "pickers/DriveTree.h"
#include "pickers/PickDir.h"
#include "platform/fs/Paths.h"
#include "platform/ui/TreeView.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WidgetKit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qm::pickers {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;

PickDirFrm::PickDirFrm(qm::ui::UiServices& ui, MapDriveCommand mapNetworkDrive, QWidget* parent)
    : QDialog(parent), ui_(ui), trees_(*this, ui, std::move(mapNetworkDrive), "&Map Network Drive")
{
    setObjectName("PickDirFrm");
    setWindowTitle(qs(PickDirCaption));
    vsElastic1 = trees_.vsElastic1;
    vsElastic2 = trees_.vsElastic2;
    vsElastic3 = trees_.vsElastic3;
    vsIndexTab1 = trees_.vsIndexTab1;
    SSTree1 = trees_.SSTree1;
    tvwNetwork = trees_.tvwNetwork;
    imlNWImages = trees_.imlNWImages;
    Command2 = trees_.Command2;

    File1 = field<QListWidget>(trees_.localPage, "File1");
    File1->setSelectionMode(QAbstractItemView::SingleSelection);
    File2 = field<QListWidget>(trees_.localPage, "File2");
    File2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Label1 = named<QLabel>(trees_.networkPage, "Label1", qs(NetworkNote));
    Label1->setWordWrap(true);
    Command1 = named<QPushButton>(vsElastic3, "Command1", "&Okay");
    Command1->setDefault(true);
    cmdCancel = named<QPushButton>(vsElastic3, "cmdCancel", "&Cancel");

    auto* lists = new QVBoxLayout; // File2 in File1's place: one of them shows
    lists->addWidget(File1);
    lists->addWidget(File2);
    auto* local = new QHBoxLayout(trees_.localPage);
    local->addWidget(SSTree1, 1);
    local->addLayout(lists, 1);
    trees_.networkLayout->insertWidget(1, Label1);
    auto* buttons = new QHBoxLayout(vsElastic3);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(cmdCancel);
    resize(600, 460);
    File2->hide();
    qm::ui::chainTabOrder({vsIndexTab1, SSTree1, File1, File2, tvwNetwork, Command2, Command1, cmdCancel});

    SSTree1->onNodeClick([this](const std::string& key) { SSTree1_NodeClick(key); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void PickDirFrm::showEvent(QShowEvent* event)
{
    if (!loaded_)
        Form_Load();
    QDialog::showEvent(event);
}

bool PickDirFrm::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        ui_.normalPointer();
    return QDialog::event(event);
}

void PickDirFrm::Form_Load()
{
    if (loaded_)
        return;
    loaded_ = true;
    trees_.load();
    File1List.setPath(qm::fs::appPath());
    File1List.setPattern(loadPattern(ParentForm));
    File2List.setPath(qm::fs::appPath());
    if (multiple()) {
        File1->hide();
        File2->show();
    }
    showList(File1, File1List);
    showList(File2, File2List);
}

void PickDirFrm::apply(const FileRequest& request)
{
    Form_Load();
    if (!request.caption.empty())
        setWindowTitle(qs(request.caption));
    if (!request.pattern.empty()) {
        File1List.setPattern(request.pattern);
        showList(File1, File1List);
    }
    if (multiple()) {
        if (!request.folder.empty())
            File2List.setPath(request.folder);
        SSTree1->setEnabled(request.treesEnabled);
        tvwNetwork->setEnabled(request.treesEnabled);
        showList(File2, File2List);
    }
}

void PickDirFrm::showList(QListWidget* view, qm::app::FileListBox& list)
{
    view->clear();
    for (const std::string& name : list.names())
        view->addItem(qs(name));
}

void PickDirFrm::takeSelection(QListWidget* view, qm::app::FileListBox& list)
{
    for (int i = 0; i < view->count() && i < list.ListCount(); ++i)
        list.setSelected(i, view->item(i)->isSelected());
}

void PickDirFrm::SSTree1_NodeClick(const std::string& key)
{
    std::optional<std::string> folder = ClickedFolder(ui_, key);
    if (!folder)
        return;
    File1List.setPath(*folder);
    File2List.setPath(*folder);
    showList(File1, File1List);
    showList(File2, File2List);
}

void PickDirFrm::Command1_Click()
{
    FileRequest request;
    request.ParentForm = ParentForm;
    request.GridColumn = GridColumn;
    PickDirOkay okay;
    if (trees_.onNetworkTab()) {
        okay = pickDirNetwork(ui_, request, tvwNetwork->selectedKey());
    } else {
        QListWidget* view = multiple() ? File2 : File1;
        qm::app::FileListBox& list = multiple() ? File2List : File1List;
        takeSelection(view, list);
        okay = pickDirLocal(ui_, request, list, SSTree1->isEnabled(), SSTree1->selectedKey());
    }
    if (okay.close)
        finish(okay.answer);
}

void PickDirFrm::cmdCancel_Click() { finish(FileAnswer::cancel()); }

void PickDirFrm::Command2_Click()
{
    if (!trees_.mapNetworkDrive())
        return;
    reload_ = true;
    finish(FileAnswer{});
}

void PickDirFrm::finish(FileAnswer answer)
{
    answer_ = std::move(answer);
    answered_ = true;
    accept();
}

void PickDirFrm::reject()
{
    if (!answered_) {
        answer_ = FileAnswer{};
        answered_ = true;
    }
    QDialog::reject();
}

} // namespace qm::pickers
