#pragma once
// A program folder of its own for each runner test: QUILLMATE_HOME points at
// a fresh folder with Projects, Options, Filelists and Temp, plus helpers to
// write project files as the main program writes them, source folders with
// files, and to read the run log with its date-time texts checked and
// replaced by "<Now>".
#include "platform/fs/Paths.h"
#include "store/ProjectFile.h"
#include "store/ProjectRecord.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

class RunnerHome : public ::testing::Test {
protected:
    using F = qm::store::ProjectField;

    RunnerHome() : home_("qm-runner"), env_("QUILLMATE_HOME", home_.str())
    {
        for (const char* d : {"Projects", "Options", "Filelists", "Temp", "out"})
            std::filesystem::create_directories(home_ / d);
    }

    // The Windows form of a path below the program folder.
    std::string win(const std::string& rel) const { return qm::fs::fromNative(home_ / rel); }
    std::filesystem::path native(const std::string& rel) const { return home_ / rel; }

    // A source folder "src-<name>" holding `files` (relative name -> bytes).
    std::string makeSource(const std::string& name, const std::map<std::string, std::string>& files)
    {
        const std::filesystem::path dir = home_ / ("src-" + name);
        std::filesystem::create_directories(dir);
        for (const auto& [rel, bytes] : files) {
            std::filesystem::create_directories((dir / rel).parent_path());
            qm::test::writeFile(dir / rel, bytes);
        }
        return win("src-" + name);
    }

    // A project due for an automatic ZIP backup every day, never backed up:
    // source "src-<name>", target "out", archive "<name>.qmt".
    qm::store::ProjectRecord zipProject(const std::string& name) const
    {
        qm::store::ProjectRecord r;
        r[F::ProjectName] = name;
        r[F::ProjectFolder] = win("src-" + name);
        r[F::ZIPBackFile] = name + ".qmt";
        r[F::ZIPDefaultRestoreFromFolder] = win("out");
        r[F::ZIPDoSubFolders] = "yes";
        r[F::ZIPPreservePaths] = "yes";
        r[F::ZIPUseComments] = "no";
        r[F::ZIPUsePassword] = "no";
        r[F::ZIPBackupOption] = "automatic";
        r[F::ZIPBackupFrequency] = "1";
        r[F::AutoBackupFormat] = "ZIP";
        return r;
    }

    // Writes the whole project file as the main program does.
    void writeProject(const std::string& fileName, const qm::store::ProjectRecord& r)
    {
        qm::test::writeFile(home_ / "Projects" / fileName, qm::store::projectFileText(r));
    }
    std::string projectText(const std::string& fileName) const
    {
        return qm::test::readFile(home_ / "Projects" / fileName);
    }

    std::string logText() const
    {
        const std::filesystem::path p = home_ / "autoback.log";
        return std::filesystem::exists(p) ? qm::test::readFile(p) : std::string();
    }

    // The log's lines (each must end CR LF); an event line's date-time text
    // must read as M/d/yyyy h:mm:ss AM|PM and is replaced by "<Now>".
    std::vector<std::string> logLines() const
    {
        static const std::regex stamp(R"(^\d{1,2}/\d{1,2}/\d{4} \d{1,2}:\d{2}:\d{2} (AM|PM)\t)");
        std::vector<std::string> out;
        const std::string text = logText();
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find("\r\n", pos);
            if (end == std::string::npos) {
                ADD_FAILURE() << "log line without CR LF: " << text.substr(pos);
                break;
            }
            std::string line = text.substr(pos, end - pos);
            std::smatch m;
            if (std::regex_search(line, m, stamp))
                line = "<Now>\t" + m.suffix().str();
            out.push_back(line);
            pos = end + 2;
        }
        return out;
    }

    static std::string dashes(int n = 72) { return std::string(size_t(n), '-'); }

    qm::test::TempDir home_;
    qm::test::ScopedEnv env_;
};
