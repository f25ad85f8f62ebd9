#pragma once
// What the ZIP manager's tests share: a program folder of their own
// (QUILLMATE_HOME), a work folder for archives and files, scripted boxes and
// modal shows, and scripted file prompts. Plain C++: the window tests answer
// modal shows with onModal, whose forms their Qt headers bring.
#include "platform/fs/Paths.h"
#include "FakeUiServices.h"
#include "zipmanager/FileDialogs.h"
#include "zipmanager/forms/ToolServices.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

// File prompts that answer from a script and keep what they were asked.
class ScriptedFileDialogs : public qm::zipmanager::FileDialogs {
public:
    std::deque<std::vector<std::string>> files;        // answers of chooseFiles, in order
    std::deque<std::optional<std::string>> folders;    // answers of chooseFolder
    std::vector<qm::zipmanager::FileDialogRequest> requests;
    std::vector<std::string> folderTitles;

    std::vector<std::string> chooseFiles(const qm::zipmanager::FileDialogRequest& request) override
    {
        requests.push_back(request);
        if (files.empty()) {
            ADD_FAILURE() << "file dialog \"" << request.title << "\" without an answer";
            return {};
        }
        auto answer = files.front();
        files.pop_front();
        return answer;
    }
    std::optional<std::string> chooseFolder(const std::string& title) override
    {
        folderTitles.push_back(title);
        if (folders.empty()) {
            ADD_FAILURE() << "folder dialog \"" << title << "\" without an answer";
            return std::nullopt;
        }
        auto answer = folders.front();
        folders.pop_front();
        return answer;
    }
};

class ZipToolHome : public ::testing::Test {
protected:
    ZipToolHome() : home_("qm-zt-home"), work_("qm-zt-work"), homeEnv_("QUILLMATE_HOME", home_.str())
    {
        ui_.onProblem([](const std::string& p) { ADD_FAILURE() << p; });
    }

    // Windows form of a path in the work folder.
    std::string win(const std::string& rel) const { return qm::fs::fromNative(work_ / rel); }
    std::filesystem::path native(const std::string& rel) const { return work_ / rel; }

    // The next modal show is answered by `fn` with the form (a QWidget) as a T.
    template <class T>
    void onModal(std::function<void(T&)> fn)
    {
        ui_.onShowModal([fn](auto& w) {
            auto* form = dynamic_cast<T*>(&w);
            ASSERT_NE(form, nullptr) << "modal form " << w.objectName().toStdString();
            fn(*form);
        });
    }

    // Makes an archive with Info-ZIP zip in the work folder: `options`, then
    // the names (relative to the work folder).
    void zipWith(const std::string& archive, const std::vector<std::string>& options,
                 const std::vector<std::string>& names)
    {
        std::string script = "cd \"$0\" && zip -q";
        for (const std::string& o : options)
            script += " " + o;
        script += " \"" + archive + "\"";
        for (const std::string& n : names)
            script += " \"" + n + "\"";
        ASSERT_EQ(qm::test::runCommand({"/bin/sh", "-c", script, work_.str()}), 0) << script;
    }

    // The names Info-ZIP unzip reads from an archive, in its order.
    std::vector<std::string> unzipNames(const std::string& archive)
    {
        std::string out;
        EXPECT_EQ(qm::test::runCommand({"unzip", "-Z1", native(archive).string()}, &out), 0);
        std::vector<std::string> names;
        std::size_t start = 0;
        for (std::size_t nl; (nl = out.find('\n', start)) != std::string::npos; start = nl + 1)
            names.push_back(out.substr(start, nl - start));
        return names;
    }

    qm::test::TempDir home_;
    qm::test::TempDir work_;
    qm::test::ScopedEnv homeEnv_;
    qm::ui::FakeUiServices ui_;
    ScriptedFileDialogs files_;
    qm::zipmanager::ToolServices services_{ui_, files_};
};
