#include "mainwindow/forms/Form1.h"

#include "mainwindow/Procedures.h"
#include "mainwindow/forms/ButtonBar.h"
#include "mainwindow/forms/HelpKey.h"
#include "mainwindow/forms/Pictures.h"
#include "platform/ui/ReportList.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WidgetKit.h"
#include "session/ArchiveKinds.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qm::app {

namespace {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;

QStyle::StandardPixmap iconFor(std::string_view key)
{
    static const std::map<std::string_view, QStyle::StandardPixmap> icons{
        {"Backup", QStyle::SP_DialogSaveButton},      {"BackupDue", QStyle::SP_BrowserReload},
        {"Restore", QStyle::SP_DialogOpenButton},     {"View", QStyle::SP_FileDialogContentsView},
        {"Test", QStyle::SP_DialogApplyButton},       {"ZIPManager", QStyle::SP_DirIcon},
        {"Add", QStyle::SP_FileIcon},                 {"Edit", QStyle::SP_FileDialogDetailedView},
        {"Delete", QStyle::SP_TrashIcon},             {"Rename", QStyle::SP_FileLinkIcon},
        {"Clone", QStyle::SP_FileDialogNewFolder},    {"UserOptions", QStyle::SP_ComputerIcon},
        {"Defaults", QStyle::SP_FileDialogListView},  {"BackData", QStyle::SP_DriveHDIcon},
        {"RestoreDB", QStyle::SP_ArrowBack},          {"ViewLog", QStyle::SP_FileDialogInfoView},
        {"ClearLog", QStyle::SP_DialogResetButton},   {"OpenExternal", QStyle::SP_DirOpenIcon},
        {"OpenNotepad", QStyle::SP_FileIcon},         {"OpenFavorite", QStyle::SP_DialogYesButton},
        {"SendQMTTo", QStyle::SP_ArrowRight},         {"SendEXETo", QStyle::SP_ArrowForward},
        {"Network", QStyle::SP_DriveNetIcon},         {"Network2", QStyle::SP_DialogCancelButton},
        {"Contents", QStyle::SP_DialogHelpButton},    {"About", QStyle::SP_MessageBoxInformation},
    };
    auto it = icons.find(key);
    return it == icons.end() ? QStyle::SP_FileIcon : it->second;
}

} // namespace

Form1::Form1(ProgramState& state, QWidget* parent)
    : QMainWindow(parent), File1(state.Form1.File1), state_(state)
{
    setObjectName("Form1");
    setWindowTitle("Quillmate 3.0");
    quit_ = [] { QCoreApplication::exit(0); };

    auto* central = new QWidget(this);
    central->setObjectName("centralWidget");
    setCentralWidget(central);

    buildButtonBar();

    Label1 = named<QLabel>(central, "Label1", "Projects");
    QFont bold = Label1->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    Label1->setFont(bold);

    Picture1 = field<QLabel>(central, "Picture1");
    Picture1->setPixmap(logoPixmap());
    Picture1->setToolTip("Quillmate");
    Picture1->installEventFilter(this);

    Command1 = field<QToolButton>(central, "Command1");
    Command1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    Command1->setIconSize(QSize(32, 32));
    Command1->setAutoRaise(true);
    Command1->setToolTip("Exit");
    Command1->setAccessibleName("Exit");
    connect(Command1, &QToolButton::clicked, this, [this] { run(Command::ExitProgram); });

    ListView1 = new qm::ui::ReportList(ProjectListColumns, central);
    ListView1->setObjectName("ListView1");
    ListView1->viewport()->installEventFilter(this);
    ListView1->hide();
    connect(ListView1->header(), &QHeaderView::sectionClicked, this, [this](int c) { ListView1_ColumnClick(c); });

    buildHiddenFrame();
    buildMenus();

    auto* heading = new QHBoxLayout;
    heading->addWidget(Label1, 0, Qt::AlignBottom);
    heading->addStretch(1);
    heading->addWidget(Picture1);
    heading->addWidget(Command1);
    auto* right = new QVBoxLayout;
    right->addLayout(heading);
    right->addWidget(ListView1, 1);
    right->addWidget(Frame1);
    auto* layout = new QHBoxLayout(central);
    layout->addWidget(ButtonBar1);
    layout->addLayout(right, 1);

    qm::ui::chainTabOrder({ButtonBar1, ListView1, Command1});

    // F1 here is the Help command; in any other window, that window's help.
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, [this] { run(Command::Help); });
    helpKey_ = new HelpKey([this](QWidget& window) { helpIn(window); }, this);

    resize(1060, 680);
    qm::ui::placeOnScreen(*this);
}

