#include "platform/winace/Request.h"

#include "platform/fs/NoCase.h"
#include "platform/fs/Text.h"

#include <algorithm>
#include <cctype>

namespace qm::winace {

namespace {

bool digits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::string trimmed(std::string_view s)
{
    return std::string(qm::fs::trimBlanks(s));
}

// Applies one switch (without its "-"); false when it is none of ours.
bool applySwitch(Request& r, const std::string& arg)
{
    const std::string s = arg.substr(1);
    const std::string low = qm::fs::foldCase(s);
    auto starts = [&](std::string_view head) { return low.rfind(head, 0) == 0; };
    if (low == "r")
        r.recurse = true;
    else if (low == "fp")
        r.fullPaths = false;
    else if (low == "fpd")
        r.fullPaths = true;
    else if (low.size() == 2 && low[0] == 'm' && low[1] >= '0' && low[1] <= '5')
        r.level = low[1] - '0';
    else if (starts("p"))
        r.password = s.substr(1);
    else if (low == "tl")
        r.stamp = Request::Stamp::Newest;
    else if (low == "tk")
        r.stamp = Request::Stamp::Now;
    else if (starts("z") && s.size() > 1)
        r.commentFile = trimmed(s.substr(1));
    else if (low == "v")
        r.volumeBytes = 0;
    else if (low[0] == 'v' && digits(low.substr(1)) && low.size() <= 13)
        r.volumeBytes = std::stoll(low.substr(1)) * 1000;
    else if (low == "k")
        r.lock = true;
    else if (low == "sfx32")
        r.selfExtracting = true;
    else if (starts("sopt") && s.size() > 4)
        r.sfxOptions = trimmed(s.substr(4));
    else if (low == "yo")
        r.overwrite = true;
    else if (low == "y" || low == "rr" || low == "av+" || low == "s" || (low[0] == 'd' && digits(low.substr(1))))
        ; // accepted: no yes/no question is ever asked, and the rest is the ACE format's own
    else
        return false;
    return true;
}

} // namespace

Parsed parseArguments(const std::vector<std::string>& args)
{
    Parsed p;
    Request& r = p.request;
    if (args.empty()) {
        p.error = "No command given. Use: WinAce a|u|f|t|l|x [switches] archive [@list] [names]";
        return p;
    }
    const std::string command = qm::fs::foldCase(args[0]);
    if (command.size() != 1 || std::string_view("auftlx").find(command[0]) == std::string_view::npos) {
        p.error = "Unknown command: " + args[0];
        return p;
    }
    r.command = command[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 1 && a[0] == '-') {
            if (!applySwitch(r, a)) {
                p.error = "Unknown switch: " + a;
                return p;
            }
        } else if (a.size() > 1 && a[0] == '@') {
            r.listFiles.push_back(trimmed(a.substr(1)));
        } else if (!trimmed(a).empty()) {
            if (r.archive.empty())
                r.archive = a;
            else
                r.names.push_back(a);
        }
    }
    if (r.archive.empty())
        p.error = "No archive named.";
    return p;
}

} // namespace qm::winace
