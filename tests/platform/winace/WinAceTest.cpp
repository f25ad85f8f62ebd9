// The WinAce stand-in as a process: installed in this test program's
// registry, run in a source folder with the command lines the programs
// build, its archives read back by our zip control, Python's zipfile, and
// the self-extracting one run offscreen.
#include "platform/datetime/DateTime.h"
#include "platform/fs/CurrentFolder.h"
#include "platform/fs/FileOps.h"
#include "platform/registry/Registry.h"
#include "platform/winace/Request.h"
#include "platform/winace/StandIn.h"
#include "platform/zip/PavikZip.h"
#include "platform/zip/SfxBlock.h"

#include "HeadlessSfx.h"
#include "TestSupport.h"
#include "WinAceStandIn.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <random>

namespace {

namespace stdfs = std::filesystem;
using qm::datetime::DateTime;

std::string noise(std::size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(gen());
    return s;
}

void setTime(const stdfs::path& file, const DateTime& when)
{
    qm::fs::setModifiedTime(qm::fs::fromNative(file),
                            std::chrono::system_clock::from_time_t(qm::datetime::toTimeT(when)));
}

class WinAceTest : public ::testing::Test {
protected:
    WinAceTest() : winace_(qm::test::installWinAce(home_.path()))
    {
        for (const auto& [rel, bytes] : std::map<std::string, std::string>{
                 {"a.txt", "alpha"}, {"b.txt", "beta"}, {"sub/c.txt", "gamma"}}) {
            stdfs::create_directories((src() / rel).parent_path());
            qm::test::writeFile(src() / rel, bytes);
        }
        stdfs::create_directories(home_ / "out");
    }
    stdfs::path src() const { return home_ / "src"; }
    std::string out(const std::string& name) const { return qm::fs::fromNative(home_ / "out" / name); }

    // WinAce with `args`, run in the source folder: its exit status (its
    // output into `output` when given).
    int ace(std::vector<std::string> args, std::string* output = nullptr)
    {
        args.insert(args.begin(), {"env", "-C", src().string(), qm::test::winAceCopy(home_.path()).string()});
        std::string ignored;
        return qm::test::runCommand(args, output ? output : &ignored);
    }
    std::vector<std::string> log() const { return qm::test::actionLog(home_.path()); }
    // name -> (crc, modified) of each entry.
    std::map<std::string, std::pair<uint32_t, DateTime>> entries(const std::string& archive)
    {
        qm::zip::PavikZip z;
        qm::zip::ZipEventHandlers h;
        std::map<std::string, std::pair<uint32_t, DateTime>> found;
        h.onFileListed = [&](const qm::zip::ListedEntry& e) { found[e.name] = {e.crc, e.modified}; };
        z.addEventSink(&h);
        z.ArchivePath = archive;
        EXPECT_EQ(z.ListEntries(), 0) << archive;
        return found;
    }

