// The agent's path as a crontab line, a systemd unit and a desktop entry
// write it, read back by each format's own rules (as their documents state
// them, not as the code under test writes them): awkward names come back as
// they were, and what a format cannot carry is refused.
#include "TestSupport.h"

#include "platform/tasksched/AgentCommand.h"
#include "platform/tasksched/AgentInstall.h"

#include <gtest/gtest.h>

#include <optional>

using namespace qm::tasksched;
namespace stdfs = std::filesystem;

namespace {

// What cron hands to the shell: a backslash takes the character after it
// along (and is dropped itself when that is a "%"); the first other "%" ends
// the command.
std::string cronCommand(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            if (text[i + 1] != '%')
                out += '\\';
            out += text[++i];
        } else if (text[i] == '%') {
            break;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The first word of an ExecStart value: specifiers ("%%" is the only one
// expected), then a double-quoted word with backslash escapes, or a plain one.
std::optional<std::string> unitProgram(const std::string& value)
{
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && (i + 1 == value.size() || value[++i] != '%'))
            return std::nullopt;
        text += value[i];
    }
    std::string word;
    if (text.empty() || text[0] != '"')
        return text.substr(0, text.find(' '));
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '"')
            return word;
        if (text[i] == '\\' && ++i == text.size())
            break;
        word += text[i];
    }
    return std::nullopt;
}

// The program of an Exec value: the escapes of a string value undone (any
// other than these five is no string), then the quoting of arguments, then
// "%%".
std::optional<std::string> desktopProgram(const std::string& value)
{
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\') {
            const std::string escapes = "sntr\\", meant = " \n\t\r\\";
            const std::size_t which = i + 1 < value.size() ? escapes.find(value[++i]) : std::string::npos;
            if (which == std::string::npos)
                return std::nullopt;
            text += meant[which];
        } else {
            text += value[i];
        }
    }
    std::string word;
    if (!text.empty() && text[0] == '"') {
        std::size_t i = 1;
        for (; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\' && i + 1 < text.size() && std::string("\"`$\\").find(text[i + 1]) != std::string::npos)
                ++i;
            word += text[i];
        }
        if (i == text.size())
            return std::nullopt;
    } else {
        word = text.substr(0, text.find(' '));
    }
    std::string program;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] == '%' && (i + 1 == word.size() || word[++i] != '%'))
            return std::nullopt;
        program += word[i];
    }
    return program;
}

const std::string kAwkward[] = {
    "/opt/plain-agent_1.2+x",
    "/a b/it's 100% sure/agent",
    "/back\\slash\\%/\\\\%%/agent",
    "/q\"uo`te\\'s/#;&|*?()<>~/agent",
    "/key=value/agent",
};

// Awkward, but within what units and desktop entries carry.
const std::string kCarriedEverywhere[] = {
    "/opt/plain-agent_1.2+x",
    "/a b/100% sure/agent",
    "/#;&|*?()<>~`x`/Zo\u00eb/agent",
};

TEST(AgentCommand, CronRunsTheAgentWhateverItsFolderIsCalled)
{
    qm::test::TempDir dir{"qm-cronword"};
    const stdfs::path marker = dir / "marker";
    for (const std::string& name : kAwkward) {
        const stdfs::path agent = stdfs::path(dir.path().string() + name);
        stdfs::create_directories(agent.parent_path());
        qm::test::writeFile(agent, "#!/bin/sh\nprintf '%s|%s' \"$0\" \"$*\" > '" + marker.string() + "'\n");
        stdfs::permissions(agent, stdfs::perms::owner_all);

        const std::string block = cronBlock(agent.string());
        const std::string lead = "\n* * * * * ";
        const std::size_t at = block.find(lead) + lead.size();
        const std::string line = block.substr(at, block.find('\n', at) - at);
        ASSERT_TRUE(cronCommandWord(agent.string()).carried()) << name;
        ASSERT_EQ(qm::test::runCommand({"/bin/sh", "-c", cronCommand(line)}), 0) << line;
        EXPECT_EQ(qm::test::readFile(marker), agent.string() + "|tick") << line;
    }
}

TEST(AgentCommand, UnitsAndDesktopEntriesNameTheAgentExactly)
{
    for (const std::string& path : kCarriedEverywhere) {
        const CommandWord unit = unitCommandWord(path);
        const CommandWord desktop = desktopCommandWord(path);
        ASSERT_TRUE(unit.carried() && desktop.carried()) << path;
        EXPECT_EQ(unitProgram(unit.word + " tick"), path) << unit.word;
        EXPECT_EQ(desktopProgram(desktop.word + " event logon"), path) << desktop.word;
    }
    EXPECT_EQ(desktopProgram(desktopCommandWord("/a$HOME/agent").word), "/a$HOME/agent");
}

TEST(AgentCommand, WhatAFormatCannotCarryIsRefused)
{
    for (const std::string path : {"/x\n* * * * * touch y #/agent", "/x\r/agent"})
        EXPECT_EQ(cronCommandWord(path).refusal, "a line break, which a crontab line cannot carry");
    EXPECT_FALSE(cronCommandWord("/" + std::string(990, 'a')).carried()); // some crons would cut it short
    EXPECT_TRUE(cronCommandWord("/" + std::string(900, 'a')).carried());
    for (const std::string path : {"/x\n/agent", "/x\t/agent", "/x\x7f/agent"}) {
        EXPECT_FALSE(unitCommandWord(path).carried()) << path;
        EXPECT_FALSE(desktopCommandWord(path).carried()) << path;
    }
    EXPECT_FALSE(unitCommandWord("/a$HOME/agent").carried());
    EXPECT_FALSE(desktopCommandWord("/a=b/agent").carried());
    // systemd refuses these in a program's path however they are quoted.
    for (const std::string path : {"/it's/agent", "/q\"/agent", "/b\\/agent", "/latin1-\xe9/agent"}) {
        EXPECT_FALSE(unitCommandWord(path).carried()) << path;
        EXPECT_FALSE(desktopCommandWord(path).carried()) << path;
        EXPECT_TRUE(cronCommandWord(path).carried()) << path;
    }
}

} // namespace
