#include "restore/forms/frmViewZip.h"

#include "app/ProgramState.h"
#include "platform/ui/ReportList.h"
#include "platform/ui/WidgetKit.h"
#include "restore/ViewZip.h"
#include "restore/ViewZipRows.h"
#include "restore/forms/ViewZipRestore.h"
#include "platform/ui/UiServices.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

namespace qm::restore {

namespace {

using qm::ui::named;

} // namespace

// Each row keeps the position it was listed at: the entries of an
// operation follow that order, whatever the sorting on screen.
constexpr int ListedAt = Qt::UserRole + 1;

frmViewZip::frmViewZip(qm::app::ProgramState& state, ViewZipHost host, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), logic_(std::make_unique<ViewZip>(state, *this, std::move(host)))
{
    setObjectName("frmViewZip");
    setAttribute(Qt::WA_DeleteOnClose);

    ListView1 = new qm::ui::ReportList(ViewZipColumns, this);
    ListView1->setObjectName("ListView1");

    ListView1->viewport()->installEventFilter(this);
    cmdOpen = named<QPushButton>(this, "cmdOpen", "&Open");
    cmdExtract = named<QPushButton>(this, "cmdExtract", "&Extract");
    cmdDelete = named<QPushButton>(this, "cmdDelete", "&Delete");
    cmdSelectAll = named<QPushButton>(this, "cmdSelectAll", "Select &All");
    cmdUnselectAll = named<QPushButton>(this, "cmdUnselectAll", "&Unselect All");
    cmdClose = named<QPushButton>(this, "cmdClose", "&Close");

    Label1 = named<QLabel>(this, "Label1", "Files:");
    Label2 = named<QLabel>(this, "Label2", "");
    Label3 = named<QLabel>(this, "Label3", "Compressed size:");
    Label4 = named<QLabel>(this, "Label4", "");
    Label5 = named<QLabel>(this, "Label5", "Uncompressed size:");
    Label6 = named<QLabel>(this, "Label6", "");
    Label7 = named<QLabel>(this, "Label7", "Ratio:");
    Label8 = named<QLabel>(this, "Label8", "");
    Label9 = named<QLabel>(this, "Label9", "Spanned:");
    Label10 = named<QLabel>(this, "Label10", "");
    Label11 = named<QLabel>(this, "Label11", "Archive Comment:");
    lblDescription = named<QLabel>(this, "lblDescription", "");
    lblDescription->setWordWrap(true);
    lblDescription->setTextFormat(Qt::PlainText);

    Frame5 = qm::ui::named<QGroupBox>(this, "Frame5", "Progress Watch");
    Label12 = named<QLabel>(Frame5, "Label12", "Restore Progress:");
    vsElastic2 = qm::ui::field<QProgressBar>(Frame5, "vsElastic2");
    vsElastic2->setRange(0, 100);
    Label13 = named<QLabel>(Frame5, "Label13", "Last file skipped:");
    SkippedTxt = qm::ui::field<QLineEdit>(Frame5, "SkippedTxt");
    SkippedTxt->setReadOnly(true);
    auto* progress = new QGridLayout(Frame5);
    progress->addWidget(Label12, 0, 0);
    progress->addWidget(vsElastic2, 0, 1);
    progress->addWidget(Label13, 1, 0);
    progress->addWidget(SkippedTxt, 1, 1);
    Frame5->hide();

    auto* summary = new QGridLayout;
    QLabel* pairs[][2] = {{Label1, Label2}, {Label3, Label4}, {Label5, Label6}, {Label7, Label8}, {Label9, Label10}};
    int row = 0;
    for (auto& p : pairs) {
        summary->addWidget(p[0], row, 0);
        summary->addWidget(p[1], row, 1);
        ++row;
    }
    summary->addWidget(Label11, row++, 0, 1, 2);
    summary->addWidget(lblDescription, row++, 0, 1, 2);
    summary->setRowStretch(row, 1);
    summary->setColumnStretch(1, 1);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdOpen, cmdExtract, cmdDelete, cmdSelectAll, cmdUnselectAll})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);

    auto* side = new QVBoxLayout;
    side->addLayout(summary, 1);
    side->addWidget(Frame5);
    auto* top = new QHBoxLayout;
    top->addWidget(ListView1, 3);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(side, 1);
    layout->addLayout(bottom);

    qm::ui::chainTabOrder({ListView1, cmdOpen, cmdExtract, cmdDelete, cmdSelectAll, cmdUnselectAll, cmdClose});

    List1PopUpMnu = new QMenu("List1Menu", this);
    List1PopUpMnu->setObjectName("List1PopUpMnu");
    auto item = [this](const char* name, const char* caption) {
        QAction* a = List1PopUpMnu->addAction(caption);
        a->setObjectName(name);
        return a;
    };
    SelectAllMnu = item("SelectAllMnu", "Select All");
    UnSelectAllMnu = item("UnSelectAllMnu", "Unselect All");
    List1PopUpMnu->addSeparator()->setObjectName("dummy");
    OpenMnu = item("OpenMnu", "Open");
    ExtractMnu = item("ExtractMnu", "Extract");
    DeleteMnu = item("DeleteMnu", "Delete");
    CloseMnu = item("CloseMnu", "Close");

    resize(760, 480);
    for (auto [button, menu, handler] :
         std::initializer_list<std::tuple<QPushButton*, QAction*, void (frmViewZip::*)()>>{
             {cmdOpen, OpenMnu, &frmViewZip::cmdOpen_Click},
             {cmdExtract, ExtractMnu, &frmViewZip::cmdExtract_Click},
             {cmdDelete, DeleteMnu, &frmViewZip::cmdDelete_Click},
             {cmdSelectAll, SelectAllMnu, &frmViewZip::cmdSelectAll_Click},
             {cmdUnselectAll, UnSelectAllMnu, &frmViewZip::cmdUnselectAll_Click},
             {cmdClose, CloseMnu, &frmViewZip::cmdClose_Click}}) {
        connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        connect(menu, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    }
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { cmdOpen_Click(); });
    connect(ListView1->header(), &QHeaderView::sectionClicked, this, [this](int c) { ListView1_ColumnClick(c); });
}

