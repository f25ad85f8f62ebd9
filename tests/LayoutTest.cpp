// The layout rules of the source tree, checked on every include line:
//  - POSIX headers (<unistd.h>, <fcntl.h>, <sys/...>) only in platform/ (and
//    in tests/ and bench/, which measure the host);
//  - Qt only in forms/ folders, in the Qt side of platform/ui, in the
//    programs' main.cpp (and in tests/);
//  - no mainwindow/ header outside mainwindow/;
//  - forms never reach the process layer, the zip control or the store
//    object directly, and no folder includes another folder's forms/;
//  - no layer includes one above it: platform/ nothing above it, store/
//    nothing but platform/, app/ nothing but platform/ and store/, session/
//    nothing but those three;
//  - no two subsystem folders include each other (what two of them share
//    moves beneath both), and the backup engine and restore, which share the
//    main window's zip session, include each other in neither direction;
//  - and, on every line, the host calls that platform/ wraps (removing a
//    file's name, changing its mode, the home folder) are made in platform/
//    only (and in tests/ and bench/).
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool startsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

// The top folder of a relative path ("engine/forms/x.cpp" -> "engine").
std::string topFolder(const std::string& rel) { return rel.substr(0, rel.find('/')); }

// The subsystem a forms/ path belongs to ("engine/forms/..." -> "engine/"), "" when none.
std::string formsOwner(const std::string& rel)
{
    const std::size_t at = rel.find("/forms/");
    return at == std::string::npos ? std::string() : rel.substr(0, at + 1);
}

// The layers beneath the subsystems, from the ground up.
const std::vector<std::string> Layers{"platform", "store", "app", "session"};

// A folder's place among the layers; every other folder comes after them.
std::ptrdiff_t layer(const std::string& folder)
{
    return std::find(Layers.begin(), Layers.end(), folder) - Layers.begin();
}

// A subsystem folder: neither a layer nor mainwindow/ (both kept in order by
// the rules on their own), nor tests or bench.
bool isSubsystem(const std::string& folder)
{
    return layer(folder) == std::ssize(Layers) && folder != "mainwindow" && folder != "tests" && folder != "bench";
}

// Subsystems that never include each other: what they share is beneath them.
bool keptApart(const std::string& a, const std::string& b)
{
    return (a == "engine" && b == "restore") || (a == "restore" && b == "engine");
}

bool isQtFreeUiFile(const std::string& rel)
{
    static const char* const files[] = {"platform/ui/UiServices.h", "platform/ui/MsgBoxStyle.h",
                                        "platform/ui/MsgBoxStyle.cpp", "platform/ui/Columns.h",
                                        "platform/ui/KeyedTree.h",   "platform/ui/Display.h",
                                        "platform/ui/Display.cpp"};
    return std::find(std::begin(files), std::end(files), rel) != std::end(files);
}

// What one include line of the file `rel` breaks; empty when nothing.
std::string brokenRule(const std::string& rel, bool angle, const std::string& name)
{
    const std::string top = topFolder(rel);
    const bool test = top == "tests" || top == "bench";
    if (angle) {
        const bool posix = name == "unistd.h" || name == "fcntl.h" || name == "dirent.h" || name == "dlfcn.h" ||
                           name == "iconv.h" || startsWith(name, "sys/");
        if (posix && top != "platform" && !test)
            return "POSIX outside platform/";
        const bool qt = name.size() > 1 && name[0] == 'Q' && std::isupper(static_cast<unsigned char>(name[1]));
        const bool qtAllowed = test || !formsOwner(rel).empty() || fs::path(rel).filename() == "main.cpp" ||
                               (startsWith(rel, "platform/ui/") && !isQtFreeUiFile(rel));
        if (qt && !qtAllowed)
            return "Qt in a logic file";
        return {};
    }
    if (startsWith(name, "mainwindow/") && top != "mainwindow" && !startsWith(rel, "tests/mainwindow/"))
        return "mainwindow/ header outside mainwindow/";
    if (!formsOwner(rel).empty() &&
        (startsWith(name, "platform/process/") || startsWith(name, "platform/zip/") || name == "store/Store.h"))
        return "forms/ reaching the process layer, the zip control or the store";
    if (const std::string owner = formsOwner(name); !owner.empty() && !test && !startsWith(rel, owner) &&
                                                    fs::path(rel).filename() != "main.cpp")
        return "another folder's forms/";
    const std::string target = topFolder(name);
    if (keptApart(top, target))
        return "engine/ and restore/ kept apart (what they share is in session/)";
    const bool above = layer(top) < layer(target) && layer(top) < std::ssize(Layers);
    if (above && name.find('/') != std::string::npos)
        return "a layer above its own";
    return {};
}

