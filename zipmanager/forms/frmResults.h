#pragma once
// "Operation results": the lines the zip control's events produced during
// one operation of the main window, shown when it returns. Created before
// each operation and destroyed after it, so it always starts empty.
#include "zipmanager/ZipManagerView.h"

#include <QDialog>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace qm::ui {
class UiServices;
}

namespace qm::zipmanager {

class frmResults : public QDialog, public ResultsWindow {
    Q_OBJECT
public:
    explicit frmResults(qm::ui::UiServices& ui, QWidget* parent = nullptr);

    QPlainTextEdit* txtResults = nullptr;
    QPushButton* cmdOk = nullptr;

    // ---- ResultsWindow
    // Appends the line and CR LF.
    void AddMessage(const std::string& line) override;
    bool HasMessages() const override { return !text_.empty(); }
    void ShowModal() override;

    // Every line added, each ended by CR LF.
    const std::string& Text() const { return text_; }

private:
    qm::ui::UiServices& ui_;
    std::string text_;
};

} // namespace qm::zipmanager
