// A first project on a copied program folder, through the real windows
// offscreen, as the README walks it: the defaults record the build installs,
// the job start-up places, a project made from the defaults with "Insert my
// Default Values" and four fields, backed up by the Nightwick the job names
// (fired by the task agent) and by "Back up Single", and restored.
#include "editor/EditorColumns.h"
#include "editor/EditorGroups.h"
#include "editor/forms/frmData.h"
#include "mainwindow/forms/ButtonBar.h"
#include "platform/fs/Paths.h"
#include "platform/tasksched/Job.h"
#include "platform/tasksched/RunState.h"
#include "platform/ui/CardGrid.h"
#include "platform/ui/ReportList.h"
#include "restore/forms/RestoreFrm.h"
#include "store/ProjectFile.h"

#include "FakeUiServices.h"
#include "FormTest.h"
#include "ProgramHome.h"
#include "WiredForm1.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <chrono>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
namespace mb = qm::ui::mb;
using qm::test::WiredForm1;

class FirstProject : public qm::test::ProgramHomeTest {
protected:
    FirstProject() { ui_.setUnscriptedResult(mb::OK); }

    // The program folder as an install copies it, with what the runs here
    // need: the runner, the job's model, the self-extractor stubs and the
    // data folders, the defaults record installed as the build installs it.
    void install()
    {
        for (const char* file : {"Nightwick", "Nightwick.job", "pvksfxbz.bin", "pvksfx32.bin"})
            fs::copy_file(qm::test::programDir() / file, native(file));
        for (const char* folder : {"Projects", "Filelists", "Temp"})
            fs::create_directories(native(folder));
        ASSERT_EQ(installDefaults(), 0);
    }
    // The build's step that installs the defaults record into Options.
    int installDefaults()
    {
        std::string out;
        const int status = qm::test::runCommand(
            {QM_CMAKE_COMMAND, std::string("-DSOURCE=") + QM_DEFAULTS_RECORD,
             "-DTARGET=" + native("Options/My Data Defaults").string(), "-P",
             (qm::test::sourceDir() / "cmake/InstallIfMissing.cmake").string()},
            &out);
        EXPECT_EQ(status, 0) << out;
        return status;
    }

    // A text of the windows, as the user reads it: without its "&" and a
    // closing ":".
    void note(const QString& text)
    {
        std::string t = QString(text).remove('&').toStdString();
        if (t.ends_with(':'))
            t.pop_back();
        met_.insert(t);
    }
    // The button bar's item at `position` of `group`, pressed.
    void press(WiredForm1& form, const char* group, int position)
    {
        QToolButton* item = form.ButtonBar1->item(group, position);
        ASSERT_NE(item, nullptr);
        note(group);
        note(item->text());
        item->click();
    }
    // Every box so far: its title, its text, and Yes where it asked Yes or No.
    void noteBoxes()
    {
        for (const qm::ui::BoxRecord& box : ui_.boxes()) {
            note(QString::fromStdString(box.title));
            note(QString::fromStdString(box.prompt));
            if (box.buttons == mb::YesNo)
                note("Yes");
        }
    }

