#pragma once
// Helpers for tests of windows offscreen: a child by its objectName, the
// texts of a list, the order in which Tab walks a window, and an answer to
// the next window that the code under test shows for real (whenShown).
#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace qm::test {

// The child of `root` of that objectName and type; throws when there is none.
template <class W = QWidget>
W& child(const QObject& root, const char* name)
{
    W* w = root.findChild<W*>(name);
    if (!w)
        throw std::runtime_error(std::string("no child named ") + name);
    return *w;
}

// The texts of one column of a tree or report list, top to bottom.
inline std::vector<std::string> texts(const QTreeWidget* list, int column = 0)
{
    std::vector<std::string> out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out.push_back(list->topLevelItem(i)->text(column).toStdString());
    return out;
}

// The texts of a list box, top to bottom.
inline std::vector<std::string> texts(const QListWidget* list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list->count(); ++i)
        out.push_back(list->item(i)->text().toStdString());
    return out;
}

// The next widget that Tab reaches from `w`.
inline QWidget* nextTab(QWidget* w)
{
    for (QWidget* n = w->nextInFocusChain(); n && n != w; n = n->nextInFocusChain())
        if (n->focusPolicy() & Qt::TabFocus)
            return n;
    return nullptr;
}

// The widgets Tab reaches from `start`, `count` of them (start first).
inline std::vector<QWidget*> tabOrder(QWidget* start, int count)
{
    std::vector<QWidget*> out{start};
    for (QWidget* w = start; w && static_cast<int>(out.size()) < count;)
        if ((w = nextTab(w)))
            out.push_back(w);
    return out;
}

// Answers the next window of type T (a QMessageBox, a dialog) that the
// code under test shows for real: runs `fn` on the first visible top-level
// widget of that type once it shows, polling from the event loop the code
// runs while it waits. Call it before the call that shows the window. If
// none shows within EventLimit the test fails and every modal window is
// closed, so that nothing hangs.
template <typename T>
void whenShown(std::function<void(T*)> fn)
{
    const auto deadline = std::chrono::steady_clock::now() + EventLimit;
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [fn, deadline, poll] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) {
                fn(t);
                *poll = nullptr; // break the cycle
                return;
            }
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the expected window never showed";
            while (QWidget* m = QApplication::activeModalWidget())
                m->close();
            *poll = nullptr;
            return;
        }
        QTimer::singleShot(5, *poll);
    };
    QTimer::singleShot(0, *poll);
}

} // namespace qm::test
