// The Windows command-line splitter over any text. Rules besides not
// crashing: the arguments it gives, quoted back the way Windows programs
// quote them, split into the very same arguments.
#include "FuzzScratch.h"
#include "platform/process/CommandLine.h"

#include <string_view>

namespace {

// The standard quoting of one argument for the runtime's splitter.
std::string quoted(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string q = "\"";
    size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        if (c == '"')
            q.append(slashes * 2 + 1, '\\');
        else
            q.append(slashes, '\\');
        slashes = 0;
        q += c;
    }
    q.append(slashes * 2, '\\');
    return q + "\"";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> args = qm::process::splitArguments(text);
    std::string again;
    for (const std::string& a : args)
        again += (again.empty() ? "" : " ") + quoted(a);
    if (qm::process::splitArguments(again) != args)
        qm::fuzz::fail("arguments quoted back split otherwise");

    qm::process::splitCommandLine(text);
    qm::process::splitShellWords(text);
    qm::process::expandEnvironment(text);
    return 0;
}
