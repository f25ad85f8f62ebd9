#include "HeadlessSfx.h"

#include "TestSupport.h"

#include <stdexcept>

namespace qm::test {

namespace {

int runGuarded(const std::filesystem::path& program, std::string* output)
{
    return runCommand({"/bin/sh", "-c", "exec timeout -k 10 120 \"$0\" 2>&1", program.string()}, output);
}

} // namespace

void copySfxWithConfig(const std::filesystem::path& from, const std::filesystem::path& to,
                       const std::function<void(qm::sfx::SfxConfig&)>& change)
{
    uint64_t start = 0, end = 0;
    std::optional<qm::sfx::SfxConfig> c = qm::sfx::loadFromFile(from.string(), &start, &end);
    if (!c)
        throw std::runtime_error("no self-extractor configuration in " + from.string());
    change(*c);
    std::optional<std::string> block = qm::sfx::encodeBlock(*c);
    if (!block || block->size() != end - start)
        throw std::runtime_error("the configuration block of " + from.string() + " cannot be rewritten");
    std::string bytes = readFile(from);
    bytes.replace(size_t(start), block->size(), *block);
    writeFile(to, bytes);
    std::filesystem::permissions(to, std::filesystem::perms::owner_all | std::filesystem::perms::group_read
                                         | std::filesystem::perms::group_exec);
}

void copyHeadlessSfx(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::optional<int> overwriteMode)
{
    copySfxWithConfig(from, to, [&](qm::sfx::SfxConfig& c) {
        c.AskDestination = 0;
        c.AllowPasswordPrompt = 0;
        c.ConfirmCreateFolder = 0;
        c.ShowSuccessMessage = 0;
        c.ShowFailureMessage = 0;
        c.ShowFolderError = 0;
        c.ConfirmStart = 0;
        c.ShowAgreement = 0;
        if (overwriteMode)
            c.OverwriteMode = uint16_t(*overwriteMode);
    });
}

std::string sfxProgramPart(const std::filesystem::path& made)
{
    uint64_t start = 0, end = 0;
    if (!qm::sfx::loadFromFile(made.string(), &start, &end))
        throw std::runtime_error("no self-extractor configuration in " + made.string());
    return readFile(made).substr(0, size_t(end));
}

int runSfx(const std::filesystem::path& program, std::string* output)
{
    ScopedEnv offscreen("QT_QPA_PLATFORM", "offscreen");
    return runGuarded(program, output);
}

int runSfxWithoutDisplay(const std::filesystem::path& program, std::string* output)
{
    ScopedEnv platform("QT_QPA_PLATFORM", std::nullopt);
    ScopedEnv x("DISPLAY", std::nullopt);
    ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
    return runGuarded(program, output);
}

} // namespace qm::test
