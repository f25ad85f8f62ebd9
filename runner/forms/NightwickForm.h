#pragma once
// Nightwick's own small window: a status line, the zip control's progress
// text and bar, and the Quit button. It holds no logic: the run (Runner)
// drives it through RunnerView, and its timer and button call the run's
// handlers.
#include "runner/RunnerView.h"

#include <QTimer>
#include <QWidget>

#include <string>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace qm::runner {

class Runner;

class NightwickForm : public QWidget, public RunnerView {
    Q_OBJECT
public:
    explicit NightwickForm(QWidget* parent = nullptr);

    // Connects the window to its run and starts Timer1; the run fires once,
    // Timer1Interval ms later.
    void attach(Runner& runner);

    QLabel* Label1 = nullptr;
    QLineEdit* ZipProgressTxt = nullptr;
    QProgressBar* vsElastic2 = nullptr;
    QPushButton* Command1 = nullptr;
    QTimer Timer1;

    // ---- RunnerView
    void setCaption(const std::string& caption) override;
    void setStatus(const std::string& text) override;
    void setProgress(const std::string& text, int percent) override;
    void unloadMainWindow() override;
    void unloadAllWindows() override;
    void endProcess() override;

protected:
    // Closing the window from its frame is the same as Quit.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Runner* runner_ = nullptr;
    std::string status_;
    std::string progress_;
    int percent_ = 0;
};

} // namespace qm::runner