frmViewZip::~frmViewZip() { unloadNow(); }

void frmViewZip::AddListedRow(int index, const ViewZipRow& row)
{
    const int at = rowPosition(index, ListView1->topLevelItemCount());
    ListView1->insertRow(at, {row.begin(), row.end()});
    ListView1->topLevelItem(at)->setData(0, ListedAt, index);
}

void frmViewZip::command(void (ViewZip::*operation)())
{
    ++working_;
    ((*logic_).*operation)();
    --working_;
    if (working_ == 0 && closeWanted_)
        close();
}

void frmViewZip::cmdOpen_Click() { command(&ViewZip::Open); }
void frmViewZip::cmdExtract_Click() { command(&ViewZip::Extract); }
void frmViewZip::cmdDelete_Click() { command(&ViewZip::Delete); }

void frmViewZip::cmdSelectAll_Click()
{
    ListView1->setFocus();
    ListView1->selectAll();
    ListView1->update();
}

void frmViewZip::cmdUnselectAll_Click()
{
    ListView1->clearSelection();
    ListView1->update();
}

void frmViewZip::cmdClose_Click()
{
    state_.Form1.mRowCount = 0;
    state_.ui().normalPointer();
    close();
}

void frmViewZip::ListView1_ColumnClick(int column)
{
    const SortOrder order = logic_->columnClick(qm::ui::str(ListView1->headerItem()->text(column)));
    ListView1->sortByColumn(order.column, order.descending);
}

bool frmViewZip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView1->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton)
            List1PopUpMnu->popup(mouse->globalPosition().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

// ---- ViewZipView

std::string frmViewZip::caption() const { return qm::ui::str(windowTitle()); }

std::vector<ViewZipEntry> frmViewZip::entries() const
{
    std::vector<std::pair<int, ViewZipEntry>> rows;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = ListView1->topLevelItem(i);
        rows.push_back({item->data(0, ListedAt).toInt(), {qm::ui::str(item->text(0)), item->isSelected()}});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<ViewZipEntry> out;
    for (auto& r : rows)
        out.push_back(std::move(r.second));
    return out;
}

std::string frmViewZip::spannedText() const { return qm::ui::str(Label10->text()); }

void frmViewZip::showProgressWatch(bool shown) { Frame5->setVisible(shown); }

void frmViewZip::setProgress(int percent) { vsElastic2->setValue(percent); }

void frmViewZip::setSkipped(const std::string& text) { SkippedTxt->setText(qm::ui::qs(text)); }

ExtractTargetAnswer frmViewZip::chooseExtractTarget(const std::optional<std::string>& Label3)
{
    ViewZipRestore dialog(state_.ui(), this);
    dialog.ParentForm = "frmViewZip";
    dialog.preset(Label3);
    state_.ui().showModal(dialog);
    return dialog.answer();
}

void frmViewZip::unload() { close(); }

void frmViewZip::closeEvent(QCloseEvent* event)
{
    if (working_ > 0) {
        // A command is under way: the window closes once it has ended.
        closeWanted_ = true;
        event->ignore();
        return;
    }
    unloadNow();
    QWidget::closeEvent(event);
}

void frmViewZip::unloadNow()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    state_.Form1.mRowCount = 0;
    if (onUnload_)
        onUnload_();
}

} // namespace qm::restore
