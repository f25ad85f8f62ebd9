#pragma once
// What every window of the ZIP manager is given: the window runtime's boxes
// and modal shows, and the file and folder prompts.
namespace qm::ui {
class UiServices;
}

namespace qm::zipmanager {

class FileDialogs;

struct ToolServices {
    qm::ui::UiServices& ui;
    FileDialogs& files;
};

} // namespace qm::zipmanager
