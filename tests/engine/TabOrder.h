#pragma once
// The order in which Tab walks a dialog's controls.
#include <QWidget>

namespace qm::test {

// The next widget that Tab reaches from `w`.
inline QWidget* nextTab(QWidget* w)
{
    for (QWidget* n = w->nextInFocusChain(); n && n != w; n = n->nextInFocusChain())
        if (n->focusPolicy() & Qt::TabFocus)
            return n;
    return nullptr;
}

} // namespace qm::test
