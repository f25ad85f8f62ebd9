#include "platform/winace/forms/ListWindow.h"

#include "platform/ui/ReportList.h"
#include "platform/ui/WidgetKit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace qm::winace {

namespace {

using namespace qm::ui;

constexpr std::array<ReportColumn, 4> Columns{{
    {"name", "Name", 220},
    {"size", "Size", 80},
    {"packed", "Packed", 80},
    {"modified", "Modified", 140},
}};

// The file name of a path in either form.
std::string fileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

ListWindow::ListWindow(const std::string& archive, const Outcome& outcome, QWidget* parent) : QDialog(parent)
{
    setObjectName("frmList");
    setWindowTitle(qs("WinAce - " + fileName(archive)));
    lblArchive = named<QLabel>(this, "lblArchive", qs("Archive: " + archive));
    lblArchive->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lvwFiles = new ReportList(Columns, this);
    lvwFiles->setObjectName("lvwFiles");
    std::vector<ReportRow> rows;
    for (const ListedFile& f : outcome.listed)
        rows.push_back({f.name, f.size, f.packed, f.modified});
    lvwFiles->setRows(rows);
    // Sizes line up on their last digit.
    for (int column : {1, 2}) {
        lvwFiles->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        for (int i = 0; i < lvwFiles->topLevelItemCount(); ++i)
            lvwFiles->topLevelItem(i)->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    lvwFiles->fitColumns();
    lblSummary = named<QLabel>(this, "lblSummary", qs(outcome.summary));
    cmdClose = named<QPushButton>(this, "cmdClose", "&Close");
    cmdClose->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblSummary, 1);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblArchive);
    layout->addWidget(lvwFiles, 1);
    layout->addLayout(buttons);
    chainTabOrder({lvwFiles, cmdClose});
    resize(620, 380);
    placeOnScreen(*this);

    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace qm::winace
