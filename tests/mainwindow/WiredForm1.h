#pragma once
// Form1 wired as main() wires it, for tests of the main window offscreen:
// procedures of type P over the real windows of the pickers, the engine,
// the restore code, the record editor and the user options.
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "editor/forms/QtEditorForms.h"
#include "engine/forms/QtEngineForms.h"
#include "mainwindow/OutsidePrograms.h"
#include "mainwindow/Procedures.h"
#include "mainwindow/forms/Form1.h"
#include "mainwindow/forms/QtMainForms.h"
#include "options/forms/QtOptionsForms.h"
#include "pickers/forms/QtPickerForms.h"
#include "restore/forms/QtRestoreForms.h"
#include "restore/forms/frmViewZip.h"

namespace qm::test {

template <class P>
struct Wired : qm::app::Form1 {
    explicit Wired(qm::app::ProgramState& s) : qm::app::Form1(s), restore(s, *this), procs(s, *this, windows)
    {
        procs.setMainForms(mainForms);
        restore.setContentsHost(procs.contentsHost());
        attach(procs);
    }
    qm::restore::frmViewZip& viewZip() { return restore.viewZip(); }

    qm::pickers::QtPickerForms pickers{state(), this};
    qm::engine::QtEngineForms engine{state(), &pickers};
    qm::restore::QtRestoreForms restore;
    qm::editor::QtEditorForms editor{state(), *this, pickers, qm::app::contextHelp(state(), "frmData")};
    qm::options::QtOptionsForms options{state(), pickers};
    qm::app::Windows windows{
        .engine = engine, .restore = restore, .pickers = pickers, .editor = editor, .options = options};
    qm::app::QtMainForms mainForms{state()};
    P procs;
};
using WiredForm1 = Wired<qm::app::Procedures>;

} // namespace qm::test
