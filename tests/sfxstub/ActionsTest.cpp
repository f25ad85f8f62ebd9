// The self-extractor's after-extraction actions: associations, program
// group commands, the command list's four kinds and the readme.
#include "TestSupport.h"

#include "platform/desktop/Desktop.h"
#include "platform/fs/Paths.h"
#include "platform/registry/Registry.h"
#include "sfxstub/Actions.h"

#include <gtest/gtest.h>

namespace qm::sfxstub {
namespace {

namespace stdfs = std::filesystem;
namespace reg = qm::registry;
using qm::test::readFile;
using qm::test::writeFile;

std::optional<std::string> classText(const std::string& key)
{
    std::optional<reg::Value> v = reg::queryValue(reg::hkey::ClassesRoot, key, "");
    if (!v)
        return std::nullopt;
    return v->data.substr(0, v->data.find('\0'));
}

struct Recorder : qm::desktop::ProgramManager {
    std::vector<std::string> commands;
    bool execute(std::string_view c) override
    {
        commands.emplace_back(c);
        return true;
    }
};

class SfxActions : public ::testing::Test {
protected:
    // A program that writes its arguments, one a line, to `log`.
    std::string script(const std::string& name)
    {
        const stdfs::path p = tmp / name;
        writeFile(p, "#!/bin/sh\nfor a in \"$0\" \"$@\"; do echo \"$a\"; done > \"" + (tmp / "log").string() + "\"\n");
        stdfs::permissions(p, stdfs::perms::owner_all);
        return qm::fs::fromNative(p);
    }
    std::string log() { return readFile(tmp / "log"); }
    qm::test::TempDir tmp{"qm-sfx-actions"};
};

TEST_F(SfxActions, AssociationsWithAQuotedProgramStopAtAMalformedLine)
{
    EXPECT_EQ(RegisterAssociations("txt|\"C:\\Program Files\\Ed\\ed.exe\"|Text note\n.qmx|view.exe\n"
                                   ".zzz|never.exe|Never"),
              0);
    EXPECT_EQ(classText(".txt"), "TxtFile");
    EXPECT_EQ(classText("TxtFile"), "Text note");
    EXPECT_EQ(classText("TxtFile\\DefaultIcon"), "C:\\Program Files\\Ed\\ed.exe,0");
    EXPECT_EQ(classText("TxtFile\\shell\\open\\command"), "\"C:\\Program Files\\Ed\\ed.exe\" \"%1\"");
    EXPECT_FALSE(classText(".qmx"));
    EXPECT_FALSE(classText(".zzz"));
    // The desktop's side: a MIME type for the glob and its opener.
    const std::string mime = readFile(qm::desktop::dataHome() / "mime/packages/quillmate-txtfile.xml");
    EXPECT_NE(mime.find("<glob pattern=\"*.txt\"/>"), std::string::npos);
    const std::string opener = readFile(qm::desktop::dataHome() / "applications/quillmate-txtfile.desktop");
    EXPECT_NE(opener.find("Exec=\"/Program Files/Ed/ed.exe\" %f\n"), std::string::npos) << opener;
    EXPECT_NE(readFile(qm::desktop::configHome() / "mimeapps.list")
                  .find("application/x-quillmate-txtfile=quillmate-txtfile.desktop"),
              std::string::npos);
}

TEST_F(SfxActions, ProgramGroupCommands)
{
    Recorder r;
    EXPECT_EQ(CreateProgramGroup(&r, "Demo Tools", "C:\\demo\\run.exe|Run it\nC:\\demo\\help.txt\n"
                                                   "C:\\" + std::string(1100, 'x') + "|Long"),
              1);
    EXPECT_EQ(r.commands, (std::vector<std::string>{"[CreateGroup(Demo Tools)]", "[ShowGroup(Demo Tools,2)]",
                                                    "[ShowGroup(Demo Tools,1)]",
                                                    "[AddItem(\"C:\\demo\\run.exe\",Run it)]",
                                                    "[AddItem(\"C:\\demo\\help.txt\",)]"}));
    EXPECT_EQ(CreateProgramGroup(nullptr, "x", ""), 0);

    // The desktop carries them out as a menu with its launchers.
    qm::desktop::DesktopProgramManager desktop;
    for (const std::string& c : r.commands)
        EXPECT_TRUE(desktop.execute(c)) << c;
    const std::string menu = readFile(qm::desktop::configHome() / "menus/applications-merged/quillmate-demo-tools.menu");
    EXPECT_NE(menu.find("<Name>Demo Tools</Name>"), std::string::npos);
    const std::string item = readFile(qm::desktop::dataHome() / "applications/quillmate-demo-tools-run-it.desktop");
    EXPECT_NE(item.find("Name=Run it\nExec=\"/demo/run.exe\"\n"), std::string::npos) << item;
    EXPECT_NE(item.find("Categories=X-quillmate-demo-tools;"), std::string::npos);
    EXPECT_TRUE(stdfs::exists(qm::desktop::dataHome() / "applications/quillmate-demo-tools-help-txt.desktop"));
    EXPECT_FALSE(desktop.execute("[Bogus(x)]"));
}

TEST_F(SfxActions, CommandLinesAndTheirFields)
{
    auto item = parseCommandItem("#kHKCU\\x|name|a|b|c");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->kind, 'K');
    EXPECT_EQ(item->fields, (std::vector<std::string>{"HKCU\\x", "name", "a|b|c"}));
    EXPECT_FALSE(parseCommandItem("#Conly-one"));
    EXPECT_FALSE(parseCommandItem("#Ra|b"));
    EXPECT_FALSE(parseCommandItem("file|params|more"));
    item = parseCommandItem("#x.exe|-q");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->kind, 0); // "#" with another letter is a plain line

