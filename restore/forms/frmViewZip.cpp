#include "restore/forms/frmViewZip.h"

#include "app/ProgramState.h"
#include "platform/ui/ReportList.h"
#include "platform/ui/WidgetKit.h"
#include "restore/ViewZipRows.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm::restore {

namespace {

using qm::ui::named;

} // namespace

frmViewZip::frmViewZip(qm::app::Form1Variables& form1, QWidget* parent)
    : QWidget(parent, Qt::Window), form1_(form1)
{
    setObjectName("frmViewZip");
    setAttribute(Qt::WA_DeleteOnClose);

    ListView1 = new qm::ui::ReportList(ViewZipColumns, this);
    ListView1->setObjectName("ListView1");

    // Commands of the window that its own operations bring; closed for now.
    cmdOpen = named<QPushButton>(this, "cmdOpen", "&Open");
    cmdExtract = named<QPushButton>(this, "cmdExtract", "&Extract");
    cmdDelete = named<QPushButton>(this, "cmdDelete", "&Delete");
    cmdSelectAll = named<QPushButton>(this, "cmdSelectAll", "Select &All");
    cmdUnselectAll = named<QPushButton>(this, "cmdUnselectAll", "&Unselect All");
    for (QPushButton* b : {cmdOpen, cmdExtract, cmdDelete, cmdSelectAll, cmdUnselectAll})
        b->setEnabled(false);
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

    resize(760, 480);
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
}

frmViewZip::~frmViewZip() { unload(); }

void frmViewZip::AddListedRow(int index, const ViewZipRow& row)
{
    ListView1->insertRow(rowPosition(index, ListView1->topLevelItemCount()), {row.begin(), row.end()});
}

void frmViewZip::cmdClose_Click()
{
    form1_.mRowCount = 0;
    close();
}

void frmViewZip::closeEvent(QCloseEvent* event)
{
    unload();
    QWidget::closeEvent(event);
}

void frmViewZip::unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    form1_.mRowCount = 0;
    if (onUnload_)
        onUnload_();
}

} // namespace qm::restore
