#pragma once
// The self-extractor where nobody can see its windows: no display, or Qt's
// offscreen platform. Every question takes its Cancel answer at once (what
// Escape, Exit or the close box gives) and every text goes to standard
// error, so the program ends with the status that answer leads to instead
// of waiting for ever.
#include "platform/ui/Display.h"
#include "sfxstub/SfxUi.h"

#include <functional>
#include <string>
#include <string_view>

namespace qm::sfxstub {

// Whether there is nobody to answer: no display (platform/ui/Display.h).
using qm::ui::NoDisplay;

class HeadlessSfxUi : public SfxUi {
public:
    // `say` gets each text shown, one line each; standard error unless given.
    explicit HeadlessSfxUi(std::function<void(std::string_view)> say = {});

    void RegisterSfxClasses(SfxConfig& config) override { config_ = &config; }
    void UnregisterSfxClasses() override { config_ = nullptr; }
    void standardMessage(const std::string& text, const std::string& caption) override;
    int SfxMessageBox(const BoxRequest& box) override;
    int AskPassword(const std::string& file) override;
    void ShowExtractWindow() override {}
    void CloseExtractWindow() override {}
    bool extractWindowShown() const override { return false; }
    void setExtractFile(const std::string&) override {}
    void setExtractPercent(int) override {}
    bool PumpMessages() override { return false; }
    int AskDestinationFolder(const std::function<int(const std::string&)>& accept) override;
    void pause(int milliseconds) override;

private:
    std::function<void(std::string_view)> say_;
    SfxConfig* config_ = nullptr;
};

} // namespace qm::sfxstub
