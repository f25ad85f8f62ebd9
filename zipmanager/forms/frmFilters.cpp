#include "zipmanager/forms/frmFilters.h"

#include "platform/ui/UiServices.h"
#include "zipmanager/forms/FormKit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qm::zipmanager {

using namespace kit;

namespace {

QTreeWidget* attributeList(QWidget* parent, const char* name)
{
    auto* list = field<QTreeWidget>(parent, name);
    list->setRootIsDecorated(false);
    list->setHeaderLabels({"Attribute"});
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    return list;
}

void fill(QTreeWidget* list, const std::array<bool, 7>& selected)
{
    list->clear();
    for (std::size_t i = 0; i < AttributeEntries.size(); ++i) {
        auto* row = new QTreeWidgetItem(list, {qs(AttributeEntries[i].caption)});
        row->setSelected(selected[i]);
    }
}

std::array<bool, 7> selection(const QTreeWidget* list)
{
    std::array<bool, 7> out{};
    for (int i = 0; i < list->topLevelItemCount() && i < 7; ++i)
        out[static_cast<std::size_t>(i)] = list->topLevelItem(i)->isSelected();
    return out;
}

} // namespace

frmFilters::frmFilters(ToolServices services, QWidget* parent) : QDialog(parent), services_(services)
{
    setObjectName("frmFilters");
    setWindowTitle("Filters...");

    fraAttributes = named<QGroupBox>(this, "fraAttributes", "Limit processing based on file attributes:");
    lblRequiredAttributes = named<QLabel>(fraAttributes, "lblRequiredAttributes", "These attributes must be on:");
    lstRequiredAttributes = attributeList(fraAttributes, "lstRequiredAttributes");
    lblExcludedAttributes = named<QLabel>(fraAttributes, "lblExcludedAttributes", "These attributes must be off:");
    lstExcludedAttributes = attributeList(fraAttributes, "lstExcludedAttributes");
    auto* attributes = new QGridLayout(fraAttributes);
    attributes->addWidget(lblRequiredAttributes, 0, 0);
    attributes->addWidget(lstRequiredAttributes, 1, 0);
    attributes->addWidget(lblExcludedAttributes, 0, 1);
    attributes->addWidget(lstExcludedAttributes, 1, 1);

    fraDates = named<QGroupBox>(this, "fraDates", "Limit processing based on a file's date:");
    lblMinDate = named<QLabel>(fraDates, "lblMinDate", "Minimum date:");
    mebMinDateToProcess = field<QLineEdit>(fraDates, "mebMinDateToProcess");
    lblMaxDate = named<QLabel>(fraDates, "lblMaxDate", "Maximum date:");
    mebMaxDateToProcess = field<QLineEdit>(fraDates, "mebMaxDateToProcess");
    auto* dates = new QGridLayout(fraDates);
    dates->addWidget(lblMinDate, 0, 0);
    dates->addWidget(mebMinDateToProcess, 0, 1);
    dates->addWidget(lblMaxDate, 1, 0);
    dates->addWidget(mebMaxDateToProcess, 1, 1);

    fraSizes = named<QGroupBox>(this, "fraSizes", "Limit processing by a file's size:");
    lblMinSize = named<QLabel>(fraSizes, "lblMinSize", "Minimum size:");
    txtMinSizeToProcess = field<QLineEdit>(fraSizes, "txtMinSizeToProcess");
    lblMaxSize = named<QLabel>(fraSizes, "lblMaxSize", "Maximum size:");
    txtMaxSizeToProcess = field<QLineEdit>(fraSizes, "txtMaxSizeToProcess");
    auto* sizes = new QGridLayout(fraSizes);
    sizes->addWidget(lblMinSize, 0, 0);
    sizes->addWidget(txtMinSizeToProcess, 0, 1);
    sizes->addWidget(named<QLabel>(fraSizes, "lblMinSizeUnit", "K"), 0, 2);
    sizes->addWidget(lblMaxSize, 1, 0);
    sizes->addWidget(txtMaxSizeToProcess, 1, 1);
    sizes->addWidget(named<QLabel>(fraSizes, "lblMaxSizeUnit", "K"), 1, 2);
    for (QLineEdit* e : {txtMinSizeToProcess, txtMaxSizeToProcess})
        makeNumberField(e);

    lblMinDate->setBuddy(mebMinDateToProcess);
    lblMaxDate->setBuddy(mebMaxDateToProcess);
    lblMinSize->setBuddy(txtMinSizeToProcess);
    lblMaxSize->setBuddy(txtMaxSizeToProcess);

    QHBoxLayout* buttons = okCancelRow(this, cmdOk, cmdCancel);
    auto* lower = new QHBoxLayout;
    lower->addWidget(fraDates, 1);
    lower->addWidget(fraSizes, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraAttributes, 1);
    layout->addLayout(lower);
    layout->addLayout(buttons);
    resize(520, 440);

    chainTabOrder({lstRequiredAttributes, lstExcludedAttributes, mebMinDateToProcess, mebMaxDateToProcess,
                   txtMinSizeToProcess, txtMaxSizeToProcess, cmdOk, cmdCancel});

    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
}

void frmFilters::ShowForm(qm::zip::PavikZip& zip, bool& result)
{
    confirmed_ = false;
    const FilterFields f = filtersLoad(zip);
    fill(lstRequiredAttributes, f.required);
    fill(lstExcludedAttributes, f.excluded);
    txtMinSizeToProcess->setText(qs(f.minSize));
    txtMaxSizeToProcess->setText(qs(f.maxSize));
    mebMinDateToProcess->setText(qs(f.minDate));
    mebMaxDateToProcess->setText(qs(f.maxDate));
    const QString tip = qs("Format is " + dateSample());
    mebMinDateToProcess->setToolTip(tip);
    mebMaxDateToProcess->setToolTip(tip);

    services_.ui.showModal(*this);

    if (confirmed_)
        filtersWrite(zip, fields());
    result = confirmed_;
}

FilterFields frmFilters::fields() const
{
    FilterFields f;
    f.required = selection(lstRequiredAttributes);
    f.excluded = selection(lstExcludedAttributes);
    f.minDate = str(mebMinDateToProcess->text());
    f.maxDate = str(mebMaxDateToProcess->text());
    f.minSize = str(txtMinSizeToProcess->text());
    f.maxSize = str(txtMaxSizeToProcess->text());
    return f;
}

void frmFilters::cmdOk_Click()
{
    if (const std::optional<std::string> message = filtersCheck(fields())) {
        services_.ui.msgBox(*message, qm::ui::mb::OKOnly | qm::ui::mb::Exclamation);
        return;
    }
    confirmed_ = true;
    accept();
}

} // namespace qm::zipmanager