    qm::test::TempDir home_{"qm-winace"};
    std::string winace_;
};

TEST_F(WinAceTest, InstallRegistersThePathAndLaysTheStub)
{
    const auto path = qm::registry::queryValue(qm::registry::hkey::CurrentUser, R"(SOFTWARE\e-merge\WinAce)", "Path");
    const auto version =
        qm::registry::queryValue(qm::registry::hkey::CurrentUser, R"(SOFTWARE\e-merge\WinAce)", "Version");
    ASSERT_TRUE(path && version);
    EXPECT_EQ(*path, qm::registry::textValue(winace_));
    EXPECT_EQ(*version, qm::registry::textValue("2.11"));
    EXPECT_EQ(qm::test::readFile(home_ / "WinAce" / "SFXFILES" / "WGUI_EN.SFX"),
              qm::test::readFile(qm::test::programDir() / "pvksfx32.bin"));
}

TEST_F(WinAceTest, WorkedExampleArchivesTheFolderAndTakesTheNewestEntrysTime)
{
    const DateTime newest{2024, 5, 6, 7, 8, 9};
    setTime(src() / "a.txt", DateTime{2023, 1, 2, 3, 4, 5});
    setTime(src() / "b.txt", newest);
    setTime(src() / "sub" / "c.txt", DateTime{2022, 1, 1, 0, 0, 0});
    const std::string archive = out("Docs.ace");
    EXPECT_EQ(ace({"a", "-r", "-fp", "-m3", "-tl", "-rr", "-s", "-d1024", "-y", archive}), 0);
    EXPECT_EQ(log().back(), "Done.");

    const auto found = entries(archive);
    std::vector<std::string> names;
    for (const auto& [name, e] : found)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt", "sub\\", "sub\\c.txt"}));
    EXPECT_EQ(qm::datetime::fromTimeT(std::chrono::system_clock::to_time_t(qm::fs::modifiedTime(archive))), newest);

    std::string peer;
    ASSERT_EQ(qm::test::runCommand({"python3", "-c",
                                    "import sys, zipfile\n"
                                    "z = zipfile.ZipFile(sys.argv[1])\n"
                                    "print(z.testzip(), sorted(z.namelist()), z.read('sub/c.txt').decode())",
                                    (home_ / "out" / "Docs.ace").string()},
                                   &peer),
              0);
    EXPECT_EQ(peer, "None ['a.txt', 'b.txt', 'sub/', 'sub/c.txt'] gamma\n");
}

TEST_F(WinAceTest, UpdateReplacesOnlyWhatChangedAndTestCatchesADamagedByte)
{
    const std::string archive = out("Docs.ace");
    ASSERT_EQ(ace({"a", "-r", "-y", archive}), 0);
    const auto before = entries(archive);
    qm::test::writeFile(src() / "b.txt", "beta, changed");
    setTime(src() / "b.txt", DateTime{2025, 2, 3, 4, 5, 6});
    qm::test::writeFile(src() / "d.txt", "delta");
    ASSERT_EQ(ace({"u", "-r", "-y", archive}), 0);
    const auto after = entries(archive);
    EXPECT_EQ(after.size(), before.size() + 1);
    for (const auto& [name, e] : before) {
        if (name == "b.txt") {
            EXPECT_NE(after.at(name), e);
        } else {
            EXPECT_EQ(after.at(name), e) << name;
        }
    }
    EXPECT_EQ(log(), (std::vector<std::string>{"Archive: " + archive, "Updating b.txt", "Adding d.txt",
                                               "2 file(s) added or updated in " + archive, "Done."}));

    EXPECT_EQ(ace({"t", archive}), 0);
    std::string bytes = qm::test::readFile(home_ / "out" / "Docs.ace");
    const std::size_t at = bytes.find("gamma");
    ASSERT_NE(at, std::string::npos); // small files are stored
    bytes[at] ^= 1;
    qm::test::writeFile(home_ / "out" / "Docs.ace", bytes);
    EXPECT_EQ(ace({"t", archive}), 2);
    EXPECT_EQ(log().back(), "Failed.");
}

TEST_F(WinAceTest, ListFilesWithTrimmedAndMissingNamesAndLockedArchives)
{
    qm::test::writeFile(home_ / "list", "  a.txt  \r\nmissing.txt\r\n\r\nsub\\c.txt \r\n");
    const std::string archive = out("L.ace");
    const std::string list = qm::fs::fromNative(home_ / "list") + " "; // as the run names it
    EXPECT_EQ(ace({"a", "-k", "-y", archive, "@" + list}), 1);
    const std::vector<std::string> lines = log();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Not found: " + qm::fs::fromNative(src() / "missing.txt")),
              lines.end());
    EXPECT_EQ(lines.back(), "Done with 1 warning(s).");
    EXPECT_EQ(entries(archive).size(), 2u);

    // Locked: later changes are refused and the archive stays as it is.
    const std::string locked = qm::test::readFile(home_ / "out" / "L.ace");
    for (const char* command : {"a", "u", "f"})
        EXPECT_EQ(ace({command, "-y", archive}), 2) << command;
    EXPECT_EQ(log()[1], "Error: the archive is locked: " + archive);
    EXPECT_EQ(qm::test::readFile(home_ / "out" / "L.ace"), locked);

    // A line without a command, and one with a switch WinAce does not have.
    EXPECT_EQ(ace({}), 2);
    EXPECT_EQ(log()[0], "Error: No command given. Use: WinAce a|u|f|t|l|x [switches] archive [@list] [names]");
    EXPECT_EQ(ace({"a", "-q", archive}), 2);
    EXPECT_EQ(log()[0], "Error: Unknown switch: -q");
}

