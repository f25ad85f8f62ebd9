#pragma once
// The window factories of the Quillmate program, gathered in one place. Each
// subsystem that has windows declares one factory interface in its own root
// (engine/EngineForms.h, restore/RestoreForms.h, pickers/PickerForms.h,
// editor/EditorForms.h, options/OptionsForms.h) and implements it with its Qt
// dialogs in its forms/ folder (engine/forms/QtEngineForms.h, ...). main()
// builds the implementations and hands this struct to the procedures; tests
// hand fakes (tests/support/FakeWindows.h).
//
// The windows the main window's operations share are reached through the
// interfaces of session/SessionForms.h, which two of these extend: the
// engine's (the archive kind dialog, the progress window) and restore's (the
// contents window as a listing fills it, WinAce's action log).
//
// A caller includes the factory header it uses; this header only names them.
namespace qm::engine {
class EngineForms;
}
namespace qm::restore {
class RestoreForms;
}
namespace qm::pickers {
class PickerForms;
}
namespace qm::editor {
class EditorForms;
}
namespace qm::options {
class OptionsForms;
}

namespace qm::app {

struct Windows {
    qm::engine::EngineForms& engine;     // archive kind and split-size dialogs, progress window
    qm::restore::RestoreForms& restore;  // restore dialog, archive contents window, action log
    qm::pickers::PickerForms& pickers;   // folder and file pickers
    qm::editor::EditorForms& editor;     // record editor
    qm::options::OptionsForms& options;  // user options window
};

} // namespace qm::app
