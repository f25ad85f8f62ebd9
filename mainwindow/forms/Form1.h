#pragma once
// Form1, the main window "Quillmate 3.0": the project list ListView1, the
// button bar, the menu bar and the list's pop-up menu, the exit button and
// the logo, and the hidden frame whose option buttons and check box mirror
// the archive kind state (ZipTypeBut, Check1) of the program state.
//
// Every command surface goes through the one dispatch table (Commands.h) to
// a public procedure of this window. The window's logic lives in plain C++
// (Startup, ProjectList, the engine, the restore code); this class wires it
// to widgets.
#include "mainwindow/Commands.h"
#include "mainwindow/FileListBox.h"
#include "mainwindow/ProgramState.h"
#include "mainwindow/ProjectList.h"
#include "mainwindow/Startup.h"
#include "engine/forms/QtEngineForms.h"
#include "restore/ViewZipRow.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <map>
#include <string>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QRadioButton;
class QToolButton;
class QTreeWidget;

namespace qm::restore {
class frmViewZip;
}

namespace qm::app {

class ButtonBar;
class ProgramState;

class Form1 : public QMainWindow, public Form1Procedures {
    Q_OBJECT
public:
    explicit Form1(ProgramState& state, QWidget* parent = nullptr);
    ~Form1() override;

    // The load handler: runs the start-up steps and starts the two one-shot
    // timers (the list after 100 ms; with an archive on the command line,
    // that archive after 3000 ms). `commandLine` is the text after the
    // program name.
    void Form_Load(const std::string& commandLine, const WinAceLookup& lookup = qm::store::GetWinAceInfo);

    ProgramState& state() const { return state_; }
    FileListBox File1;
    qm::engine::QtEngineForms& engineForms() { return engineForms_; }

    // ---- Controls, by their names
    ButtonBar* ButtonBar1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QLabel* Label1 = nullptr;
    QToolButton* Command1 = nullptr;
    QLabel* Picture1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, ZipTypeButCount> ZipTypeBut{};
    QCheckBox* Check1 = nullptr;
    QMenu* File1PopMnu = nullptr;
    // Menu items and menus by control name (FileMnu, ExitMnu, mnuBackup, AddPopMnu, ...).
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;

    // ---- Public procedures and handlers of this part of the program
    void PopulateList();
    void Timer2_Timer();
    void Timer1_Timer();
    void ExplorerView(const std::string& ArchivePath);
    void ListView1_ColumnClick(int column);
    void ButtonBar1_ItemClick(const QString& groupKey, int position);
    const ListSort& listSort() const { return sort_; }
    // The archive contents window, created on first use.
    qm::restore::frmViewZip& viewZip();
    // A listed archive entry becomes the next row of the contents window
    // (mRowCount counts them and gives the row's position).
    void addListedRow(const qm::restore::ViewZipRow& row);
    // How the program ends after Exit has closed every window (tests replace it).
    void setQuit(std::function<void()> quit) { quit_ = std::move(quit); }
    // How an archive named on the command line is listed into the contents
    // window once the zip control is there; gives the control's result.
    void setArchiveLister(std::function<int(const std::string&)> lister) { lister_ = std::move(lister); }

    // ---- Form1Procedures
    void BackupArchive() override {}
    void BackupAllDue() override;
    void RestoreArchive() override {}
    void ViewArchive() override {}
    void TestArchive() override {}
    void ZipManager() override;
    void AddNew() override {}
    void EditRecord() override {}
    void DeleteRecord() override {}
    void RenameRecord() override {}
    void CloneRecord() override {}
    void UserOptionsModal() override {}
    void UserOptionsModeless() override {}
    void ShowDefaults() override {}
    void BackUpDB() override {}
    void RestoreDB() override {}
    void ViewLog() override {}
    void ClearLog() override {}
    void OpenExternalZIP() override {}
    void OpenNotePad() override {}
    void OpenFavorite() override {}
    void SendQMT() override {}
    void SendEXE() override {}
    void NetworkMap() override {}
    void UnMapDrive() override {}
    void Help() override;
    void About() override {}
    void ExitProgram() override;
    void RefreshList() override;
    void GoFenwold() override {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing the window by its frame unloads this window only; windows left
    // open keep the program running.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildButtonBar();
    void buildHiddenFrame();
    void mirrorZipTypeBut();
    void mirrorCheck1();
    // Starts a program folder command line without waiting; a failure is reported.
    void startProgram(const std::string& commandLine, const std::string& what);

    ProgramState& state_;
    qm::engine::QtEngineForms engineForms_;
    ListSort sort_;
    std::map<QString, QAction*> actions_;
    std::map<QString, QMenu*> menus_;
    QPointer<qm::restore::frmViewZip> viewZip_;
    std::function<void()> quit_;
    std::function<int(const std::string&)> lister_;
    bool mirroring_ = false;
    bool unloaded_ = false;
};

} // namespace qm::app
