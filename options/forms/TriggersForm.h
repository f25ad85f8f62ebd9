#pragma once
// The trigger viewer, caption "Form1": TriggerList with the wording of each
// trigger of the scheduling tab's selected task, the count, and the fields
// of the trigger selected in the list, read-only. Shown modally.
#include "options/TriggerViewer.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qm::options {

class TriggersForm : public QDialog, public TriggersView {
    Q_OBJECT
public:
    explicit TriggersForm(TaskTabPresenter& tab, QWidget* parent = nullptr);

    TriggersPresenter& logic() { return logic_; }

    QListWidget* TriggerList = nullptr;
    QLabel* TriggerCount_Value = nullptr;
    std::array<QLineEdit*, 11> Values{}; // TriggerType_Value ... IntervalInMinutes_Value
    QPushButton* Close = nullptr;

    // ---- TriggersView
    void clearTriggerList() override;
    void addTrigger(const std::string& text) override;
    void selectTriggerEntry(int index) override;
    int selectedTriggerEntry() const override;
    void setText(TriggerField field, const std::string& text) override;
    void setTriggerCount(const std::string& text) override;

private:
    TriggersPresenter logic_;
};

} // namespace qm::options
