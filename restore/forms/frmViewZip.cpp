#include "restore/forms/frmViewZip.h"

#include "app/ProgramState.h"
#include "restore/ViewZipRows.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qm::restore {

namespace {

QLabel* label(QWidget* parent, const char* name, const char* text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const char* text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

} // namespace

frmViewZip::frmViewZip(qm::app::Form1Variables& form1, QWidget* parent)
    : QWidget(parent, Qt::Window), form1_(form1)
{
    setObjectName("frmViewZip");
    setAttribute(Qt::WA_DeleteOnClose);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName("ListView1");
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setUniformRowHeights(true);
    QStringList headers;
    for (std::string_view c : ViewZipColumns)
        headers << QString::fromUtf8(c.data(), static_cast<qsizetype>(c.size()));
    ListView1->setHeaderLabels(headers);
    ListView1->header()->setSectionsClickable(true);
    const int widths[] = {240, 80, 85, 150, 150, 70};
    for (int i = 0; i < 6; ++i)
        ListView1->setColumnWidth(i, widths[i]);

    // Commands of the window that its own operations bring; closed for now.
    cmdOpen = button(this, "cmdOpen", "&Open");
    cmdExtract = button(this, "cmdExtract", "&Extract");
    cmdDelete = button(this, "cmdDelete", "&Delete");
    cmdSelectAll = button(this, "cmdSelectAll", "Select &All");
    cmdUnselectAll = button(this, "cmdUnselectAll", "&Unselect All");
    for (QPushButton* b : {cmdOpen, cmdExtract, cmdDelete, cmdSelectAll, cmdUnselectAll})
        b->setEnabled(false);
    cmdClose = button(this, "cmdClose", "&Close");

    Label1 = label(this, "Label1", "Files:");
    Label2 = label(this, "Label2", "");
    Label3 = label(this, "Label3", "Compressed size:");
    Label4 = label(this, "Label4", "");
    Label5 = label(this, "Label5", "Uncompressed size:");
    Label6 = label(this, "Label6", "");
    Label7 = label(this, "Label7", "Ratio:");
    Label8 = label(this, "Label8", "");
    Label9 = label(this, "Label9", "Spanned:");
    Label10 = label(this, "Label10", "");
    Label11 = label(this, "Label11", "Archive Comment:");
    lblDescription = label(this, "lblDescription", "");
    lblDescription->setWordWrap(true);
    lblDescription->setTextFormat(Qt::PlainText);

    Frame5 = new QGroupBox("Progress Watch", this);
    Frame5->setObjectName("Frame5");
    Label12 = label(Frame5, "Label12", "Restore Progress:");
    vsElastic2 = new QProgressBar(Frame5);
    vsElastic2->setObjectName("vsElastic2");
    vsElastic2->setRange(0, 100);
    Label13 = label(Frame5, "Label13", "Last file skipped:");
    SkippedTxt = new QLineEdit(Frame5);
    SkippedTxt->setObjectName("SkippedTxt");
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

    setTabOrder(ListView1, cmdOpen);
    setTabOrder(cmdOpen, cmdExtract);
    setTabOrder(cmdExtract, cmdDelete);
    setTabOrder(cmdDelete, cmdSelectAll);
    setTabOrder(cmdSelectAll, cmdUnselectAll);
    setTabOrder(cmdUnselectAll, cmdClose);

    resize(760, 480);
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
}

frmViewZip::~frmViewZip() { unload(); }

void frmViewZip::AddListedRow(int index, const ViewZipRow& row)
{
    QStringList texts;
    for (const std::string& t : row)
        texts << qs(t);
    ListView1->insertTopLevelItem(rowPosition(index, ListView1->topLevelItemCount()), new QTreeWidgetItem(texts));
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
