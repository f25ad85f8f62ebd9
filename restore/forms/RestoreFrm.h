#pragma once
// The restore dialog, "Choose Drive, Directory, and File to Restore": the
// two trees and the file list of archives, the target folder with its
// "..." button, the overwrite and date rules, and the "Progress Watch"
// that a restore by the zip control shows instead of them. The dialog is a
// thin view over its RestoreRun, which decides everything; its close box
// and Esc are Cancel.
#include "app/FileListBox.h"
#include "restore/RestoreView.h"
#include "restore/forms/RestoreTrees.h"

#include <QDialog>

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace qm::ui {
class TreeView;
class UiServices;
} // namespace qm::ui

namespace qm::restore {

class RestoreRun;

class RestoreFrm : public QDialog, public RestoreView {
    Q_OBJECT
public:
    RestoreFrm(qm::ui::UiServices& ui, RestoreRun& run, QWidget* parent = nullptr);
    ~RestoreFrm() override;

    QGroupBox* Frame1 = nullptr;
    QTabWidget* vsIndexTab1 = nullptr;
    qm::ui::TreeView* SSTree1 = nullptr;
    qm::ui::TreeView* tvwNetwork = nullptr;
    QListWidget* File1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* txtTargetFolder = nullptr;
    QPushButton* Command1 = nullptr;
    QGroupBox* Frame3 = nullptr;
    std::array<QRadioButton*, 3> SkipOptions{};
    QGroupBox* Frame4 = nullptr;
    std::array<QRadioButton*, 2> DateOptions{};
    QGroupBox* Frame5 = nullptr;
    QLabel* Label1 = nullptr;
    QProgressBar* vsElastic1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* SkippedTxt = nullptr;
    QPushButton* RestoreBut = nullptr;
    QPushButton* CancelBut = nullptr;

    // The archives of the folder the file list shows.
    qm::app::FileListBox File1List{false};

    void Form_Load();
    void File1_Click();
    void Command1_Click();
    void CancelBut_Click();
    void RestoreBut_Click();
    // What the controls hold now, as the run reads them.
    RestoreChoice choice() const;

    // ---- RestoreView
    void setCaption(const std::string& text) override;
    void showProgressWatch() override;
    void setProgress(int percent) override;
    void setSkipped(const std::string& text) override;
    void unload() override;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showFolder(const std::string& folder);
    void localClick(const std::string& key);

    qm::ui::UiServices& ui_;
    RestoreRun& run_;
    RestoreTrees trees_;
    bool loaded_ = false;
    bool unloading_ = false;
};

} // namespace qm::restore
