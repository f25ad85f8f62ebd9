#pragma once
// Form1, the main window "Quillmate 3.0": the project list ListView1, the
// button bar, the menu bar and the list's pop-up menu, the exit button and
// the logo, and the hidden frame whose option buttons and check box mirror
// the archive kind state (ZipTypeBut, Check1) of the program state.
//
// The window holds widgets, menus and timers only. Every command surface
// goes through the one dispatch table (Commands.h) to the procedures it is
// attached to (Procedures.h); its timers call the procedures too. The
// procedures reach the window back through MainWindowView.
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "mainwindow/Commands.h"
#include "mainwindow/ProjectList.h"
#include "mainwindow/Startup.h"

#include <QMainWindow>
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

namespace qm::ui {
class ReportList;
}

namespace qm::app {

class ButtonBar;
class HelpKey;
class Procedures;

class Form1 : public QMainWindow, public MainWindowView {
    Q_OBJECT
public:
    explicit Form1(ProgramState& state, QWidget* parent = nullptr);
    ~Form1() override;

    // The procedures behind every command and timer; until attached the
    // window's commands do nothing.
    void attach(Procedures& procedures) { procedures_ = &procedures; }

    // The load handler: runs the start-up steps and starts the two one-shot
    // timers (the list after 100 ms; with an archive on the command line,
    // that archive after 3000 ms). `commandLine` is the text after the
    // program name.
    void Form_Load(const std::string& commandLine, const WinAceLookup& lookup = qm::store::GetWinAceInfo);

    ProgramState& state() const { return state_; }
    FileListBox& File1; // the program state's File1

    // ---- Controls, by their names
    ButtonBar* ButtonBar1 = nullptr;
    qm::ui::ReportList* ListView1 = nullptr;
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

    // ---- Handlers
    // Fills ListView1 from the project files File1 lists.
    void PopulateList();
    void Timer2_Timer();
    void Timer1_Timer();
    void ListView1_ColumnClick(int column);
    void ButtonBar1_ItemClick(const QString& groupKey, int position);
    const ListSort& listSort() const { return sort_; }
    // How the program ends after Exit has closed every window (tests replace it).
    void setQuit(std::function<void()> quit) { quit_ = std::move(quit); }

    // ---- MainWindowView
    std::vector<ListRow> selectedRows() const override;
    int findRow(const std::string& text) const override;
    void setCell(int index, int column, const std::string& text) override;
    void removeRow(int index) override;
    void appendRow(const std::vector<std::string>& cells) override;
    void sortByName() override;
    void rebuildList() override;
    void repaintList() override;
    void enableCommands(bool enabled) override;
    void hideMainWindow() override;
    void showMainWindow() override;
    void unloadAllWindows() override;
    void unloadOtherWindows() override;
    void endProgram() override;

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
    // Whether a command may run now: while the commands are off only Help
    // and Exit may.
    bool allowedNow(Command c) const;
    // Runs a command through the dispatch table, when it may run now.
    void run(Command c);
    // F1 in `window`: this one runs Help, any other opens its own part of the page.
    void helpIn(QWidget& window);
    // Each surface enabled as its command's availability says, or all off.
    void applyCommandState();

    ProgramState& state_;
    Procedures* procedures_ = nullptr;
    ListSort sort_;
    std::map<QString, QAction*> actions_;
    std::map<QString, QMenu*> menus_;
    std::function<void()> quit_;
    HelpKey* helpKey_ = nullptr;
    bool mirroring_ = false;
    bool unloaded_ = false;
    bool commandsEnabled_ = true;
};

} // namespace qm::app