// The include lines by which one folder reaches another: (from, to) -> "file: include".
using Reaches = std::map<std::pair<std::string, std::string>, std::vector<std::string>>;

void noteReach(Reaches& reaches, const std::string& rel, const std::string& name)
{
    const std::string from = topFolder(rel);
    const std::string to = topFolder(name);
    if (name.find('/') == std::string::npos || from == to || !isSubsystem(from) || !isSubsystem(to) ||
        keptApart(from, to))
        return;
    reaches[{from, to}].push_back(rel + ": " + name);
}

// Every include line of two subsystem folders that include each other.
void mutualReaches(const Reaches& reaches, std::vector<std::string>& problems)
{
    for (const auto& [folders, lines] : reaches)
        if (reaches.count({folders.second, folders.first}))
            for (const std::string& line : lines)
                problems.push_back(line + ": two folders including each other (" + folders.first + ", " +
                                   folders.second + ")");
}

// The host call on a code line of `rel` that belongs in platform/, as
// written; empty when none (or when `rel` may make it).
std::string hostCall(const std::string& rel, const std::string& line)
{
    static const std::regex calls[] = {
        std::regex(R"((::(unlink|f?chmod)(at)?)\s*\()"),
        std::regex(R"((\b(secure_)?getenv\s*\(\s*"HOME"\s*\)))"),
        std::regex(R"((\b(std::filesystem|stdfs|fs)::(remove(_all)?|permissions))\s*\()"),
    };
    const std::string top = topFolder(rel);
    if (top == "platform" || top == "tests" || top == "bench")
        return {};
    const std::string code = line.substr(0, line.find("//"));
    std::smatch m;
    for (const std::regex& call : calls)
        if (std::regex_search(code, m, call))
            return m[1].str();
    return {};
}

// Every broken rule of the tree under `root`, as "file: include: rule" (or
// "file: call: rule").
std::vector<std::string> layoutProblems(const fs::path& root)
{
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<std::string> problems;
    Reaches reaches;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path& p = it->path();
        if (it->is_directory()) {
            // Hidden folders and build folders (a CMake cache in them) are not sources.
            if (p.filename().string()[0] == '.' || fs::exists(p / "CMakeCache.txt"))
                it.disable_recursion_pending();
            continue;
        }
        const std::string ext = p.extension().string();
        if (ext != ".h" && ext != ".cpp" && ext != ".def")
            continue;
        const std::string rel = fs::relative(p, root).generic_string();
        std::ifstream in(p);
        std::string line;
        std::smatch m;
        while (std::getline(in, line)) {
            if (const std::string name = hostCall(rel, line); !name.empty())
                problems.push_back(rel + ": " + name + ": a host call outside platform/");
            if (!std::regex_search(line, m, include))
                continue;
            if (std::string rule = brokenRule(rel, m[1] == "<", m[2]); !rule.empty())
                problems.push_back(rel + ": " + m[2].str() + ": " + rule);
            if (m[1] == "\"")
                noteReach(reaches, rel, m[2]);
        }
    }
    mutualReaches(reaches, problems);
    std::sort(problems.begin(), problems.end());
    return problems;
}

TEST(Layout, TheSourceTreeKeepsItsRules)
{
    const std::vector<std::string> problems = layoutProblems(qm::test::sourceDir());
    for (const std::string& p : problems)
        ADD_FAILURE() << p;
    EXPECT_TRUE(problems.empty());
}

