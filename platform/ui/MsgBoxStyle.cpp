#include "platform/ui/MsgBoxStyle.h"

namespace qm::ui {

int buttonSetOf(int style)
{
    const int set = style & mb::ButtonsMask;
    return set <= mb::RetryCancel ? set : mb::OKOnly;
}

Icon iconOf(int style)
{
    switch (style & mb::IconMask) {
    case mb::Critical: return Icon::Critical;
    case mb::Question: return Icon::Question;
    case mb::Exclamation: return Icon::Exclamation;
    case mb::Information: return Icon::Information;
    default: return Icon::None;
    }
}

std::vector<int> buttonResults(int buttonSet)
{
    switch (buttonSet) {
    case mb::OKCancel: return {mb::OK, mb::Cancel};
    case mb::AbortRetryIgnore: return {mb::Abort, mb::Retry, mb::Ignore};
    case mb::YesNoCancel: return {mb::Yes, mb::No, mb::Cancel};
    case mb::YesNo: return {mb::Yes, mb::No};
    case mb::RetryCancel: return {mb::Retry, mb::Cancel};
    default: return {mb::OK};
    }
}

int defaultButtonOf(int style)
{
    const int position = ((style & 0x300) >> 8) + 1;
    const auto count = static_cast<int>(buttonResults(buttonSetOf(style)).size());
    return position <= count ? position : 1;
}

int defaultResultOf(int style)
{
    return buttonResults(buttonSetOf(style))[defaultButtonOf(style) - 1];
}

int escapeResultOf(int style)
{
    switch (buttonSetOf(style)) {
    case mb::OKCancel:
    case mb::YesNoCancel:
    case mb::RetryCancel: return mb::Cancel;
    case mb::YesNo: return mb::No;
    case mb::AbortRetryIgnore: return mb::Abort;
    default: return mb::OK;
    }
}

std::string shownTitle(const std::string& title)
{
    return title.empty() ? std::string(DefaultTitle) : title;
}

const char* resultName(int result)
{
    switch (result) {
    case mb::OK: return "OK";
    case mb::Cancel: return "Cancel";
    case mb::Abort: return "Abort";
    case mb::Retry: return "Retry";
    case mb::Ignore: return "Ignore";
    case mb::Yes: return "Yes";
    case mb::No: return "No";
    default: return "?";
    }
}

} // namespace qm::ui
