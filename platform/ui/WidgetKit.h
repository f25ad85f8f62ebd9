#pragma once
// The chores every form repeats, done once: text between std::string (UTF-8)
// and QString, a control made with its name (objectName) and caption in one
// call, Tab order given as one list, and a window placed whole on its screen.
//
//   cmdOkay = named<QPushButton>(this, "cmdOkay", "&Okay");
//   Text1 = field<QLineEdit>(this, "Text1");
//   chainTabOrder({Text1, cmdOkay, cmdCancel});
#include <QString>
#include <QWidget>

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace qm::ui {

inline QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string str(const QString& s) { return s.toStdString(); }

// A control of type W (a button, label, box, ...) with its objectName and caption.
template <class W>
W* named(QWidget* parent, const char* name, const QString& caption = {})
{
    auto* w = new W(caption, parent);
    w->setObjectName(name);
    return w;
}

// A control without a caption (a field, a list, a bar) with its objectName.
template <class W>
W* field(QWidget* parent, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(name);
    return w;
}

// Tab walks the widgets in this order.
void chainTabOrder(std::span<QWidget* const> widgets);
inline void chainTabOrder(std::initializer_list<QWidget*> widgets)
{
    chainTabOrder(std::span<QWidget* const>(widgets.begin(), widgets.size()));
}

// Makes a top-level window no larger than the free area of its screen and
// centres it there, so that it opens whole, whatever the screen's size.
void placeOnScreen(QWidget& window);

} // namespace qm::ui
