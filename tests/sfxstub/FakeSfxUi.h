#pragma once
// A scripted SfxUi: records every box and dialog and answers from queues.
// A box without a scripted answer gets its first button's result.
#include "sfxstub/Prompts.h"
#include "sfxstub/SfxUi.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace qm::sfxstub::test {

struct FakeSfxUi : SfxUi {
    SfxConfig* config = nullptr;
    std::vector<BoxRequest> boxes;
    std::deque<int> answers;
    std::vector<std::string> standard;       // plain message boxes
    std::vector<std::string> passwordFiles;  // files the password dialog was asked for
    std::deque<std::pair<int, std::string>> passwords; // result and typed text
    std::deque<std::string> destinations;    // folders typed in the destination dialog
    std::vector<int> destinationAnswers;     // what `accept` said to each
    bool extractShown = false;
    int extractWindows = 0;
    std::vector<std::string> files;
    std::vector<int> percents;
    std::vector<int> pauses;
    std::function<bool()> stopWhenPumped;     // true: the user confirmed a stop
    std::function<void()> duringRun;          // called at each pump

    void RegisterSfxClasses(SfxConfig& c) override { config = &c; }
    void UnregisterSfxClasses() override {}
    void standardMessage(const std::string& text, const std::string&) override { standard.push_back(text); }
    int SfxMessageBox(const BoxRequest& box) override
    {
        boxes.push_back(box);
        if (!answers.empty()) {
            int a = answers.front();
            answers.pop_front();
            return a;
        }
        return boxButtons(*config, box.style).front().result;
    }
    int AskPassword(const std::string& file) override
    {
        passwordFiles.push_back(file);
        if (passwords.empty())
            return 190;
        auto [r, typed] = passwords.front();
        passwords.pop_front();
        if (r == 0)
            config->LastPassword = typed;
        return r;
    }
    void ShowExtractWindow() override
    {
        extractShown = true;
        ++extractWindows;
    }
    void CloseExtractWindow() override { extractShown = false; }
    bool extractWindowShown() const override { return extractShown; }
    void setExtractFile(const std::string& text) override { files.push_back(text); }
    void setExtractPercent(int percent) override { percents.push_back(percent); }
    bool PumpMessages() override
    {
        if (duringRun)
            duringRun();
        return stopWhenPumped && stopWhenPumped();
    }
    int AskDestinationFolder(const std::function<int(const std::string&)>& accept) override
    {
        while (!destinations.empty()) {
            std::string typed = destinations.front();
            destinations.pop_front();
            int r = accept(typed);
            destinationAnswers.push_back(r);
            if (r == 0)
                return 0;
        }
        return 190;
    }
    void pause(int milliseconds) override { pauses.push_back(milliseconds); }

    std::vector<int> styles() const
    {
        std::vector<int> out;
        for (const BoxRequest& b : boxes)
            out.push_back(b.style);
        return out;
    }
};

} // namespace qm::sfxstub::test