Form1::~Form1()
{
    state_.Form1.ZipTypeBut.onChange(nullptr);
    state_.Form1.Check1.onChange(nullptr);
}

void Form1::buildMenus()
{
    auto addItems = [this](QMenu* m, const Menu& def) {
        for (const MenuItem& item : def.items) {
            QAction* a = item.separator() ? m->addSeparator() : m->addAction(qs(item.caption));
            a->setObjectName(qs(item.name));
            actions_[qs(item.name)] = a;
            if (item.separator())
                continue;
            const Command c = *item.command;
            a->setEnabled(commandAvailable(c));
            connect(a, &QAction::triggered, this, [this, c] { run(c); });
        }
    };
    for (const Menu& def : qm::app::menuBar()) {
        QMenu* m = QMainWindow::menuBar()->addMenu(qs(def.caption));
        m->setObjectName(qs(def.name));
        m->menuAction()->setObjectName(qs(def.name));
        menus_[qs(def.name)] = m;
        addItems(m, def);
    }
    File1PopMnu = new QMenu(this);
    File1PopMnu->setObjectName(qs(popupMenu().name));
    menus_[qs(popupMenu().name)] = File1PopMnu;
    addItems(File1PopMnu, popupMenu());
}

void Form1::buildButtonBar()
{
    ButtonBar1 = new ButtonBar(centralWidget());
    ButtonBar1->setFixedWidth(170);
    for (const BarGroup& g : barGroups())
        ButtonBar1->addGroup(qs(g.caption), qs(g.key), qs(g.tooltip));
    for (const BarItem& item : barItems()) {
        // Some standard icons come only small; the bar shows them all at one size.
        QPixmap pm = style()->standardIcon(iconFor(item.key)).pixmap(32, 32);
        if (pm.width() < 32)
            pm = pm.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QToolButton* b = ButtonBar1->addItem(qs(item.group), qs(item.caption), qs(item.key), qs(item.tooltip),
                                             QIcon(pm));
        b->setEnabled(commandAvailable(item.command));
    }
    connect(ButtonBar1, &ButtonBar::ItemClick, this,
            [this](const QString& key, int position) { ButtonBar1_ItemClick(key, position); });
}

void Form1::buildHiddenFrame()
{
    Frame1 = named<QGroupBox>(centralWidget(), "Frame1", "Please Select Backup/Restore Type");
    auto* group = new QButtonGroup(Frame1);
    group->setExclusive(false);
    auto* layout = new QVBoxLayout(Frame1);
    for (const qm::session::ArchiveKind& k : qm::session::archiveKinds()) {
        auto* b = named<QRadioButton>(Frame1, "ZipTypeBut", qs(k.form1Caption));
        b->setProperty("Index", k.index);
        b->setAutoExclusive(false);
        group->addButton(b, k.index);
        layout->addWidget(b);
        ZipTypeBut[static_cast<std::size_t>(k.index)] = b;
        connect(b, &QRadioButton::toggled, this, [this, i = k.index](bool on) {
            if (!mirroring_)
                state_.Form1.ZipTypeBut.setValue(i, on);
        });
    }
    Check1 = named<QCheckBox>(Frame1, "Check1", qs(qm::session::DeleteFlagCaption));
    layout->addWidget(Check1);
    connect(Check1, &QCheckBox::toggled, this, [this](bool on) {
        if (!mirroring_)
            state_.Form1.Check1.setValue(on ? 1 : 0);
    });
    state_.Form1.ZipTypeBut.onChange([this] { mirrorZipTypeBut(); });
    state_.Form1.Check1.onChange([this] { mirrorCheck1(); });
    mirrorZipTypeBut();
    mirrorCheck1();
    Frame1->hide();
}

void Form1::mirrorZipTypeBut()
{
    mirroring_ = true;
    for (int i = 0; i < ZipTypeButCount; ++i)
        ZipTypeBut[static_cast<std::size_t>(i)]->setChecked(state_.Form1.ZipTypeBut.value(i));
    mirroring_ = false;
}

void Form1::mirrorCheck1()
{
    mirroring_ = true;
    Check1->setChecked(state_.Form1.Check1.value() == 1);
    mirroring_ = false;
}

