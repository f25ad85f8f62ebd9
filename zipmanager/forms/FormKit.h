#pragma once
// Small widget chores the ZIP manager's forms share: the platform's widget
// kit (text conversions, controls made with their name and caption, tab
// order), the enabled look of text fields, number fields and check boxes
// read as the tool reads them.
#include "platform/ui/WidgetKit.h"

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>

namespace qm::zipmanager::kit {

using qm::ui::chainTabOrder;
using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;
using qm::ui::str;

// Enables or disables a text field; its background becomes the window's
// text background when enabled and the button face when disabled.
void setFieldEnabled(QWidget* field, bool enabled);

// A number field: typed characters go through NumericKeyOnly, and pasted
// text can bring in nothing but digits and the one decimal point the field
// may show.
void makeNumberField(QLineEdit* edit);

// A box counts as checked unless it is unchecked (the grayed state counts).
inline bool isOn(const QCheckBox* box) { return box->checkState() != Qt::Unchecked; }
inline void setOn(QCheckBox* box, bool on) { box->setCheckState(on ? Qt::Checked : Qt::Unchecked); }
template <std::size_t N>
void setOn(const std::array<QCheckBox*, N>& boxes, const std::array<bool, N>& on)
{
    for (std::size_t i = 0; i < N; ++i)
        setOn(boxes[i], on[i]);
}
template <std::size_t N>
std::array<bool, N> isOn(const std::array<QCheckBox*, N>& boxes)
{
    std::array<bool, N> on{};
    for (std::size_t i = 0; i < N; ++i)
        on[i] = isOn(boxes[i]);
    return on;
}

// The "&OK" (cmdOk, the default) and "&Cancel" (cmdCancel) buttons of a
// dialog, right-aligned in a row; Cancel rejects the dialog.
QHBoxLayout* okCancelRow(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel);

} // namespace qm::zipmanager::kit
