// Whole-file saves against kills and against another program's writes,
// with the helper SaveLoop.cpp standing in for the programs:
// - Quillmate's saves of a project and of the user options killed at random
//   moments: each file is one whole version or the other, and temporary
//   files never pile up;
// - Nightwick stamping a project and the user options while Quillmate saves
//   the project and writes an option, 200 rounds each: every file read
//   meanwhile parses whole, and no key or single-key write is lost.
#include "ProgramHome.h"
#include "SaveVersions.h"

#include "platform/profile/IniDocument.h"
#include "store/ProjectFile.h"

#include <random>
#include <set>
#include <thread>

namespace {

namespace stdfs = std::filesystem;
namespace saves = qm::test::saves;
using qm::profile::IniDocument;

class SaveRace : public qm::test::ProgramHomeTest {
protected:
    SaveRace() : ProgramHomeTest({"Projects", "Options"}) {}

    stdfs::path projectFile() const { return native(std::string("Projects/") + saves::ProjectName); }
    stdfs::path optionsFile() const { return native("Options/User Options"); }

    // Every section and key of a text, as the reader finds them.
    static std::set<std::pair<std::string, std::string>> keysOf(const std::string& text)
    {
        IniDocument doc(text);
        std::set<std::pair<std::string, std::string>> keys;
        for (const std::string& s : doc.sectionNames())
            for (const std::string& k : doc.keyNames(s))
                keys.insert({s, k});
        return keys;
    }
    static std::string withValue(const std::string& text, const char* section, const char* key, const std::string& v)
    {
        IniDocument doc(text);
        doc.setValue(section, key, v);
        return doc.text();
    }

    const std::string helper_ = QM_SAVE_LOOP;
};

TEST_F(SaveRace, KilledSavesLeaveOneWholeVersionAndNoPileOfTemporaries)
{
    std::set<std::string> projects, options;
    for (int v = 0; v < 2; ++v) {
        projects.insert(qm::store::projectFileText(saves::project(v)));
        const std::string o = qm::store::userOptionsText(saves::options(v));
        options.insert(o);
        options.insert(withValue(o, "User Options", "UserView", saves::view(v)));
    }
    std::mt19937 rng(28);
    std::uniform_int_distribution<int> delay(2, 60);
    int mostTemporaries = 0;
    for (int kill = 1; kill <= 20; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        qm::test::BackgroundProgram saving({helper_, "save", "0"});
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(rng)));
        EXPECT_TRUE(saving.kill()) << "the helper ended by itself";
        if (stdfs::exists(projectFile())) {
            EXPECT_TRUE(projects.count(qm::test::readFile(projectFile()))) << "the project file is not whole";
        }
        if (stdfs::exists(optionsFile())) {
            EXPECT_TRUE(options.count(qm::test::readFile(optionsFile()))) << "the user options are not whole";
        }
        const int left = std::max(qm::test::temporaries(native("Projects")), qm::test::temporaries(native("Options")));
        EXPECT_LE(left, 1) << "temporary files pile up";
        mostTemporaries = std::max(mostTemporaries, left);
    }
    // A whole run clears what the last kill left.
    EXPECT_EQ(qm::test::BackgroundProgram({helper_, "save", "2"}).wait(), 0);
    EXPECT_EQ(qm::test::temporaries(native("Projects")), 0);
    EXPECT_EQ(qm::test::temporaries(native("Options")), 0);
    std::printf("saves killed 20 times: at most %d temporary file(s) left at once\n", mostTemporaries);
}

TEST_F(SaveRace, StampsSavesAndAnOptionAtOnceLoseNothing)
{
    constexpr int Rounds = 200;
    qm::ui::FakeUiServices ui;
    qm::store::Store store(ui);
    store.CurrentProjectIni = qm::store::Store::projectPath(saves::ProjectName);
    const std::string optionsPath = qm::store::Store::userOptionsPath();
    store.ProjectRecord.redim(1);
    store.UserOptionsRecord.redim(1);
    store.ProjectRecord(1) = saves::project(0);
    store.SaveProject();
    store.UserOptionsRecord(1) = saves::options(0);
    store.SaveUserOptions();
    const auto projectKeys = keysOf(qm::test::readFile(projectFile()));
    const auto optionKeys = keysOf(qm::test::readFile(optionsFile()));
    const std::set<std::string> comments{std::string(4000, 'a'), std::string(4000, 'b')};

    qm::test::BackgroundProgram stamping({helper_, "stamp", std::to_string(Rounds)});
    int whole = 0;
    for (int round = 1; round <= Rounds; ++round) {
        store.ProjectRecord(1) = saves::project(round % 2);
        store.SaveProject();
        ASSERT_TRUE(store.WriteIni("User Options", "UserView", saves::view(round), optionsPath));
        const std::string project = qm::test::readFile(projectFile());
        const std::string options = qm::test::readFile(optionsFile());
        const bool ok = keysOf(project) == projectKeys && keysOf(options) == optionKeys &&
                        comments.count(IniDocument(project).value("Comments", "ZIPComments").value_or(""));
        EXPECT_TRUE(ok) << "round " << round << ": a file read is not whole";
        whole += ok;
    }
    EXPECT_EQ(stamping.wait(), 0) << "a stamp failed";
    EXPECT_TRUE(ui.boxes().size() == 1 && ui.boxes()[0].title == "Done!") << "a write failed";

    // Single-key writes of both programs all stand; the stamp stands unless the
    // project was saved whole after it (with the record's own, empty, value).
    const IniDocument options(qm::test::readFile(optionsFile()));
    EXPECT_EQ(options.value("User Options", "UserView"), saves::view(Rounds));
    EXPECT_EQ(options.value("User Options", "UserLastINIBackup"), saves::stamp(Rounds));
    const std::string date =
        IniDocument(qm::test::readFile(projectFile())).value("Files and Folders-QMT", "ZIPLastBackupDate").value_or("?");
    EXPECT_TRUE(date == saves::stamp(Rounds) || date.empty()) << date;
    EXPECT_EQ(qm::test::temporaries(native("Projects")) + qm::test::temporaries(native("Options")), 0);
    std::printf("%d rounds of stamps against %d saves and options: %d of %d reads whole\n", Rounds, Rounds, whole,
                Rounds);
}

} // namespace
