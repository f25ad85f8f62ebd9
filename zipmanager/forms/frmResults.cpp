#include "zipmanager/forms/frmResults.h"

#include "platform/ui/UiServices.h"
#include "zipmanager/forms/FormKit.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm::zipmanager {

using namespace kit;

frmResults::frmResults(qm::ui::UiServices& ui, QWidget* parent) : QDialog(parent), ui_(ui)
{
    setObjectName("frmResults");
    setWindowTitle("Operation results");
    txtResults = field<QPlainTextEdit>(this, "txtResults");
    // Typing changes nothing; the lines can still be selected and copied.
    txtResults->setReadOnly(true);
    txtResults->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtResults->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtResults->setLineWrapMode(QPlainTextEdit::NoWrap);
    cmdOk = named<QPushButton>(this, "cmdOk", "&Close");
    cmdOk->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtResults, 1);
    layout->addLayout(buttons);
    chainTabOrder({txtResults, cmdOk});
    resize(560, 320);

    connect(cmdOk, &QPushButton::clicked, this, [this] { hide(); });
}

void frmResults::AddMessage(const std::string& line)
{
    text_ += line + "\r\n";
    txtResults->appendPlainText(qs(line));
}

void frmResults::ShowModal() { ui_.showModal(*this); }

} // namespace qm::zipmanager
