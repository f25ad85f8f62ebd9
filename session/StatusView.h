#pragma once
// The progress window StatusFrm as the main window's operations and the zip
// session's handlers see it (the engine shows it: engine/forms/StatusFrm).
// The window is made on first use: every call below makes it when there is
// none (not shown), so progress that comes after Cancel fills a new hidden
// window, which the operation unloads after its build.
#include <functional>
#include <string>

namespace qm::session {

class StatusView {
public:
    virtual ~StatusView() = default;

    // Shown, not modal.
    virtual void show() = 0;
    // Closed and gone; nothing happens when there is none.
    virtual void unload() = 0;

    virtual void setCaption(const std::string& text) = 0;
    // Label1, the banner; its text may hold CR LF line breaks.
    virtual void setBanner(const std::string& text) = 0;
    // The banner's small form for its final text: an 8-point font, and no
    // margin around the text.
    virtual void setBannerSmall() = 0;
    // lblArchiveFile
    virtual void setArchiveFile(const std::string& text) = 0;
    // lblFilename, repainted at once.
    virtual void setFilename(const std::string& text) = 0;
    // lblPctComplete (the percent as decimal text) and the fill of vsElastic1.
    virtual void setPercent(int percent) = 0;
    // lblSkipped; the text may hold CR LF line breaks.
    virtual void setSkipped(const std::string& text) = 0;

    // What the window's Cancel does (before the window unloads itself):
    // the owner of the zip control raises its abort request here.
    virtual void onCancel(std::function<void()> cancel) = 0;
};

} // namespace qm::session