TEST(Layout, EachRuleIsFoundWhereItIsBroken)
{
    qm::test::TempDir tree("qm-layout");
    auto source = [&](const std::string& rel, const std::string& include) {
        qm::test::writeFile(tree / rel, "// a file\n#include " + include + "\nint x;\n");
    };
    // Allowed.
    source("platform/fs/Ok.cpp", "<unistd.h>");
    source("tests/store/OkTest.cpp", "<sys/stat.h>");
    source("engine/forms/frmOk.cpp", "<QDialog>");
    source("mainwindow/main.cpp", "<QApplication>");
    source("platform/ui/ReportOk.cpp", "<QTreeWidget>");
    source("mainwindow/Procedures.cpp", "\"restore/RestoreForms.h\"");
    source("engine/SplitSizeOk.cpp", "\"pickers/PickerForms.h\"");
    source("app/Ok.h", "\"store/Store.h\"");
    source("session/Ok.h", "\"app/Windows.h\"");
    source("engine/SessionOk.cpp", "\"session/ZipSession.h\"");
    source("restore/SessionOk.cpp", "\"session/SessionForms.h\"");
    source("tests/engine/RestoreOk.cpp", "\"restore/ActionLog.h\"");
    source("tests/restore/EngineOk.cpp", "\"engine/Backup.h\"");
    source("build-x/CMakeCache.txt", "<unistd.h>");
    source("build-x/x.cpp", "<unistd.h>");
    const std::string calls = "void f(const char* p) {\n    ::unlink(p);\n    std::getenv(\"HOME\");\n"
                              "    std::filesystem::remove(p);\n    fs::remove_all(p);\n}\n";
    qm::test::writeFile(tree / "platform/fs/Calls.cpp", calls);
    qm::test::writeFile(tree / "tests/engine/CallsTest.cpp", calls);
    qm::test::writeFile(tree / "engine/Said.cpp", "// ::unlink(p) and getenv(\"HOME\") are platform/'s\n"
                                                  "const char* t = std::getenv(\"TERM\");\nbool removeFolder(int);\n"
                                                  "bool b = qm::fs::removeFolder(1);\n");
    // Broken.
    source("store/Posix.cpp", "<fcntl.h>");
    source("runner/Posix.cpp", "<sys/stat.h>");
    source("engine/Logic.cpp", "<QString>");
    source("platform/ui/UiServices.h", "<QWidget>");
    source("restore/Up.h", "\"mainwindow/Commands.h\"");
    source("engine/forms/frmZip.cpp", "\"platform/zip/PavikZip.h\"");
    source("restore/forms/frmStore.cpp", "\"store/Store.h\"");
    source("restore/Other.cpp", "\"engine/forms/frmSplitSize.h\"");
    source("store/Above.h", "\"app/ProgramState.h\"");
    source("platform/fs/Above.h", "\"store/Store.h\"");
    source("app/Above.h", "\"engine/EngineForms.h\"");
    source("app/AboveToo.h", "\"session/ZipSession.h\"");
    source("session/Above.h", "\"restore/RestoreForms.h\"");
    qm::test::writeFile(tree / "mainwindow/Calls.cpp", "int a = ::unlink(\"x\");\n");
    qm::test::writeFile(tree / "sfxstub/Calls.cpp", "const char* h = std::getenv( \"HOME\" );\n");
    qm::test::writeFile(tree / "runner/Calls.cpp",
                        "void f() { stdfs::remove(p); }\nvoid g() { ::unlinkat(0, p, 0); }\n");
    qm::test::writeFile(tree / "options/Calls.h", "inline void f() { std::filesystem::remove_all(p); }\n");
    qm::test::writeFile(tree / "pickers/Calls.cpp", "void f() { ::chmod(p, 0600); }\n");
    source("engine/Across.cpp", "\"restore/Restore.h\"");
    source("editor/Across.cpp", "\"options/OptionsForms.h\"");
    source("options/Across.cpp", "\"editor/EditorForms.h\"");

    EXPECT_EQ(layoutProblems(tree.path()),
              (std::vector<std::string>{
                  "app/Above.h: engine/EngineForms.h: a layer above its own",
                  "app/AboveToo.h: session/ZipSession.h: a layer above its own",
                  "editor/Across.cpp: options/OptionsForms.h: two folders including each other (editor, options)",
                  "engine/Across.cpp: restore/Restore.h: engine/ and restore/ kept apart (what they share is in "
                  "session/)",
                  "engine/Logic.cpp: QString: Qt in a logic file",
                  "engine/forms/frmZip.cpp: platform/zip/PavikZip.h: forms/ reaching the process layer, the zip "
                  "control or the store",
                  "mainwindow/Calls.cpp: ::unlink: a host call outside platform/",
                  "options/Across.cpp: editor/EditorForms.h: two folders including each other (options, editor)",
                  "options/Calls.h: std::filesystem::remove_all: a host call outside platform/",
                  "pickers/Calls.cpp: ::chmod: a host call outside platform/",
                  "platform/fs/Above.h: store/Store.h: a layer above its own",
                  "platform/ui/UiServices.h: QWidget: Qt in a logic file",
                  "restore/Other.cpp: engine/forms/frmSplitSize.h: another folder's forms/",
                  "restore/Up.h: mainwindow/Commands.h: mainwindow/ header outside mainwindow/",
                  "restore/forms/frmStore.cpp: store/Store.h: forms/ reaching the process layer, the zip control "
                  "or the store",
                  "runner/Calls.cpp: ::unlinkat: a host call outside platform/",
                  "runner/Calls.cpp: stdfs::remove: a host call outside platform/",
                  "runner/Posix.cpp: sys/stat.h: POSIX outside platform/",
                  "session/Above.h: restore/RestoreForms.h: a layer above its own",
                  "sfxstub/Calls.cpp: getenv( \"HOME\" ): a host call outside platform/",
                  "store/Above.h: app/ProgramState.h: a layer above its own",
                  "store/Posix.cpp: fcntl.h: POSIX outside platform/",
              }));
}

} // namespace
