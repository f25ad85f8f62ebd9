#pragma once
// F1 in any window of the program: the help page opens at that window's
// part (its control name as the page's anchor). A window with context help
// of its own answers F1 first: through an F1 shortcut of its own (the main
// window's runs the Help command; a shortcut takes the key before it is
// delivered, so it never arrives here), or through its own Help button
// `cmdHelp` (the record editor's opens the topic of the field in use),
// which F1 presses while it is enabled.
#include <QObject>

#include <functional>
#include <string>

class QWidget;

namespace qm::app {

class HelpKey : public QObject {
public:
    // `open` gets the window F1 was pressed in.
    explicit HelpKey(std::function<void(QWidget& window)> open, QObject* parent = nullptr);
    ~HelpKey() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(QWidget&)> open_;
};

} // namespace qm::app
