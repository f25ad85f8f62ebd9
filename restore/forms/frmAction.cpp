#include "restore/forms/frmAction.h"

#include "platform/ui/UiServices.h"
#include "restore/ActionLog.h"
#include "store/SystemLookups.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm::restore {

frmAction::frmAction(qm::ui::UiServices& ui, QWidget* parent)
    : QDialog(parent), ui_(ui)
{
    setObjectName("frmAction");
    setWindowTitle("ACE Processing Results");
    List1 = new QListWidget(this);
    List1->setObjectName("List1");
    cmdClose = new QPushButton("&Close", this);
    cmdClose->setObjectName("cmdClose");
    cmdClose->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List1, 1);
    layout->addLayout(buttons);
    setTabOrder(List1, cmdClose);
    resize(560, 360);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

void frmAction::Form_Load()
{
    const std::vector<std::string> lines = readActionLog(WinAceLocation);
    List1->clear();
    for (const std::string& line : lines)
        List1->addItem(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
    qm::store::NormalPointer(ui_);
}

} // namespace qm::restore
