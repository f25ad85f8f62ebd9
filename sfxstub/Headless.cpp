#include "sfxstub/Headless.h"

#include "sfxstub/Prompts.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace qm::sfxstub {

namespace {

// The caption of the button that gives `result` in a box of `style`.
std::string captionOf(const SfxConfig* c, int style, int result)
{
    if (c)
        for (const BoxButton& b : boxButtons(*c, style))
            if (b.result == result)
                return b.caption;
    return std::to_string(result);
}

} // namespace

HeadlessSfxUi::HeadlessSfxUi(std::function<void(std::string_view)> say) : say_(std::move(say))
{
    if (!say_)
        say_ = [](std::string_view line) { std::fprintf(stderr, "%.*s\n", int(line.size()), line.data()); };
}

void HeadlessSfxUi::standardMessage(const std::string& text, const std::string& caption)
{
    say_(caption + ": " + text);
}

int HeadlessSfxUi::SfxMessageBox(const BoxRequest& box)
{
    const int answer = escapeResult(box.style).value_or(button::Ok);
    say_(box.caption + ": " + box.text + " [" + captionOf(config_, box.style, answer) + "]");
    return answer;
}

int HeadlessSfxUi::AskPassword(const std::string& file)
{
    say_((config_ ? config_->Caption + ": " + config_->PasswordText : std::string("Password")) + " " + file
         + " [no password]");
    return result::Stopped; // as the close box
}

int HeadlessSfxUi::AskDestinationFolder(const std::function<int(const std::string&)>&)
{
    if (config_)
        say_(config_->Caption + ": " + config_->DestinationText + " " + config_->DestinationFolder + " ["
             + config_->ExitCaption + "]");
    return result::Stopped;
}

void HeadlessSfxUi::pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace qm::sfxstub
