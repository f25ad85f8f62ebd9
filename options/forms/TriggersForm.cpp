#include "options/forms/TriggersForm.h"

#include "platform/ui/WidgetKit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace qm::options {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;

TriggersForm::TriggersForm(TaskTabPresenter& tab, QWidget* parent) : QDialog(parent), logic_(tab, *this)
{
    setObjectName("TriggersForm");
    setWindowTitle("Form1");
    auto* listLabel = named<QLabel>(this, "Label1", "Trigger List");
    TriggerList = field<QListWidget>(this, "TriggerList");
    listLabel->setBuddy(TriggerList);
    connect(TriggerList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            logic_.TriggerList_Click();
    });
    auto* countLabel = named<QLabel>(this, "Label2", "Trigger Count :");
    TriggerCount_Value = field<QLabel>(this, "TriggerCount_Value");

    auto* fields = new QGridLayout;
    for (std::size_t i = 0; i < Values.size(); ++i) {
        // The label is the property's name: the box's name without "_Value".
        auto* caption = new QLabel(qs(TriggerFieldNames[i]).chopped(6), this);
        Values[i] = field<QLineEdit>(this, TriggerFieldNames[i]);
        Values[i]->setReadOnly(true);
        caption->setBuddy(Values[i]);
        const int row = static_cast<int>(i / 3) * 2, column = static_cast<int>(i % 3);
        fields->addWidget(caption, row, column);
        fields->addWidget(Values[i], row + 1, column);
    }
    Close = named<QPushButton>(this, "Close", "Close");
    connect(Close, &QPushButton::clicked, this, &QDialog::accept);

    auto* count = new QHBoxLayout;
    count->addWidget(countLabel);
    count->addWidget(TriggerCount_Value, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listLabel);
    layout->addWidget(TriggerList, 1);
    layout->addLayout(count);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    std::vector<QWidget*> order{TriggerList};
    order.insert(order.end(), Values.begin(), Values.end());
    order.push_back(Close);
    qm::ui::chainTabOrder(order);
    resize(560, 460);
    logic_.Form_Load();
}

// The presenter's own changes of the list are no clicks.
void TriggersForm::clearTriggerList()
{
    const QSignalBlocker quiet(TriggerList);
    TriggerList->clear();
}

void TriggersForm::addTrigger(const std::string& text)
{
    const QSignalBlocker quiet(TriggerList);
    TriggerList->addItem(qs(text));
}

void TriggersForm::selectTriggerEntry(int index)
{
    const QSignalBlocker quiet(TriggerList);
    TriggerList->setCurrentRow(index);
}

int TriggersForm::selectedTriggerEntry() const { return TriggerList->currentRow(); }

void TriggersForm::setText(TriggerField f, const std::string& text)
{
    Values[static_cast<std::size_t>(f)]->setText(qs(text));
}

void TriggersForm::setTriggerCount(const std::string& text) { TriggerCount_Value->setText(qs(text)); }

} // namespace qm::options
