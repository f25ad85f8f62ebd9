// The built glidepack program, started offscreen from a program folder of its
// own with an archive on its command line, then asked to end as a session
// ends it: it shows its window, closes it, ends with 0 and leaves the program
// folder, the platform folder and the user's configuration as they were.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

namespace stdfs = std::filesystem;

// Every file and folder below `root` with its content.
std::map<std::string, std::string> snapshot(const stdfs::path& root)
{
    std::map<std::string, std::string> out;
    if (!stdfs::exists(root))
        return out;
    for (const auto& e : stdfs::recursive_directory_iterator(root))
        out[e.path().string()] = e.is_regular_file() ? qm::test::readFile(e.path()) : "<folder>";
    return out;
}

stdfs::path fromEnv(const char* name)
{
    const char* v = std::getenv(name);
    return v ? stdfs::path(v) : stdfs::path();
}

TEST(GlidepackProgram, ShowsItsWindowAndWritesNothing)
{
    const stdfs::path built = qm::test::programDir() / "glidepack";
    ASSERT_TRUE(stdfs::exists(built)) << built;
    qm::test::TempDir home("qm-glidepack");
    stdfs::copy_file(built, home / "glidepack");
    stdfs::permissions(home / "glidepack", stdfs::perms::owner_all);
    qm::test::writeFile(home / "a.txt", "a");
    ASSERT_EQ(qm::test::runCommand({"/bin/sh", "-c", "cd \"$0\" && zip -q a.zip a.txt", home.str()}), 0);
    stdfs::remove(home / "a.txt");

    const stdfs::path platform = fromEnv("QUILLMATE_PLATFORM_DIR");
    const stdfs::path config = fromEnv("XDG_CONFIG_HOME");
    const auto homeBefore = snapshot(home.path());
    const auto platformBefore = snapshot(platform);
    const auto configBefore = snapshot(config);

    qm::test::ScopedEnv noHome("QUILLMATE_HOME", std::nullopt);
    qm::test::ScopedEnv offscreen("QT_QPA_PLATFORM", "offscreen");
    // The request to end goes out once the program has taken charge of it
    // (it does so first thing, and then answers it only once its window has
    // shown): until SIGTERM shows among the signals it catches, or it has
    // ended. A window that never showed would not end the program on close:
    // the watchdog then kills it, and the status is not 0.
    const long rounds = long(std::chrono::milliseconds(qm::test::EventLimit).count() / 50);
    const std::string limit = std::to_string(std::chrono::seconds(qm::test::EventLimit).count());
    const std::string script =
        "\"$0\" \"$1\" & pid=$!\n"
        "taken() {\n"
        "  c=$(sed -n 's/^SigCgt:[[:space:]]*//p' /proc/$pid/status 2>/dev/null)\n"
        "  [ -z \"$c\" ] || grep -q '^State:[[:space:]]*Z' /proc/$pid/status ||\n"
        "    [ $((0x${c#${c%????}} & 0x4000)) -ne 0 ]\n"
        "}\n"
        "n=0; until taken || [ $n -ge " + std::to_string(rounds) + " ]; do sleep 0.05; n=$((n + 1)); done\n"
        "kill -TERM $pid\n"
        "( trap 'kill $s; exit' TERM; sleep " + limit + " & s=$!; wait $s; kill -KILL $pid ) >/dev/null 2>&1 & dog=$!\n"
        "wait $pid; status=$?; kill $dog 2>/dev/null; exit $status\n";
    std::string out;
    EXPECT_EQ(qm::test::runCommand({"/bin/sh", "-c", script, (home / "glidepack").string(),
                                    (home / "a.zip").string()},
                                   &out),
              0)
        << out;

    EXPECT_EQ(snapshot(home.path()), homeBefore);
    EXPECT_EQ(snapshot(platform), platformBefore);
    EXPECT_EQ(snapshot(config), configBefore);
}

} // namespace