// A line break in an entry's name is shown, not obeyed: each name stays on
// its own line of action.log and of a listing's output, and no line of the
// name passes for one of the report's own ("Done.").
TEST_F(WinAceTest, ANameWithALineBreakStaysOnItsLine)
{
    stdfs::remove_all(src() / "sub");
    qm::test::writeFile(src() / "x\r\nDone.\x01", "odd");
    const std::string shown = "x^M^JDone.^A"; // CR, LF and U+0001 in caret form
    const std::string archive = out("N.ace");
    ASSERT_EQ(ace({"a", "-y", archive}), 0);
    EXPECT_EQ(log(), (std::vector<std::string>{"Archive: " + archive, "Adding a.txt", "Adding b.txt",
                                               "Adding " + shown, "3 file(s) added or updated in " + archive,
                                               "Done."}));
    EXPECT_EQ(ace({"t", archive}), 0);
    EXPECT_EQ(log(), (std::vector<std::string>{"Archive: " + archive, "Testing a.txt", "Testing b.txt",
                                               "Testing " + shown, "3 file(s) tested, the archive is sound",
                                               "Done."}));

    std::string output;
    EXPECT_EQ(ace({"l", archive}, &output), 0);
    const std::vector<std::string> listing = log();
    ASSERT_EQ(listing.size(), 6u);
    EXPECT_EQ(listing[3].rfind(shown + "\t3\t", 0), 0u) << listing[3];
    EXPECT_EQ(listing[4], "3 file(s), 12 bytes");
    EXPECT_EQ(output, qm::test::readFile(home_ / "WinAce" / "action.log"));

    // Extraction refuses the name, and says so on one line.
    EXPECT_EQ(ace({"x", "-y", "-yo", archive}), 2);
    const std::vector<std::string> lines = log();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Extracting " + shown), lines.end());
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.rfind("Skipped " + shown + ": ", 0) == 0; }),
              lines.end());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Done."), 0);
    EXPECT_EQ(lines.back(), "Failed.");
}

TEST_F(WinAceTest, VolumesStayWithinTheirSize)
{
    qm::test::writeFile(src() / "big.bin", noise(4200000, 7));
    const std::string archive = out("V.ace");
    ASSERT_EQ(ace({"a", "-v1457", "-m5", "-y", archive, "big.bin"}), 0);
    int parts = 0;
    for (const auto& e : stdfs::directory_iterator(home_ / "out")) {
        ++parts;
        EXPECT_LE(stdfs::file_size(e.path()), 1457000u) << e.path();
    }
    EXPECT_GE(parts, 3);
    EXPECT_EQ(entries(archive).size(), 1u);
}

TEST_F(WinAceTest, PasswordsCommentsAndExtraction)
{
    qm::test::writeFile(home_ / "comment.txt", "First line\r\nsecond line\r\n");
    const std::string archive = out("P.ace");
    ASSERT_EQ(ace({"a", "-pmy  secret", "-z" + qm::fs::fromNative(home_ / "comment.txt") + " ", "-y", archive}), 0);
    std::string peer;
    ASSERT_EQ(qm::test::runCommand({"python3", "-c",
                                    "import sys, zipfile\n"
                                    "z = zipfile.ZipFile(sys.argv[1])\n"
                                    "print(z.comment.decode(), z.read('a.txt', pwd=b'my  secret').decode())",
                                    (home_ / "out" / "P.ace").string()},
                                   &peer),
              0);
    EXPECT_EQ(peer, "First line alpha\n");
    EXPECT_EQ(ace({"t", archive}), 2); // without the password
    EXPECT_EQ(ace({"t", "-pmy  secret", archive}), 0);

    // Plain "x" keeps what is there; "-y -yo" overwrites.
    qm::test::writeFile(src() / "a.txt", "mine");
    stdfs::remove(src() / "b.txt");
    EXPECT_EQ(ace({"x", "-pmy  secret", archive}), 0);
    EXPECT_EQ(qm::test::readFile(src() / "a.txt"), "mine");
    EXPECT_EQ(qm::test::readFile(src() / "b.txt"), "beta");
    EXPECT_EQ(ace({"x", "-y", "-yo", "-pmy  secret", archive}), 0);
    EXPECT_EQ(qm::test::readFile(src() / "a.txt"), "alpha");
}

