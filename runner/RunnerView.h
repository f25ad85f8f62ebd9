#pragma once
// The window of a run, as the run (Runner) sees it.
#include <string>

namespace qm::runner {

// What the run needs of its window.
class RunnerView {
public:
    virtual ~RunnerView() = default;
    virtual void setCaption(const std::string& caption) = 0;
    // Label1, the status line.
    virtual void setStatus(const std::string& text) = 0;
    // ZipProgressTxt and the progress bar vsElastic2.
    virtual void setProgress(const std::string& text, int percent) = 0;
    // The main window goes away; the run goes on without it.
    virtual void unloadMainWindow() = 0;
    // Every window of the program goes away.
    virtual void unloadAllWindows() = 0;
    // The program ends as soon as control returns to its event loop.
    virtual void endProcess() = 0;
};

} // namespace qm::runner
