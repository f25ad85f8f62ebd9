#include "runner/NoDisplayUi.h"

#include "platform/ui/MsgBoxStyle.h"

namespace qm::runner {

namespace {

// Line breaks of a box text as one line each, indented under the title.
std::string indented(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
        if (text[i] == '\n' || text[i] == '\r') {
            out.back() = '\n';
            out += "    ";
        }
    }
    return out;
}

} // namespace

int NoDisplayUiServices::msgBox(const std::string& prompt, int style, const std::string& title)
{
    const int result = qm::ui::defaultResultOf(style);
    out_ << qm::ui::shownTitle(title) << ": " << indented(prompt) << " [" << qm::ui::resultName(result) << "]\n";
    out_.flush();
    return result;
}

std::string NoDisplayUiServices::inputBox(const std::string& prompt, const std::string& title,
                                          const std::string& /*defaultText*/)
{
    out_ << qm::ui::shownTitle(title) << ": " << indented(prompt) << " [Cancel]\n";
    out_.flush();
    return {};
}

} // namespace qm::runner
