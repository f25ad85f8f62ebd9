// Quillmate: the main program. Its main window is Form1; the program state,
// the window factories and the procedures live here for the whole run and
// are handed to whoever needs them by reference.
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "editor/forms/QtEditorForms.h"
#include "engine/forms/QtEngineForms.h"
#include "mainwindow/OutsidePrograms.h"
#include "mainwindow/Procedures.h"
#include "mainwindow/Startup.h"
#include "mainwindow/forms/Form1.h"
#include "mainwindow/forms/QtMainForms.h"
#include "options/forms/QtOptionsForms.h"
#include "pickers/forms/QtPickerForms.h"
#include "pickers/forms/frmMapDrive.h"
#include "platform/net/Connections.h"
#include "platform/tasksched/TaskScheduler.h"
#include "platform/ui/QtUiServices.h"
#include "restore/forms/QtRestoreForms.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmate");
    // What is left after the window system's own options: the program's arguments.
    const std::vector<std::string> arguments(argv + 1, argv + argc);

    // Mapped network letters and shares resolve like local drives.
    qm::net::installDriveHooks();
    // The task scheduler class of this process, which Cronolet creates.
    qm::tasksched::registerTaskScheduler(nullptr);

    qm::ui::QtUiServices ui;
    qm::app::ProgramState state(ui);
    qm::app::Form1 form(state);

    qm::pickers::QtPickerForms pickerForms(state, &form);
    pickerForms.setMapNetworkDrive(qm::pickers::networkDriveCommand(ui));
    qm::engine::QtEngineForms engineForms(state, &pickerForms);
    qm::restore::QtRestoreForms restoreForms(state, form);
    // The editor's Help opens the help page at the topic of the field in use.
    qm::editor::QtEditorForms editorForms(state, form, pickerForms, qm::app::contextHelp(state, "frmData"));
    qm::options::QtOptionsForms optionsForms(state, pickerForms);
    // A task's EditTask shows our property sheet.
    qm::tasksched::setPropertySheetHook(optionsForms.propertySheet());
    qm::app::Windows windows{.engine = engineForms,
                             .restore = restoreForms,
                             .pickers = pickerForms,
                             .editor = editorForms,
                             .options = optionsForms};

    qm::app::QtMainForms mainForms(state);

    qm::app::Procedures procedures(state, form, windows);
    procedures.setMainForms(mainForms);
    restoreForms.setContentsHost(procedures.contentsHost());
    form.attach(procedures);
    form.Form_Load(qm::app::commandLineText(arguments));
    form.show();
    return app.exec();
}