    // Add, the name, Insert my Default Values, the four fields of the
    // "Required" group, Save.
    void addFromDefaults(WiredForm1& form, const std::string& name, const std::string& folder,
                         const std::string& archive, const std::string& target)
    {
        ui_.answerText(name);
        press(form, "Records", 1);
        qm::editor::frmData* editor = form.editor.openEditor();
        ASSERT_NE(editor, nullptr);
        ui_.answer(mb::Yes);
        note(editor->cmdInsDefaults->text());
        editor->cmdInsDefaults->click();
        EXPECT_EQ(ui_.lastBox().title, "Default values insertion complete");
        // "Required": the name, the four fields and the temporary folder the defaults set.
        QRadioButton* required = editor->Option1[qm::editor::RequiredGroup];
        note(required->text());
        required->click();
        std::vector<int> shown;
        for (int c = 1; c <= qm::editor::EditorColumnCount; ++c)
            if (editor->GridEX1->columnVisible(c)) {
                shown.push_back(c);
                note(editor->GridEX1->captionLabel(1, c)->text());
            }
        EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4, 132, 176}));
        QTest::keyClicks(editor->GridEX1->cellEditor(1, 2), QString::fromStdString(folder));
        QTest::keyClicks(editor->GridEX1->cellEditor(1, 3), QString::fromStdString(archive));
        QTest::keyClicks(editor->GridEX1->cellEditor(1, 4), QString::fromStdString(target));
        auto* format = qobject_cast<QComboBox*>(editor->GridEX1->cellEditor(1, 176));
        ASSERT_NE(format, nullptr);
        format->activated(format->findText("ZIP"));
        note(editor->cmdSave->text());
        editor->cmdSave->click();
        EXPECT_EQ(ui_.lastBox().prompt, "Project data saved successfully.");
    }

    // Fires the scheduled job as the task agent does at its time, in the
    // surroundings of a scheduled run (no display, no QUILLMATE_HOME), and
    // gives the run's state once the run has ended.
    qm::tasksched::RunState fireJob()
    {
        qm::test::ScopedEnv noHome("QUILLMATE_HOME", std::nullopt);
        qm::test::ScopedEnv noDisplay("DISPLAY", std::nullopt);
        qm::test::ScopedEnv noWayland("WAYLAND_DISPLAY", std::nullopt);
        const std::string agent = (qm::test::programDir() / "quillmate-task-agent").string();
        for (const char* now : {"2026-01-02T20:00", "2026-01-02T21:00"}) { // armed, then due
            std::string out;
            EXPECT_EQ(qm::test::runCommand({agent, "tick", "--tasks", tasks().string(), "--now", now}, &out), 0)
                << out;
        }
        const fs::path stateFile = tasks() / "Nightwick.job.state";
        qm::tasksched::RunState state = qm::tasksched::readRunState(stateFile);
        for (int i = 0; i < 6000 && !(state.LastRun && state.Pid == 0); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            state = qm::tasksched::readRunState(stateFile);
        }
        return state;
    }

    // Every entry of an archive: name -> method and whether it holds the
    // bytes of the file of that name under `root` (Python's zipfile).
    std::map<std::string, std::string> entries(const fs::path& archive, const fs::path& root)
    {
        std::string out;
        EXPECT_EQ(qm::test::runCommand({"python3", (qm::test::sourceDir() / "tests/runner/archive_peer.py").string(),
                                        archive.string(), root.string()},
                                       &out),
                  0)
            << out;
        std::map<std::string, std::string> found;
        std::istringstream lines(out);
        std::string name, method, encrypted, verdict;
        while (std::getline(lines, name, '\t') && std::getline(lines, method, '\t') &&
               std::getline(lines, encrypted, '\t') && std::getline(lines, verdict))
            found[name] = method + " " + verdict;
        return found;
    }

    std::map<std::string, std::string> files_{{"letter.txt", std::string(3000, 'a') + "\r\nend\r\n"},
                                              {"sub/notes.txt", std::string(2000, 'n') + "\r\n"}};
    std::set<std::string> met_; // the texts of the windows the steps met
    qm::ui::FakeUiServices ui_;
    qm::app::ProgramState state_{ui_};
};

// The texts in double quotes of the numbered steps of the README's "A
// first project", blanks and line breaks inside a text taken as one blank.
std::vector<std::string> readmeStepTexts()
{
    const std::string readme = qm::test::readFile(qm::test::sourceDir() / "README.md");
    const std::size_t section = readme.find("### A first project");
    if (section == std::string::npos)
        return {};
    const std::size_t first = readme.find("\n1. ", section);
    const std::size_t end = readme.find("\n\n", first);
    if (first == std::string::npos || end == std::string::npos)
        return {};
    const std::string steps =
        std::regex_replace(readme.substr(first, end - first), std::regex("\\s+"), std::string(" "));
    std::vector<std::string> texts;
    static const std::regex quoted("\"([^\"]+)\"");
    for (std::sregex_iterator it(steps.begin(), steps.end(), quoted), done; it != done; ++it)
        texts.push_back((*it)[1]);
    return texts;
}

TEST_F(FirstProject, TheBuildInstallsEveryKeyOfTheDefaultsRecordAndLeavesTheUsersOwn)
{
    EXPECT_TRUE(fs::is_regular_file(qm::test::programDir() / "Options" / "My Data Defaults"));
    install();
    const std::string installed = qm::test::readFile(native("Options/My Data Defaults"));
    EXPECT_EQ(fs::status(native("Options/My Data Defaults")).permissions(), fs::perms(0600));
    // Every key of the record, in the form the record editor writes it.
    EXPECT_EQ(qm::store::projectFileText(qm::store::Store::readProject(qm::store::Store::defaultsPath())), installed);

    // Opened for editing, it is a record of this version.
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    ui_.fireTimers();
    form.action("mnuDefaults")->trigger();
    ui_.fireTimers();
    ASSERT_NE(form.editor.openEditor(), nullptr);
    EXPECT_TRUE(ui_.boxes().empty()) << ui_.titledPrompts().front();
    form.editor.openEditor()->close();

    // A record that is there already is the user's own.
    qm::test::writeFile(native("Options/My Data Defaults"), "[SOURCES]\r\n");
    installDefaults();
    EXPECT_EQ(qm::test::readFile(native("Options/My Data Defaults")), "[SOURCES]\r\n");
}