// A test or an extraction of an encrypted archive without -p asks for the
// password (a scripted answerer, the program's run in this process): the
// right one makes the run whole, a wrong one is asked for again as wrong,
// and Cancel ends the run as the program without a display to ask on does.
TEST_F(WinAceTest, WithoutItsPasswordAnEncryptedArchiveAsksForIt)
{
    const std::string archive = out("P.ace");
    ASSERT_EQ(ace({"a", "-r", "-psecret", "-y", archive}), 0);
    const stdfs::path unpack = home_ / "unpack";
    stdfs::create_directories(unpack);
    // The program, with no display: nothing asked, as it always was.
    ASSERT_EQ(ace({"t", archive}), 2);
    const std::vector<std::string> testUnasked = log();
    std::string output;
    ASSERT_EQ(qm::test::runCommand({"env", "-C", unpack.string(), qm::test::winAceCopy(home_.path()).string(), "x",
                                    archive},
                                   &output),
              2);
    const std::vector<std::string> extractUnasked = log();
    const std::string missing = "Skipped a.txt: The password is missing or wrong.";
    EXPECT_NE(std::find(extractUnasked.begin(), extractUnasked.end(), missing), extractUnasked.end());

    std::vector<qm::winace::PasswordQuestion> asked;
    auto run = [&](const std::string& command, std::vector<std::optional<std::string>> answers,
                   const std::string& of = {}) {
        asked.clear();
        const qm::winace::PasswordAsker ask = [&](const qm::winace::PasswordQuestion& q) {
            asked.push_back(q);
            return asked.size() <= answers.size() ? answers[asked.size() - 1] : std::nullopt;
        };
        return qm::winace::runProgram({command, of.empty() ? archive : of}, home_ / "WinAce", {}, ask);
    };
    const std::string cwd = qm::fs::CurDir();
    qm::fs::ChDir(qm::fs::fromNative(unpack));

    for (const std::string command : {"t", "x"}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(run(command, {std::nullopt}), 2);
        EXPECT_EQ(log(), command == "t" ? testUnasked : extractUnasked);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].archive, archive);
        EXPECT_EQ(asked[0].entry, "a.txt");
        EXPECT_EQ(asked[0].entries, 3);
        EXPECT_FALSE(asked[0].wrong);
        EXPECT_FALSE(stdfs::exists(unpack / "a.txt"));

        EXPECT_EQ(run(command, {"wrong", "secret"}), 0);
        ASSERT_EQ(asked.size(), 2u);
        EXPECT_TRUE(asked[1].wrong);
        EXPECT_EQ(asked[1].entries, 3);
        EXPECT_EQ(log().back(), "Done.");
    }
    EXPECT_EQ(log(), (std::vector<std::string>{"Archive: " + archive, "Extracting a.txt", "Extracting b.txt",
                                               "Extracting sub\\", "Extracting sub\\c.txt", "Done."}));
    EXPECT_EQ(qm::test::readFile(unpack / "a.txt"), "alpha");
    EXPECT_EQ(qm::test::readFile(unpack / "sub" / "c.txt"), "gamma");

    // The right one at once; an extraction that had written the plain
    // entries before it asked leaves them as they are.
    stdfs::remove_all(unpack / "sub");
    stdfs::remove(unpack / "a.txt");
    stdfs::remove(unpack / "b.txt");
    qm::test::writeFile(src() / "plain.txt", "plain");
    ASSERT_EQ(ace({"a", "-y", archive, "plain.txt"}), 0); // one entry without a password
    EXPECT_EQ(run("x", {"secret"}), 0);
    EXPECT_EQ(asked.size(), 1u);
    const std::vector<std::string> lines = log();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Extracting plain.txt"), 1);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("Skipped"); }),
              0);
    EXPECT_EQ(qm::test::readFile(unpack / "plain.txt"), "plain");
    EXPECT_EQ(qm::test::readFile(unpack / "b.txt"), "beta");
    EXPECT_EQ(run("t", {"secret"}), 0);
    EXPECT_EQ(log()[log().size() - 2], "5 file(s) tested, the archive is sound");

    // Entries of two passwords (one changed between updates): each in turn.
    const std::string two = out("Two.ace");
    ASSERT_EQ(ace({"a", "-pone", "-y", two, "a.txt"}), 0);
    ASSERT_EQ(ace({"a", "-ptwo", "-y", two, "b.txt"}), 0);
    stdfs::remove(unpack / "a.txt");
    stdfs::remove(unpack / "b.txt");
    for (const std::string command : {"t", "x"}) {
        EXPECT_EQ(run(command, {"one", "two"}, two), 0) << command;
        ASSERT_EQ(asked.size(), 2u);
        EXPECT_EQ(asked[1].entry, "b.txt");
        EXPECT_FALSE(asked[1].wrong);
        EXPECT_EQ(log().back(), "Done.");
    }
    EXPECT_EQ(qm::test::readFile(unpack / "b.txt"), "beta");
    qm::fs::ChDir(cwd);
}

