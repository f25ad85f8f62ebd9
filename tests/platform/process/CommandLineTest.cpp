// Windows command-line splitting, %VAR% expansion and editor-variable words.
#include "platform/process/CommandLine.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using qm::process::expandEnvironment;
using qm::process::splitArguments;
using qm::process::splitCommandLine;
using qm::process::splitProgramName;
using qm::process::splitShellWords;
using V = std::vector<std::string>;

TEST(CommandLine, ArgumentQuotingAndBackslashRules)
{
    EXPECT_EQ(splitArguments("a  b\tc"), (V{"a", "b", "c"}));
    EXPECT_EQ(splitArguments(R"("a b" c)"), (V{"a b", "c"}));
    // Quotes group inside a word and are dropped.
    EXPECT_EQ(splitArguments(R"(-z"C:\Q\temp\comment.txt" -y)"), (V{R"(-zC:\Q\temp\comment.txt)", "-y"}));
    // Backslashes not before a quote are literal.
    EXPECT_EQ(splitArguments(R"(C:\a\\b\)"), (V{R"(C:\a\\b\)"}));
    // 2n backslashes + quote: n backslashes, the quote toggles.
    EXPECT_EQ(splitArguments(R"("C:\dir\\" next)"), (V{R"(C:\dir\)", "next"}));
    EXPECT_EQ(splitArguments(R"(a\\\\"b c")"), (V{R"(a\\b c)"}));
    // 2n+1 backslashes + quote: n backslashes and a literal quote.
    EXPECT_EQ(splitArguments(R"(a\"b)"), (V{R"(a"b)"}));
    EXPECT_EQ(splitArguments(R"(a\\\"b c)"), (V{R"(a\"b)", "c"}));
    // Two quotes inside a quoted part give one; "" alone is an empty argument.
    EXPECT_EQ(splitArguments(R"("a""b c" d)"), (V{R"(a"b c)", "d"}));
    EXPECT_EQ(splitArguments(R"("" x "")"), (V{"", "x", ""}));
    // An unclosed quote runs to the end.
    EXPECT_EQ(splitArguments(R"(a "b c)"), (V{"a", "b c"}));
    EXPECT_TRUE(splitArguments("  \t ").empty());
}

TEST(CommandLine, ProgramNameKeepsBackslashes)
{
    auto p = splitProgramName(R"(  "C:\Program Files\Ace\winace.exe"  a "x y")");
    EXPECT_EQ(p.program, R"(C:\Program Files\Ace\winace.exe)");
    EXPECT_TRUE(p.quoted);
    EXPECT_EQ(p.rest, R"(a "x y")");
    // In the name a backslash before a quote does not escape it.
    EXPECT_EQ(splitCommandLine(R"("C:\dir\" next)"), (V{R"(C:\dir\)", "next"}));
    // A quote in the middle of the name only groups.
    EXPECT_EQ(splitCommandLine(R"(C:\"Program Files"\x.exe -a)"), (V{R"(C:\Program Files\x.exe)", "-a"}));
    EXPECT_EQ(splitCommandLine(R"(Notepad.exe "C:\Q\Temp\read me.txt")"),
              (V{"Notepad.exe", R"(C:\Q\Temp\read me.txt)"}));
    auto plain = splitProgramName("prog");
    EXPECT_FALSE(plain.quoted);
    EXPECT_EQ(plain.rest, "");
    EXPECT_TRUE(splitCommandLine("   ").empty());
}

TEST(CommandLine, ExpandsKnownVariablesOnly)
{
    qm::test::ScopedEnv a("QM_T_HOME", "/home/ann");
    EXPECT_EQ(expandEnvironment("%QM_T_HOME%\\x"), "/home/ann\\x");
    EXPECT_EQ(expandEnvironment("%qm_t_home%"), "/home/ann");
    EXPECT_EQ(expandEnvironment("%QM_T_NOT_SET%\\x"), "%QM_T_NOT_SET%\\x");
    EXPECT_EQ(expandEnvironment("100% of %QM_T_HOME%"), "100% of /home/ann");
    EXPECT_EQ(expandEnvironment("50%%QM_T_HOME%"), "50%/home/ann");
    EXPECT_EQ(expandEnvironment("%"), "%");
}

TEST(CommandLine, EditorVariableWords)
{
    EXPECT_EQ(splitShellWords("code --wait"), (V{"code", "--wait"}));
    EXPECT_EQ(splitShellWords(R"('/opt/my editor/ed' -x "a b" c\ d)"), (V{"/opt/my editor/ed", "-x", "a b", "c d"}));
    EXPECT_TRUE(splitShellWords("   ").empty());
}
