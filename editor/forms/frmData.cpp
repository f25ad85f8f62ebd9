#include "editor/forms/frmData.h"

#include "app/ProgramState.h"
#include "editor/EditorColumns.h"
#include "platform/profile/Profile.h"
#include "platform/ui/CardGrid.h"
#include "platform/ui/WidgetKit.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qm::editor {

using qm::ui::field;
using qm::ui::named;

frmData::frmData(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow, const EditorOpening& opening,
                 std::function<void(int context)> showHelp)
    : rows_(state.store), logic_(state, mainWindow, *this, opening)
{
    setObjectName("frmData");
    setWindowTitle("Quillmate version 3.0");
    logic_.showHelp = std::move(showHelp);

    GridEX1 = new qm::ui::CardGrid(EditorColumns, rows_, this);
    GridEX1->setObjectName("GridEX1");
    GridEX1->setCardCaption("", 1);
    // What a project file gives back of a value.
    GridEX1->setTextLimit(static_cast<int>(qm::profile::MaxValueLength));
    GridEX1->onCurrentCellChanged([this](int, int column) { logic_.GridEX1_SelectionChange(column); });
    GridEX1->onBeforeEdit([this](int, int column) { return logic_.GridEX1_BeforeColEdit(column); });
    GridEX1->onCellButton([this](int, int column) { logic_.GridEX1_ColButtonClick(column); });
    GridEX1->onEditEnded([this](int, int column) { logic_.GridEX1_AfterColEdit(column); });

    Frame1 = named<QGroupBox>(this, "Frame1", "View");
    vsIndexTab1 = field<QTabWidget>(Frame1, "vsIndexTab1");
    vsIndexTab1->setToolTip("Settings for QMT (ZIP) and self-extracting ZIP files. Also settings for ACE and ACE "
                            "self-extracting versions of the project");
    const QString qmtOnly = "This section applies only to QMT back-ups, not to self-extracting archives.";
    Label1 = named<QLabel>(this, "Label1", "QMT (ZIP) backup/restore settings");
    Label1->setToolTip(qmtOnly);
    Label2 = named<QLabel>(this, "Label2", "Self-extract settings");
    Label4 = named<QLabel>(this, "Label4", "ACE backup/restore settings");
    Label4->setToolTip(qmtOnly);
    Label5 = named<QLabel>(this, "Label5", "ACE EXE backup/restore settings");
    Label5->setToolTip(qmtOnly);
    Label6 = named<QLabel>(this, "Label6", "PLEASE NOTE: In order to use ACE compression, you must have WinAce 2.11 "
                                           "or higher installed on your system.");
    Label6->setWordWrap(true);
    vsIndexTab1->addTab(makePage(Label1, Label2, nullptr), "QMT/EXE");
    vsIndexTab1->addTab(makePage(Label4, Label5, Label6), "ACE/EXE");
    Frame1->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    Frame1->setMaximumWidth(360);
    auto* frame1Layout = new QVBoxLayout(Frame1);
    frame1Layout->addWidget(vsIndexTab1);

    cmdSave = named<QPushButton>(this, "cmdSave", "&Save");
    cmdSave->setToolTip("Save this record and return to the main menu");
    cmdClose = named<QPushButton>(this, "cmdClose", "&Cancel");
    cmdClose->setToolTip("Do no save changes, but return to main menu");
    cmdHelp = named<QPushButton>(this, "cmdHelp", "&Help");
    cmdInsDefaults = named<QPushButton>(this, "cmdInsDefaults", "&Insert my Default Values");
    cmdInsDefaults->setToolTip("Insert values that you have defined as your defaults");
    // Inserting the defaults is not built yet.
    cmdInsDefaults->setEnabled(false);
    connect(cmdSave, &QPushButton::clicked, this, [this] { logic_.cmdSave_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { logic_.cmdClose_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { logic_.cmdHelp_Click(); });

    Frame2 = named<QGroupBox>(this, "Frame2", "Exclude File Types");
    Text1 = field<QPlainTextEdit>(Frame2, "Text1");
    cmdExcludeOkay = named<QPushButton>(Frame2, "cmdExcludeOkay", "&Okay");
    auto* frame2Layout = new QVBoxLayout(Frame2);
    frame2Layout->addWidget(Text1);
    frame2Layout->addWidget(cmdExcludeOkay, 0, Qt::AlignRight);
    Frame2->hide();

    auto* right = new QVBoxLayout;
    right->addWidget(GridEX1, 1);
    right->addWidget(Frame2);
    auto* top = new QHBoxLayout;
    top->addWidget(Frame1);
    top->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdClose);
    buttons->addWidget(cmdHelp);
    buttons->addStretch(1);
    buttons->addWidget(cmdInsDefaults);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    qm::ui::chainTabOrder({GridEX1, cmdSave, cmdClose, cmdHelp, cmdInsDefaults, vsIndexTab1, Text1, cmdExcludeOkay});

    resize(900, 680);
    qm::ui::placeOnScreen(*this);
    logic_.Form_Load();
}

frmData::~frmData() = default;

QWidget* frmData::makePage(QLabel* first, QLabel* second, QLabel* note)
{
    auto* page = new QWidget(vsIndexTab1);
    auto* layout = new QVBoxLayout(page);
    for (QLabel* heading : {first, second}) {
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        layout->addWidget(heading);
    }
    layout->addStretch(1);
    if (note)
        layout->addWidget(note);
    return page;
}

void frmData::Form_Click()
{
    Frame2->hide();
    GridEX1->setInputLocked(false);
    for (QWidget* w : {static_cast<QWidget*>(Frame1), static_cast<QWidget*>(cmdHelp), static_cast<QWidget*>(cmdSave),
                       static_cast<QWidget*>(cmdClose)})
        w->setEnabled(true);
}

// ---- EditorView

void frmData::setItemCount(int n) { GridEX1->setItemCount(n); }
void frmData::reReadGrid() { GridEX1->reRead(); }
void frmData::repaintGrid() { GridEX1->repaint(); }
int frmData::helpContext() const { return GridEX1->helpContext(); }
void frmData::setHelpContext(int context) { GridEX1->setHelpContext(context); }

void frmData::focusGrid()
{
    GridEX1->setCurrentColumn(GridEX1->currentColumn() > 0 ? GridEX1->currentColumn() : 1);
}

void frmData::selectTab(int index) { vsIndexTab1->setCurrentIndex(index); }
void frmData::closeWindow() { close(); }

// ---- Window events

bool frmData::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && !unloaded_)
        logic_.Form_Activate();
    return QWidget::event(event);
}

void frmData::showEvent(QShowEvent* event)
{
    // Where the window system does not activate the window, showing it does.
    if (!unloaded_)
        logic_.Form_Activate();
    QWidget::showEvent(event);
}

void frmData::closeEvent(QCloseEvent* event)
{
    if (!unloaded_) {
        unloaded_ = true;
        logic_.Form_Unload();
    }
    QWidget::closeEvent(event);
}

void frmData::mousePressEvent(QMouseEvent* event)
{
    Form_Click();
    QWidget::mousePressEvent(event);
}

} // namespace qm::editor
