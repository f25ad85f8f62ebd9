#include "restore/forms/RestoreFrm.h"

#include "pickers/DriveTree.h"
#include "platform/ui/TreeView.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WidgetKit.h"
#include "restore/RestoreRun.h"
#include "restore/forms/OptionButtons.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
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
    {"DateOptions0", "Skip if Older", OlderTip},
    {"DateOptions1", "Skip if Older Version", OlderVersionTip},
};

QLabel* wrapped(QWidget* parent, const char* name, const char* text = "")
{
    QLabel* label = named<QLabel>(parent, name, text);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

RestoreFrm::RestoreFrm(qm::ui::UiServices& ui, RestoreRun& run, QWidget* parent)
    : QDialog(parent), ui_(ui), run_(run), trees_(*this, ui)
{
    setObjectName("RestoreFrm");
    setWindowTitle("Choose Drive, Directory, and File to Restore");
    File1List.setPattern(RestorePattern);

    Frame1 = named<QGroupBox>(this, "Frame1", "Source Folder and File to Restore");
    vsIndexTab1 = trees_.vsIndexTab1;
    SSTree1 = trees_.SSTree1;
    tvwNetwork = trees_.tvwNetwork;
    File1 = field<QListWidget>(Frame1, "File1");
    File1->setToolTip("File that you wish to restore. Select one only.");
    Label7 = named<QLabel>(Frame1, "Label7", "Restore from Folder (local or network):");
    Label8 = wrapped(Frame1, "Label8");
    auto* source = new QGridLayout(Frame1);
    source->addWidget(vsIndexTab1, 0, 0);
    source->addWidget(File1, 0, 1);
    source->addWidget(Label7, 1, 0, 1, 2);
    source->addWidget(Label8, 2, 0, 1, 2);
    source->setColumnStretch(0, 3);
    source->setColumnStretch(1, 2);

    Label3 = wrapped(this, "Label3",
                     "If the back-up (QMT, EXE or ACE file) is not visible in the source file list below, then "
                     "please navigate to a folder that contains the back-up you wish to restore. The project was "
                     "last backed up to:");
    Label4 = wrapped(this, "Label4");
    Label5 = named<QLabel>(this, "Label5", "If in list, please select:");
    Label5->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    Label6 = wrapped(this, "Label6");
    Label9 = named<QLabel>(this, "Label9", "Target Folder:");
    txtTargetFolder = field<QLineEdit>(this, "txtTargetFolder");
    Label9->setBuddy(txtTargetFolder);
    Command1 = named<QPushButton>(this, "Command1", "...");
    Command1->setToolTip("Click to browse for a target folder.");
    Command1->setFixedWidth(Command1->fontMetrics().horizontalAdvance("...") + 24);

    Frame3 = named<QGroupBox>(this, "Frame3", "Overwrite/Skip Settings");
    makeOptions(Frame3, SkipOptions, SkipCaptions);
    Frame4 = named<QGroupBox>(this, "Frame4", "Date/version Settings");
    makeOptions(Frame4, DateOptions, DateCaptions);

    Frame5 = named<QGroupBox>(this, "Frame5", "Progress Watch");
    Label1 = named<QLabel>(Frame5, "Label1", "Restore Progress:");
    vsElastic1 = field<QProgressBar>(Frame5, "vsElastic1");
    vsElastic1->setRange(0, 100);
    Label2 = named<QLabel>(Frame5, "Label2", "Last file skipped:");
    SkippedTxt = field<QLineEdit>(Frame5, "SkippedTxt");
    SkippedTxt->setReadOnly(true);
    auto* progress = new QGridLayout(Frame5);
    progress->addWidget(Label1, 0, 0);
    progress->addWidget(vsElastic1, 0, 1);
    progress->addWidget(Label2, 1, 0);
    progress->addWidget(SkippedTxt, 1, 1);
    progress->setColumnStretch(1, 1);

    RestoreBut = named<QPushButton>(this, "RestoreBut", "&Restore");
    RestoreBut->setToolTip("Click to begin restore operation.");
    RestoreBut->setDefault(true);
    CancelBut = named<QPushButton>(this, "CancelBut", "&Cancel");
    CancelBut->setToolTip("Cancel and close this window.");

    auto* project = new QGridLayout;
    project->addWidget(Label3, 0, 0, 1, 2);
    project->addWidget(Label4, 1, 0, 1, 2);
    project->addWidget(Label5, 2, 0, Qt::AlignTop);
    project->addWidget(Label6, 2, 1);
    project->setColumnStretch(1, 1);
    auto* target = new QHBoxLayout;
    target->addWidget(Label9);
    target->addWidget(txtTargetFolder, 1);
    target->addWidget(Command1);
    auto* rules = new QHBoxLayout;
    rules->addWidget(Frame3);
    rules->addWidget(Frame4);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(RestoreBut);
    buttons->addWidget(CancelBut);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(project);
    layout->addWidget(Frame1, 1);
    layout->addLayout(target);
    layout->addLayout(rules);
    layout->addWidget(Frame5);
    layout->addLayout(buttons);
    Frame5->hide();
    resize(640, 620);

    qm::ui::chainTabOrder({vsIndexTab1, SSTree1, tvwNetwork, File1, txtTargetFolder, Command1, SkipOptions[0],
                           SkipOptions[1], SkipOptions[2], DateOptions[0], DateOptions[1], RestoreBut, CancelBut});

    SSTree1->onNodeClick([this](const std::string& key) { localClick(key); });
    tvwNetwork->onNodeClick([this](const std::string& key) { Label8->setText(qs(key)); });
    connect(File1, &QListWidget::itemClicked, this, [this] { File1_Click(); });
    connect(File1, &QListWidget::currentRowChanged, this, [this] { File1_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(RestoreBut, &QPushButton::clicked, this, [this] { RestoreBut_Click(); });
    connect(CancelBut, &QPushButton::clicked, this, [this] { CancelBut_Click(); });
}

RestoreFrm::~RestoreFrm() = default;

void RestoreFrm::showEvent(QShowEvent* event)
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void RestoreFrm::Form_Load()
{
    trees_.load();
    const RestoreLoad load = run_.Form_Load();
    txtTargetFolder->setText(qs(load.txtTargetFolder));
    Label4->setText(qs(load.Label4));
    Label5->setText(qs(load.Label5));
    Label6->setText(qs(load.Label6));
    Label8->setText(qs(load.Label8));
    showFolder(load.File1Path);
    SkipOptions[static_cast<std::size_t>(load.SkipOption)]->setChecked(true);
    if (load.DateOption)
        DateOptions[static_cast<std::size_t>(*load.DateOption)]->setChecked(true);
    Frame5->hide();
}

void RestoreFrm::showFolder(const std::string& folder)
{
    File1List.setPath(folder);
    File1->clear();
    for (const std::string& name : File1List.names())
        File1->addItem(qs(name));
}

void RestoreFrm::localClick(const std::string& key)
{
    if (std::optional<std::string> folder = qm::pickers::ClickedFolder(ui_, key))
        showFolder(*folder);
    Label8->setText(qs(key));
}

void RestoreFrm::File1_Click()
{
    const QListWidgetItem* item = File1->currentItem();
    const bool ace = item && isAceArchive(str(item->text()));
    for (QWidget* w : {static_cast<QWidget*>(DateOptions[0]), static_cast<QWidget*>(DateOptions[1]),
                       static_cast<QWidget*>(Frame4), static_cast<QWidget*>(SkipOptions[2])})
        w->setEnabled(!ace);
}

void RestoreFrm::Command1_Click()
{
    if (std::optional<std::string> folder = run_.Command1_Click())
        txtTargetFolder->setText(qs(*folder));
}

void RestoreFrm::CancelBut_Click() { run_.CancelBut_Click(); }

void RestoreFrm::RestoreBut_Click() { run_.RestoreArchive(choice()); }

RestoreChoice RestoreFrm::choice() const
{
    RestoreChoice c;
    c.Label8 = str(Label8->text());
    c.networkKey = tvwNetwork->selectedKey();
    c.File1Path = File1List.Path();
    if (const QListWidgetItem* item = File1->currentItem(); item && item->isSelected())
        c.File1FileName = str(item->text());
    c.txtTargetFolder = str(txtTargetFolder->text());
    c.SkipOption = optionOn(SkipOptions).value_or(0);
    c.DateOption = optionOn(DateOptions);
    return c;
}

// ---- RestoreView

void RestoreFrm::setCaption(const std::string& text) { setWindowTitle(qs(text)); }

void RestoreFrm::showProgressWatch()
{
    for (QWidget* w : std::initializer_list<QWidget*>{Command1, Frame3, Frame4, File1, SSTree1, CancelBut, RestoreBut,
                                                      Label3, Label4, Label5, Label6, Label7, Label8, Label9,
                                                      txtTargetFolder, vsIndexTab1, Frame1})
        w->hide();
    Frame5->show();
}

void RestoreFrm::setProgress(int percent) { vsElastic1->setValue(percent); }

void RestoreFrm::setSkipped(const std::string& text) { SkippedTxt->setText(qs(text)); }

void RestoreFrm::unload()
{
    unloading_ = true;
    done(QDialog::Rejected);
}

void RestoreFrm::reject()
{
    if (!unloading_)
        run_.CancelBut_Click();
}

void RestoreFrm::closeEvent(QCloseEvent* event)
{
    if (!unloading_ && !run_.CancelBut_Click()) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace qm::restore
