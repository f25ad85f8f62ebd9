#include "zipmanager/forms/frmMain.h"

#include "zipmanager/ZipManager.h"
#include "zipmanager/forms/FormKit.h"
#include "zipmanager/forms/frmOptions.h"
#include "zipmanager/forms/frmResults.h"
#include "zipmanager/forms/frmUnzip.h"
#include "zipmanager/forms/frmZip.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace qm::zipmanager {

using namespace kit;

namespace {

QAction* item(QMenu* menu, const char* name, const char* caption)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

QMenu* menu(QMenuBar* bar, const char* name, const char* caption)
{
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}

} // namespace

frmMain::frmMain(ToolServices services, QWidget* parent)
    : QMainWindow(parent), services_(services), manager_(std::make_unique<ZipManager>(services.ui, services.files, *this)),
      xZip(manager_->xZip)
{
    setObjectName("frmMain");
    setWindowTitle(IdleCaption);

    mnuFile = menu(menuBar(), "mnuFile", "&File");
    mnuFileNew = item(mnuFile, "mnuFileNew", "&New Zip File");
    mnuFileOpen = item(mnuFile, "mnuFileOpen", "&Open Zip File");
    mnuFile->addSeparator();
    mnuFileSettings = item(mnuFile, "mnuFileSettings", "&Options...");
    mnuFile->addSeparator();
    mnuFileExit = item(mnuFile, "mnuFileExit", "C&lose");
    mnuActions = menu(menuBar(), "mnuActions", "&Actions");
    mnuActionsAdd = item(mnuActions, "mnuActionsAdd", "&Add files...");
    mnuActionsExtract = item(mnuActions, "mnuActionsExtract", "&Unzip files...");
    mnuActions->addSeparator();
    mnuActionsRemove = item(mnuActions, "mnuActionsRemove", "&Delete file(s)...");
    mnuActionsTest = item(mnuActions, "mnuActionsTest", "&Test zip file");
    mnuHelp = menu(menuBar(), "mnuHelp", "&Help");

    auto* central = new QWidget(this);
    lstMain = field<QTreeWidget>(central, "lstMain");
    lstMain->setRootIsDecorated(false);
    lstMain->setUniformRowHeights(true);
    lstMain->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QStringList headings;
    for (std::string_view c : ZipListColumns)
        headings << qs(c);
    lstMain->setHeaderLabels(headings);
    const int widths[] = {160, 110, 80, 80, 80, 80, 140, 140, 140, 160, 60, 70};
    for (int i = 0; i < static_cast<int>(ZipListColumns.size()); ++i)
        lstMain->setColumnWidth(i, widths[i]);

    lblStatusBar = named<QLabel>(central, "lblStatusBar", NoArchiveStatus);
    lblStatusBar->setTextFormat(Qt::PlainText);
    lblStatusBar->setMinimumWidth(200);
    lblStatusBar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblProgress = named<QLabel>(central, "lblProgress", "Progress:");
    prbGlobalProgress = field<QProgressBar>(central, "prbGlobalProgress");
    prbGlobalProgress->setRange(0, 100);
    prbGlobalProgress->setValue(0);
    prbGlobalProgress->setFixedWidth(160);
    cmdAbort = named<QPushButton>(central, "cmdAbort", "&Abort");
    cmdClose = named<QPushButton>(central, "cmdClose", "&Close");

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblStatusBar, 1);
    bottom->addWidget(lblProgress);
    bottom->addWidget(prbGlobalProgress);
    bottom->addWidget(cmdAbort);
    bottom->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(lstMain, 1);
    layout->addLayout(bottom);
    setCentralWidget(central);
    chainTabOrder({lstMain, cmdAbort, cmdClose});
    resize(820, 460);

    // The design state: idle, no archive.
    setMenusEnabled(true, false, true);
    setBusyControls(false);

    connect(mnuFileNew, &QAction::triggered, this, [this] { manager_->mnuFileNew_Click(); });
    connect(mnuFileOpen, &QAction::triggered, this, [this] { manager_->mnuFileOpen_Click(); });
    connect(mnuFileSettings, &QAction::triggered, this, [this] { manager_->mnuFileSettings_Click(); });
    connect(mnuFileExit, &QAction::triggered, this, [this] { manager_->mnuFileExit_Click(); });
    connect(mnuActions, &QMenu::aboutToShow, this, [this] { manager_->mnuActions_Click(); });
    connect(mnuActionsAdd, &QAction::triggered, this, [this] { manager_->mnuActionsAdd_Click(); });
    connect(mnuActionsExtract, &QAction::triggered, this, [this] { manager_->mnuActionsExtract_Click(); });
    connect(mnuActionsRemove, &QAction::triggered, this, [this] { manager_->mnuActionsRemove_Click(); });
    connect(mnuActionsTest, &QAction::triggered, this, [this] { manager_->mnuActionsTest_Click(); });
    connect(cmdAbort, &QPushButton::clicked, this, [this] { manager_->cmdAbort_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { manager_->mnuFileExit_Click(); });
}

