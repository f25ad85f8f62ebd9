#pragma once
// The WinAce stand-in's listing window: the archive's entries (name, size,
// packed size, date) in archive order, the count or why the listing failed,
// and Close. The program shows it when there is a display and ends once
// it is closed.
#include "platform/winace/StandIn.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace qm::ui {
class ReportList;
}

namespace qm::winace {

class ListWindow : public QDialog {
    Q_OBJECT
public:
    ListWindow(const std::string& archive, const Outcome& outcome, QWidget* parent = nullptr);

    QLabel* lblArchive = nullptr;
    qm::ui::ReportList* lvwFiles = nullptr;
    QLabel* lblSummary = nullptr;
    QPushButton* cmdClose = nullptr;
};

} // namespace qm::winace
