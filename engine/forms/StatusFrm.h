#pragma once
// StatusFrm, the progress window of a build, "Status display (ZIP
// conversion)": a banner, the archive path, the file being processed, the
// percent done with its fill, the last file skipped, and Cancel. Cancel (and
// closing the window by its frame) runs the owner's cancel action, then the
// window unloads itself.
//
// StatusWindow is the StatusView the operations talk to: it makes a StatusFrm
// whenever it has none and passes every call on.
#include "session/StatusView.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qm::engine {

class StatusFrm : public QWidget {
    Q_OBJECT
public:
    explicit StatusFrm(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;          // the banner
    QLabel* lblArchiveFile = nullptr;
    QLabel* Label4 = nullptr;          // "Current file processing:"
    QLabel* lblFilename = nullptr;
    QLabel* Label3 = nullptr;          // "Percent complete:"
    QLabel* lblPctComplete = nullptr;
    QLabel* Label2 = nullptr;          // "Current file skipped (possible error):"
    QLabel* lblSkipped = nullptr;
    QProgressBar* vsElastic1 = nullptr;
    QPushButton* cmdCancel = nullptr;

    // What Cancel does before the window unloads.
    std::function<void()> cancelAction;

    void cmdCancel_Click();
    // Closed by its owner after the build: no cancel.
    void unload();
    // Closed (it goes away at the next turn of the event loop).
    bool unloaded() const { return unloaded_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool unloading_ = false;
    bool unloaded_ = false;
};

class StatusWindow : public qm::session::StatusView {
public:
    StatusWindow() = default;
    ~StatusWindow() override;
    StatusWindow(const StatusWindow&) = delete;
    StatusWindow& operator=(const StatusWindow&) = delete;

    void show() override;
    void unload() override;
    void setCaption(const std::string& text) override;
    void setBanner(const std::string& text) override;
    void setBannerSmall() override;
    void setArchiveFile(const std::string& text) override;
    void setFilename(const std::string& text) override;
    void setPercent(int percent) override;
    void setSkipped(const std::string& text) override;
    void onCancel(std::function<void()> cancel) override { cancel_ = std::move(cancel); }

    // The window, made when there is none.
    StatusFrm& form();
    // The window when there is one.
    StatusFrm* current() const { return form_; }

private:
    QPointer<StatusFrm> form_;
    std::function<void()> cancel_;
};

} // namespace qm::engine