QAction* Form1::action(const QString& name) const
{
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

QMenu* Form1::menu(const QString& name) const
{
    auto it = menus_.find(name);
    return it == menus_.end() ? nullptr : it->second;
}

void Form1::Form_Load(const std::string& commandLine, const WinAceLookup& lookup)
{
    Frame1->hide();
    if (!procedures_)
        return;
    const StartupResult r = procedures_->Form_Load(commandLine, lookup);
    // The timers belong to this window: once it is closed they fire no more.
    QPointer<Form1> self(this);
    auto whileLoaded = [self](void (Form1::*handler)()) {
        return [self, handler] {
            if (self && !self->unloaded_)
                (self->*handler)();
        };
    };
    state_.ui().singleShot(100, whileLoaded(&Form1::Timer2_Timer));
    if (r.Timer1Enabled)
        state_.ui().singleShot(3000, whileLoaded(&Form1::Timer1_Timer));
}

void Form1::Timer2_Timer()
{
    if (procedures_)
        procedures_->Timer2_Timer();
}

void Form1::Timer1_Timer()
{
    if (procedures_)
        procedures_->Timer1_Timer();
}

void Form1::PopulateList()
{
    std::vector<qm::ui::ReportRow> rows;
    for (const ProjectRow& row : qm::app::PopulateList(state_, File1)) {
        qm::ui::ReportRow texts{row.text};
        texts.insert(texts.end(), row.sub.begin(), row.sub.end());
        rows.push_back(std::move(texts));
    }
    ListView1->setRows(rows);
    // Whole dates and folders: each column as wide as its texts.
    ListView1->fitColumns();
}

void Form1::ListView1_ColumnClick(int column)
{
    sort_.columnClick(column);
    ListView1->sortByColumn(sort_.SortKey, sort_.Descending);
    ListView1->repaint();
}

void Form1::ButtonBar1_ItemClick(const QString& groupKey, int position)
{
    if (std::optional<Command> c = barCommand(groupKey.toStdString(), position))
        run(*c);
}

bool Form1::allowedNow(Command c) const
{
    return commandsEnabled_ || allowedWhileBusy(c);
}

void Form1::run(Command c)
{
    if (procedures_ && allowedNow(c))
        dispatch(*procedures_, c);
}

void Form1::helpIn(QWidget& window)
{
    if (&window == this)
        run(Command::Help);
    else if (procedures_)
        procedures_->HelpFor(window.objectName().toStdString());
}

void Form1::applyCommandState()
{
    auto on = [this](Command c) { return commandAvailable(c) && allowedNow(c); };
    for (const BarItem& item : barItems())
        if (QToolButton* b = ButtonBar1->item(qs(item.group), item.position))
            b->setEnabled(on(item.command));
    auto apply = [&](const Menu& def) {
        for (const MenuItem& item : def.items)
            if (!item.separator())
                if (QAction* a = action(qs(item.name)))
                    a->setEnabled(on(*item.command));
    };
    for (const Menu& def : qm::app::menuBar())
        apply(def);
    apply(popupMenu());
}

// ---- MainWindowView

std::vector<ListRow> Form1::selectedRows() const
{
    std::vector<ListRow> rows;
    for (int i : ListView1->selectedRowIndexes())
        rows.push_back({i, ListView1->cell(i, 0)});
    return rows;
}

int Form1::findRow(const std::string& text) const
{
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        if (ListView1->cell(i, 0) == text)
            return i;
    return -1;
}

void Form1::setCell(int index, int column, const std::string& text) { ListView1->setCell(index, column, text); }

void Form1::removeRow(int index) { ListView1->removeRow(index); }

void Form1::appendRow(const std::vector<std::string>& cells) { ListView1->addRow(cells); }

void Form1::sortByName()
{
    sort_.SortKey = 0;
    sort_.Sorted = true;
    ListView1->sortByColumn(sort_.SortKey, sort_.Descending);
}

void Form1::rebuildList()
{
    ListView1->hide();
    // Shown again whatever happens, so a failure leaves what was read.
    const auto showList = qScopeGuard([this] {
        ListView1->show();
        ListView1->repaint();
    });
    PopulateList();
}

void Form1::repaintList() { ListView1->repaint(); }

void Form1::enableCommands(bool enabled)
{
    commandsEnabled_ = enabled;
    applyCommandState();
}

void Form1::hideMainWindow() { hide(); }

void Form1::showMainWindow()
{
    if (!unloaded_)
        show();
}

void Form1::unloadAllWindows()
{
    // Every other window first, then this one; a window that closes does not
    // bring this one back meanwhile.
    unloaded_ = true;
    unloadOtherWindows();
    close();
}

void Form1::unloadOtherWindows()
{
    // In the order the application holds them.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isWindow() && !qobject_cast<QMenu*>(w))
            w->close();
}

void Form1::endProgram()
{
    if (quit_)
        quit_();
}

void Form1::closeEvent(QCloseEvent* event)
{
    unloaded_ = true;
    QMainWindow::closeEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::RightButton)
                File1PopMnu->popup(me->globalPosition().toPoint());
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                run(Command::ViewArchive);
        }
    } else if (watched == Picture1 && event->type() == QEvent::MouseButtonRelease) {
        run(Command::GoFenwold);
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace qm::app