    // Registry values by short and long root names.
    WriteRegistryValue("HKCU\\Software\\QmA", "five", "5");
    WriteRegistryValue("hkey_current_user/Software\\QmA", "text", "\"abc\"");
    WriteRegistryValue("HKCU\\Software\\QmA", "empty", "\"");
    WriteRegistryValue("HKCU\\Software\\QmA", "neg", "-12x");
    WriteRegistryValue("HKXX\\Software\\QmA", "none", "1");
    EXPECT_EQ(reg::queryValue(reg::hkey::CurrentUser, "Software\\QmA", "five"), reg::dwordValue(5));
    EXPECT_EQ(reg::queryValue(reg::hkey::CurrentUser, "Software\\QmA", "text"), reg::textValue("abc"));
    EXPECT_EQ(reg::queryValue(reg::hkey::CurrentUser, "Software\\QmA", "empty"), reg::textValue(""));
    EXPECT_EQ(reg::queryValue(reg::hkey::CurrentUser, "Software\\QmA", "neg"), reg::dwordValue(uint32_t(-12)));

    // A copy over a target of the same time is made; a newer target stays.
    writeFile(tmp / "src.txt", "new");
    writeFile(tmp / "dst.txt", "old");
    stdfs::last_write_time(tmp / "dst.txt", stdfs::last_write_time(tmp / "src.txt"));
    CopyIfNewer(qm::fs::fromNative(tmp / "src.txt"), qm::fs::fromNative(tmp / "dst.txt"));
    EXPECT_EQ(readFile(tmp / "dst.txt"), "new");
    writeFile(tmp / "dst.txt", "newer");
    stdfs::last_write_time(tmp / "dst.txt", stdfs::last_write_time(tmp / "src.txt") + std::chrono::hours(1));
    CopyIfNewer(qm::fs::fromNative(tmp / "src.txt"), qm::fs::fromNative(tmp / "dst.txt"));
    EXPECT_EQ(readFile(tmp / "dst.txt"), "newer");
}

TEST_F(SfxActions, PlainLinesStartTheProgramOfTheFile)
{
    // A program is started with its parameters, without its own name again.
    const std::string prog = script("tool.sh");
    RunCommandAndWait(prog, "-a \"two words\"");
    EXPECT_EQ(log(), (tmp / "tool.sh").string() + "\n-a\ntwo words\n");
    // Also when its name is shorter than the four characters compared.
    RunCommandAndWait(script("go"), "one two");
    EXPECT_EQ(log(), (tmp / "go").string() + "\none\ntwo\n");

    // A document opens in the program of its type, as the last argument,
    // whole even with blanks in its name.
    const std::string editor = script("editor.sh");
    RegisterAssociations("qmdoc|\"" + editor + "\"|Demo document");
    writeFile(tmp / "my notes.qmdoc", "n");
    RunCommandAndWait(qm::fs::fromNative(tmp / "my notes.qmdoc"), "");
    EXPECT_EQ(log(), (tmp / "editor.sh").string() + "\n" + (tmp / "my notes.qmdoc").string() + "\n");

    EXPECT_EQ(commandFor("/usr/bin/x.exe", "C:\\y.EXE", ""), std::vector<std::string>{"/usr/bin/x.exe"});

    // The readme goes to the user's editor, which is waited for.
    SfxConfig c;
    c.ReadmeFile = qm::fs::fromNative(tmp / "read me.txt");
    writeFile(tmp / "read me.txt", "hello");
    qm::test::ScopedEnv visual("VISUAL", (tmp / "editor.sh").string());
    ShowReadme(c);
    EXPECT_EQ(log(), (tmp / "editor.sh").string() + "\n" + (tmp / "read me.txt").string() + "\n");
}

TEST_F(SfxActions, ServersAreRegisteredThroughTheirEntryPoint)
{
    if (!qm::test::haveProgram("cc"))
        GTEST_SKIP() << "a C compiler is needed to build the library";
    writeFile(tmp / "srv.c", "#include <stdio.h>\nlong DllRegisterServer(void) { FILE* f = fopen(\""
                                 + (tmp / "called").string() + "\", \"w\"); fclose(f); return 0; }\n");
    ASSERT_EQ(qm::test::runCommand({"cc", "-shared", "-fPIC", "-o", (tmp / "srv.so").string(),
                                    (tmp / "srv.c").string()}),
              0);
    RegisterServer(qm::fs::fromNative(tmp / "srv.so"));
    EXPECT_TRUE(stdfs::exists(tmp / "called"));
    RegisterServer(qm::fs::fromNative(tmp / "missing.so")); // nothing happens
}

} // namespace
} // namespace qm::sfxstub