TEST_F(WinAceTest, SelfExtractorCarriesTitleAndIntroductionAndExtractsOffscreen)
{
    qm::test::writeFile(home_ / "sfxopt.ini", "[OPTIONS]\r\nTITLE=Docs of 2026\r\nSFXFILE=" +
                                                  qm::fs::fromNative(home_ / "WinAce") +
                                                  "\\SFXFILES\\WGUI_EN.SFX\r\nINFO=Unpacks the docs.\r\n");
    const std::string program = out("Docs.exe");
    ASSERT_EQ(ace({"a", "-r", "-sfx32", "-sopt" + qm::fs::fromNative(home_ / "sfxopt.ini"), "-y", program}), 0);
    const std::optional<qm::sfx::SfxConfig> config = qm::sfx::loadFromFile((home_ / "out" / "Docs.exe").string());
    ASSERT_TRUE(config);
    EXPECT_EQ(config->Caption, "Docs of 2026");
    EXPECT_EQ(config->ConfirmText, "Unpacks the docs.");

    stdfs::create_directories(home_ / "unpack");
    qm::test::copyHeadlessSfx(home_ / "out" / "Docs.exe", home_ / "unpack" / "Docs.exe");
    std::string output;
    EXPECT_EQ(qm::test::runSfx(home_ / "unpack" / "Docs.exe", &output), 0) << output;
    EXPECT_EQ(qm::test::readFile(home_ / "unpack" / "sub" / "c.txt"), "gamma");
}

TEST_F(WinAceTest, SelfExtractorInVolumesIsItsProgramWithThePartsBesideIt)
{
    const std::string big = noise(900000, 8);
    qm::test::writeFile(src() / "big.bin", big);
    const std::string program = out("Docs.exe");
    ASSERT_EQ(ace({"a", "-r", "-v600", "-sfx32", "-y", program}), 0) << log().back();
    std::vector<std::string> parts;
    for (const auto& e : stdfs::directory_iterator(home_ / "out"))
        parts.push_back(e.path().filename().string());
    std::sort(parts.begin(), parts.end());
    EXPECT_EQ(parts, (std::vector<std::string>{"Docs.exe", "Docs.z02", "Docs.z03"}));
    EXPECT_EQ(ace({"t", program}), 0) << log().back();
    std::string listing;
    EXPECT_EQ(ace({"l", program}, &listing), 0) << listing;
    EXPECT_NE(listing.find("big.bin"), std::string::npos) << listing;

    // "u" reads the old set and writes it anew; the program extracts it all.
    qm::test::writeFile(src() / "a.txt", "alpha, changed");
    ASSERT_EQ(ace({"u", "-r", "-v600", "-sfx32", "-y", program}), 0) << log().back();
    stdfs::create_directories(home_ / "unpack");
    qm::test::copyHeadlessSfx(home_ / "out" / "Docs.exe", home_ / "unpack" / "Docs.exe");
    for (const char* part : {"Docs.z02", "Docs.z03"})
        stdfs::copy_file(home_ / "out" / part, home_ / "unpack" / part);
    std::string output;
    EXPECT_EQ(qm::test::runSfx(home_ / "unpack" / "Docs.exe", &output), 0) << output;
    EXPECT_EQ(qm::test::readFile(home_ / "unpack" / "a.txt"), "alpha, changed");
    EXPECT_EQ(qm::test::readFile(home_ / "unpack" / "sub" / "c.txt"), "gamma");
    EXPECT_TRUE(qm::test::readFile(home_ / "unpack" / "big.bin") == big);
}

TEST(WinAceRequestTest, SwitchesAndNames)
{
    using qm::winace::parseArguments;
    const qm::winace::Parsed p = parseArguments(
        {"U", "-R", "-fpd", "-m0", "-tk", "-v362", "-K", "-sfx32", "-soptC:\\o.ini ", "-d64", "-av+", "-Y", "A.ace",
         "x.txt", "@ C:\\l "});
    ASSERT_EQ(p.error, "");
    const qm::winace::Request& r = p.request;
    EXPECT_EQ(r.command, 'u');
    EXPECT_TRUE(r.recurse && r.fullPaths && r.lock && r.selfExtracting);
    EXPECT_EQ(r.level, 0);
    EXPECT_EQ(r.stamp, qm::winace::Request::Stamp::Now);
    EXPECT_EQ(r.volumeBytes, 362000);
    EXPECT_EQ(r.sfxOptions, "C:\\o.ini");
    EXPECT_EQ(r.archive, "A.ace");
    EXPECT_EQ(r.names, std::vector<std::string>{"x.txt"});
    EXPECT_EQ(r.listFiles, std::vector<std::string>{"C:\\l"});
    EXPECT_EQ(parseArguments({"a", "-m6", "A"}).error, "Unknown switch: -m6");
    EXPECT_EQ(parseArguments({"a", "-y"}).error, "No archive named.");
    EXPECT_EQ(parseArguments({"q", "A"}).error, "Unknown command: q");
}

} // namespace
