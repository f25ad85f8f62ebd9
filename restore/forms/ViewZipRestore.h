#pragma once
// The extraction target dialog, "Choose Target Drive and/or Target
// Folder": the two trees, the current-folder text, the overwrite and date
// conditions, and a row to make a new folder. The contents window sets it
// up (preset) and shows it modally; afterwards answer() holds the folder
// and choices of an Okay, or nothing after Cancel, Esc or the close box.
#include "restore/ExtractTarget.h"
#include "restore/forms/RestoreTrees.h"

#include <QDialog>

#include <array>
#include <optional>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace qm::ui {
class TreeView;
class UiServices;
} // namespace qm::ui

namespace qm::restore {

class ViewZipRestore : public QDialog {
    Q_OBJECT
public:
    explicit ViewZipRestore(qm::ui::UiServices& ui, QWidget* parent = nullptr);
    ~ViewZipRestore() override;

    std::string ParentForm;

    QTabWidget* vsIndexTab1 = nullptr;
    qm::ui::TreeView* SSTree1 = nullptr;
    qm::ui::TreeView* tvwNetwork = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QGroupBox* Frame3 = nullptr;
    std::array<QRadioButton*, 3> SkipOptions{};
    QGroupBox* Frame4 = nullptr;
    std::array<QRadioButton*, 3> DateOptions{};
    QPushButton* cmdOkay = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdMakeNewDir = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;

    // "Overwrite all" and "No date checks" selected; Label3 as given.
    void preset(const std::optional<std::string>& currentFolder);
    const ExtractTargetAnswer& answer() const { return answer_; }

    void Form_Load();
    void cmdOkay_Click();
    void cmdCancel_Click();
    void cmdMakeNewDir_Click();
    void Command1_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void nodeClick(const std::string& key);
    // The tree on the visible tab.
    qm::ui::TreeView* visibleTree() const;

    qm::ui::UiServices& ui_;
    RestoreTrees trees_;
    ExtractTargetAnswer answer_;
    bool loaded_ = false;
};

} // namespace qm::restore
