#include "zipmanager/forms/FormKit.h"

#include "zipmanager/ZipManagerText.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QRegularExpressionValidator>

namespace qm::zipmanager::kit {

namespace {

// Drops every typed character that NumericKeyOnly turns into 0; keys that
// type nothing (arrows, Delete, shortcuts) pass.
class NumericKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (text.size() == 1) {
                const int code = text.at(0).unicode();
                const bool typing = code == 8 || (code >= 32 && code != 127);
                if (typing && NumericKeyOnly(code) == 0)
                    return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void setFieldEnabled(QWidget* field, bool enabled)
{
    field->setEnabled(enabled);
    QPalette p = field->palette();
    const QPalette system = QApplication::palette(field);
    p.setColor(QPalette::All, QPalette::Base, enabled ? system.color(QPalette::Active, QPalette::Base)
                                                      : system.color(QPalette::Active, QPalette::Button));
    field->setPalette(p);
}

QHBoxLayout* okCancelRow(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel)
{
    ok = named<QPushButton>(dialog, "cmdOk", "&OK");
    ok->setDefault(true);
    cancel = named<QPushButton>(dialog, "cmdCancel", "&Cancel");
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

void makeNumberField(QLineEdit* edit)
{
    edit->installEventFilter(new NumericKeys(edit));
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*\\.?[0-9]*"), edit));
}

} // namespace qm::zipmanager::kit
