#include "editor/forms/frmData.h"

#include "app/ProgramState.h"
#include "editor/EditorColumns.h"
#include "platform/ui/CardGrid.h"
#include "platform/ui/WidgetKit.h"

#include <QCloseEvent>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace qm::editor {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;
using qm::ui::str;

namespace {

// The groups of a page in the order they stand: by row, left before right.
std::vector<ColumnGroup> byPlace(GroupPage page)
{
    std::vector<ColumnGroup> out;
    for (const ColumnGroup& g : Groups)
        if (g.page == page)
            out.push_back(g);
    std::stable_sort(out.begin(), out.end(), [](const ColumnGroup& a, const ColumnGroup& b) {
        return a.row != b.row ? a.row < b.row : a.side < b.side;
    });
    return out;
}

} // namespace

frmData::frmData(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow, qm::pickers::PickerForms& pickers,
                 EditorDialogs& dialogs, const EditorOpening& opening, std::function<void(int context)> showHelp)
    : rows_(state.store), logic_(state, mainWindow, *this, pickers, dialogs, opening)
{
    setObjectName("frmData");
    setWindowTitle("Quillmate version 3.0");
    logic_.showHelp = std::move(showHelp);

    GridEX1 = new qm::ui::CardGrid(EditorColumns, rows_, this);
    GridEX1->setObjectName("GridEX1");
    GridEX1->setCardCaption("", 1);
    GridEX1->onCurrentCellChanged([this](int, int column) { logic_.GridEX1_SelectionChange(column); });
    GridEX1->onBeforeEdit([this](int, int column) { return logic_.GridEX1_BeforeColEdit(column); });
    GridEX1->onCellButton([this](int, int column) { logic_.GridEX1_ColButtonClick(column); });
    GridEX1->onEditEnded([this](int, int column) { logic_.GridEX1_AfterColEdit(column); });
    GridEX1->onBeforeUpdate(
        [this](int, int column, const std::string& value) { return logic_.GridEX1_BeforeColUpdate(column, value); });

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
    vsIndexTab1->addTab(makePage(GroupPage::Qmt, Label1, Label2, nullptr), "QMT/EXE");
    vsIndexTab1->addTab(makePage(GroupPage::Ace, Label4, Label5, Label6), "ACE/EXE");
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
    connect(cmdInsDefaults, &QPushButton::clicked, this, [this] { logic_.cmdInsDefaults_Click(); });
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
    connect(cmdExcludeOkay, &QPushButton::clicked, this, [this] { logic_.cmdExcludeOkay_Click(); });

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
    std::vector<QWidget*> order{GridEX1, cmdSave, cmdClose, cmdHelp, cmdInsDefaults, vsIndexTab1};
    for (GroupPage page : {GroupPage::Qmt, GroupPage::Ace})
        for (const ColumnGroup& g : byPlace(page))
            order.push_back(Option1[static_cast<std::size_t>(g.index)]);
    order.insert(order.end(), {Text1, cmdExcludeOkay});
    qm::ui::chainTabOrder(order);

    resize(900, 680);
    qm::ui::placeOnScreen(*this);
    logic_.Form_Load();
}

frmData::~frmData() = default;

QWidget* frmData::makePage(GroupPage page, QLabel* first, QLabel* second, QLabel* note)
{
    auto* box = new QWidget(vsIndexTab1);
    auto* layout = new QVBoxLayout(box);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    // Grid rows: the top row, the first heading, rows 1 on, the second
    // heading above its section.
    const int section = SecondSection(page);
    auto gridRow = [section](int row) { return row == 0 ? 0 : row < section ? row + 1 : row + 2; };
    for (auto [heading, row] : {std::pair{first, 1}, std::pair{second, section + 1}}) {
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        grid->addWidget(heading, row, 0, 1, 2);
    }
    for (const ColumnGroup& g : byPlace(page)) {
        auto* button = named<QRadioButton>(box, "Option1", qs(g.caption));
        button->setToolTip(qs(g.tooltip));
        button->setProperty("Index", g.index);
        button->setVisible(!g.hidden);
        button->installEventFilter(this);
        connect(button, &QRadioButton::clicked, this, [this, index = g.index] { logic_.Option1_Click(index); });
        Option1[static_cast<std::size_t>(g.index)] = button;
        if (g.side == GroupSide::Centre)
            grid->addWidget(button, gridRow(g.row), 0, 1, 2, Qt::AlignHCenter);
        else
            grid->addWidget(button, gridRow(g.row), g.side == GroupSide::Left ? 0 : 1);
    }
    layout->addStretch(1);
    if (note)
        layout->addWidget(note);
    return box;
}

// ---- EditorView

void frmData::setItemCount(int n) { GridEX1->setItemCount(n); }
void frmData::commitGridEdit() { GridEX1->commitEdit(); }
bool frmData::reReadGrid() { return GridEX1->reRead(); }
void frmData::repaintGrid() { GridEX1->repaint(); }
int frmData::helpContext() const { return GridEX1->helpContext(); }
void frmData::setHelpContext(int context) { GridEX1->setHelpContext(context); }

void frmData::focusGrid()
{
    GridEX1->setCurrentColumn(GridEX1->currentColumn() > 0 ? GridEX1->currentColumn() : 1);
}

void frmData::setColumnsVisible(std::span<const bool> visible) { GridEX1->setColumnsVisible(visible); }

void frmData::moveUp()
{
    for (int c = GridEX1->currentColumn() - 1; c >= 1; --c)
        if (GridEX1->columnVisible(c)) {
            GridEX1->setCurrentColumn(c);
            return;
        }
}

void frmData::showFrame2(bool visible) { Frame2->setVisible(visible); }

std::string frmData::excludeText() const { return str(Text1->toPlainText().replace('\n', "\r\n")); }

void frmData::setExcludeText(const std::string& text) { Text1->setPlainText(qs(text).replace("\r\n", "\n")); }

void frmData::lockForFrame2(bool locked)
{
    for (QWidget* w : std::initializer_list<QWidget*>{Frame1, cmdInsDefaults, cmdHelp, cmdSave, cmdClose})
        w->setEnabled(!locked);
    GridEX1->setInputLocked(locked);
}

bool frmData::groupButton(int index) const { return Option1.at(static_cast<std::size_t>(index))->isChecked(); }

void frmData::setGroupButton(int index, bool on)
{
    QRadioButton* button = Option1.at(static_cast<std::size_t>(index));
    if (on || !button->isChecked()) {
        button->setChecked(on);
        return;
    }
    // The page keeps one button on; this one goes off by itself.
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
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

bool frmData::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto* button = qobject_cast<QRadioButton*>(watched);
        const QVariant group = button ? button->property("Index") : QVariant();
        const Qt::MouseButton pressed = static_cast<QMouseEvent*>(event)->button();
        const int code = pressed == Qt::LeftButton     ? 1
                         : pressed == Qt::RightButton  ? 2
                         : pressed == Qt::MiddleButton ? 4
                                                       : 0;
        if (group.isValid() && code)
            logic_.Option1_MouseDown(group.toInt(), code);
    }
    return QWidget::eventFilter(watched, event);
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
    logic_.Form_Click();
    QWidget::mousePressEvent(event);
}

} // namespace qm::editor