frmMain::~frmMain() = default;

void frmMain::Form_Load() { manager_->Form_Load(); }

// ---- ZipManagerView

void frmMain::setCaption(const std::string& caption) { setWindowTitle(qs(caption)); }

void frmMain::setStatus(const std::string& text) { lblStatusBar->setText(qs(text)); }

void frmMain::setProgress(int percent) { prbGlobalProgress->setValue(std::clamp(percent, 0, 100)); }

void frmMain::setMenusEnabled(bool file, bool actions, bool help)
{
    mnuFile->menuAction()->setEnabled(file);
    mnuActions->menuAction()->setEnabled(actions);
    mnuHelp->menuAction()->setEnabled(help);
}

void frmMain::setBusyControls(bool busy)
{
    cmdAbort->setEnabled(busy);
    lblProgress->setVisible(busy);
    prbGlobalProgress->setVisible(busy);
}

void frmMain::setRemoveEnabled(bool enabled) { mnuActionsRemove->setEnabled(enabled); }

void frmMain::clearRows() { lstMain->clear(); }

void frmMain::setListVisible(bool visible) { lstMain->setVisible(visible); }

void frmMain::addRow(int position, const ZipListRow& row)
{
    QStringList texts;
    for (const std::string& t : row.texts)
        texts << qs(t);
    const int at = std::clamp(position - 1, 0, lstMain->topLevelItemCount());
    lstMain->insertTopLevelItem(at, new QTreeWidgetItem(texts));
}

std::vector<ZipListRow> frmMain::rows() const
{
    std::vector<ZipListRow> out;
    for (int i = 0; i < lstMain->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* it = lstMain->topLevelItem(i);
        ZipListRow row;
        for (std::size_t c = 0; c < row.texts.size(); ++c)
            row.texts[c] = str(it->text(static_cast<int>(c)));
        row.Selected = it->isSelected();
        out.push_back(std::move(row));
    }
    return out;
}

std::unique_ptr<ResultsWindow> frmMain::createResults() { return std::make_unique<frmResults>(services_.ui, this); }

bool frmMain::showAddFiles(qm::zip::PavikZip& zip)
{
    frmZip dialog(services_, this);
    bool result = false;
    dialog.ShowForm(zip, result);
    return result;
}

bool frmMain::showUnzip(qm::zip::PavikZip& zip, const std::vector<ZipListRow>& rows)
{
    frmUnzip dialog(services_, this);
    bool result = false;
    dialog.ShowForm(zip, rows, result);
    return result;
}

bool frmMain::showOptions(qm::zip::PavikZip& zip)
{
    frmOptions dialog(services_, this);
    bool result = false;
    dialog.ShowForm(zip, result);
    return result;
}

void frmMain::closeWindow() { close(); }

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!manager_->QueryUnload()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace qm::zipmanager