TEST_F(FirstProject, TheCopysJobRunsTheCopysNightwickOnAProjectMadeFromTheDefaults)
{
    install();
    const std::string source = makeSource("Docs", files_);
    fs::create_directories(native("Backups"));
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    ui_.fireTimers();

    const std::optional<qm::tasksched::Job> job = qm::tasksched::loadJob(tasks() / "Nightwick.job");
    ASSERT_TRUE(job);
    ASSERT_EQ(job->ApplicationName, win("Nightwick"));
    ASSERT_EQ(job->WorkingDirectory, qm::fs::appPath());

    addFromDefaults(form, "Docs", source, "Docs.qmt", win("Backups"));
    form.close();

    const qm::tasksched::RunState run = fireJob();
    ASSERT_TRUE(run.LastRun);
    ASSERT_EQ(run.Pid, 0) << "the run has not ended";
    EXPECT_EQ(run.ExitCode, 0u);
    // Backed up, with no check of the record failing on the way.
    EXPECT_EQ(logLines(), (std::vector<std::string>{"<Now>\tQuillmate automated back up operation started ",
                                                    "<Now>\tDocs",
                                                    "\t\t\tsuccessfully backed up to " + win("Backups"),
                                                    "<Now>\tEnd of back up operations", "<Now>\tSummary:",
                                                    "\t\t\t1\tProjects due for back-up",
                                                    "\t\t\t1\tProjects successfully backed up", dashes(),
                                                    "<Now>\tQuillmate automated back up operation started ",
                                                    "<Now>\tNo ACE records due for back up", dashes()}));

    // Deflated, with its subfolder and paths, and read by every peer.
    const fs::path archive = native("Backups/Docs.qmt");
    EXPECT_EQ(entries(archive, native("src-Docs")),
              (std::map<std::string, std::string>{
                  {"letter.txt", "8 same"}, {"sub/", "0 same"}, {"sub/notes.txt", "8 same"}}));
    std::string out;
    EXPECT_EQ(qm::test::runCommand({"unzip", "-tq", archive.string()}, &out), 0) << out;
    EXPECT_EQ(qm::test::runCommand({"7zz", "t", archive.string()}, &out), 0) << out;
    EXPECT_EQ(qm::test::runCommand(
                  {"python3", (qm::test::sourceDir() / "tests/interop/zippeer.py").string(), "test", archive.string()},
                  &out),
              0)
        << out;
}

TEST_F(FirstProject, TheReadmesStepsBackUpAndRestoreAFirstProject)
{
    install();
    const std::string source = makeSource("Docs", files_);
    fs::create_directories(native("Backups"));
    fs::create_directories(native("Restored"));
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    ui_.fireTimers();
    form.show();
    addFromDefaults(form, "Docs", source, "Docs.qmt", win("Backups"));
    ASSERT_EQ(qm::test::texts(form.ListView1, 0), std::vector<std::string>{"Docs"});

    // Back up Single: the archive kind asked for, a single QMT archive.
    form.ListView1->topLevelItem(0)->setSelected(true);
    ui_.onShowModal([this](QWidget& w) {
        const QString frame = qm::test::child<QGroupBox>(w, "Frame1").title();
        EXPECT_EQ(frame.toStdString(), "Select type of archive to create");
        note(frame);
        std::vector<std::string> chosen;
        for (const QRadioButton* b : w.findChildren<QRadioButton*>())
            if (b->isChecked()) {
                chosen.push_back(b->text().toStdString());
                note(b->text());
            }
        EXPECT_EQ(chosen, std::vector<std::string>{"QMT single file"});
        auto& okay = qm::test::child<QPushButton>(w, "cmdOkay");
        note(okay.text());
        okay.click();
    });
    press(form, "Archive", 1);
    EXPECT_EQ(ui_.lastBox().prompt, "Back-up operation successful.");
    ASSERT_TRUE(fs::exists(native("Backups/Docs.qmt")));

    // Restore: the archive chosen in the target folder, restored into another folder.
    form.ListView1->topLevelItem(0)->setSelected(true);
    ui_.onShowModal([&](QWidget& w) {
        auto& d = dynamic_cast<qm::restore::RestoreFrm&>(w);
        d.show();
        const QList<QListWidgetItem*> found = d.File1->findItems("Docs.qmt", Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        d.File1->setCurrentItem(found.front());
        EXPECT_EQ(d.txtTargetFolder->text().toStdString(), source);
        note(qm::test::child<QLabel>(d, "Label9").text());
        d.txtTargetFolder->setText(QString::fromStdString(win("Restored")));
        note(d.RestoreBut->text());
        d.RestoreBut->click();
    });
    press(form, "Archive", 3);
    EXPECT_EQ(ui_.lastBox().prompt, "Restore operation successful.");
    for (const auto& [name, bytes] : files_)
        EXPECT_EQ(qm::test::readFile(native("Restored/" + name)), bytes) << name;

    // The README's steps name what these steps met, and nothing else.
    noteBoxes();
    const std::vector<std::string> named = readmeStepTexts();
    EXPECT_GE(named.size(), 20u);
    for (const std::string& text : named)
        EXPECT_TRUE(met_.contains(text)) << "the README names \"" << text << "\"";
}

} // namespace
