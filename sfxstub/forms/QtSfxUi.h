#pragma once
// The self-extractor's windows over Qt: the SfxUi the program runs with.
#include "sfxstub/SfxUi.h"
#include "sfxstub/forms/SfxControls.h"

#include <QPoint>
#include <map>
#include <memory>

namespace qm::sfxstub {

class pvkExtractClass;

class QtSfxUi : public SfxUi {
public:
    QtSfxUi();
    ~QtSfxUi() override;

    void RegisterSfxClasses(SfxConfig& config) override;
    void UnregisterSfxClasses() override;
    void standardMessage(const std::string& text, const std::string& caption) override;
    int SfxMessageBox(const BoxRequest& box) override;
    int AskPassword(const std::string& file) override;
    void ShowExtractWindow() override;
    void CloseExtractWindow() override;
    bool extractWindowShown() const override { return extract_ != nullptr; }
    void setExtractFile(const std::string& text) override;
    void setExtractPercent(int percent) override;
    bool PumpMessages() override;
    int AskDestinationFolder(const std::function<int(const std::string&)>& accept) override;
    void pause(int milliseconds) override;

    pvkExtractClass* extractWindow() const { return extract_.get(); }
    const SfxFonts& fonts() const { return fonts_; }

private:
    SfxConfig* config_ = nullptr;
    SfxFonts fonts_;
    std::unique_ptr<pvkExtractClass> extract_;
    std::map<Slot, QPoint> corners_; // where each prompt's box last closed (bottom right)
    QPoint passwordAt_{-1, -1};      // where the password dialog last closed (top left)
};

} // namespace qm::sfxstub
