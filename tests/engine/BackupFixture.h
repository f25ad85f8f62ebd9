#pragma once
// The manual backups' test set-up: a temporary program folder, our zip
// control, the main window and its dialogs faked, boxes scripted, the clock
// fixed. A test adds projects (one row each) and backs one up as "Back up
// Single" would, answering the archive kind dialog with a kind.
#include "engine/Backup.h"

#include "engine/SplitSize.h"
#include "session/ArchiveKinds.h"
#include "session/BackupType.h"

#include "SessionHome.h"

#include <random>

namespace qm::test::engine {

using namespace qm::engine;
using namespace qm::session;
using qm::datetime::DateTime;
using qm::ui::mb::OK;
namespace stdfs = std::filesystem;

constexpr const char* Now = "3/7/2026 2:05:09 PM";

// Bytes that do not compress.
inline std::string noise(std::size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(gen());
    return s;
}

class BackupTest : public qm::test::SessionHome {
protected:
    BackupTest()
    {
        windows_.engine.onBackupType = [this](const BackupTypeSetup&) {
            std::array<bool, ArchiveKindCount> set{};
            set[size_t(kind_)] = true;
            backupTypeOkay(state_.Form1, set, deleteOld_);
        };
        windows_.engine.onSplitSize = [this](const std::string&) {
            if (!splitOkay_) {
                splitSizeCancel(state_, ModeZip);
                return false;
            }
            state_.ChosenFolder = win("out");
            state_.Form1.ZipSplitSize = "65536";
            return true;
        };
    }

    // A project on the next row of the list, its source holding `files`.
    void addProject(const std::string& name, const std::map<std::string, std::string>& files,
                    const std::function<void(qm::store::ProjectRecord&)>& edit = {})
    {
        makeSource(name, files);
        qm::store::ProjectRecord r = zipProject(name);
        if (edit)
            edit(r);
        writeProject(name, r);
        view_.rows.push_back({name, "", "", "", "", ""});
    }
    // "Back up Single" on the project's row, answering the dialog with `kind`.
    void backUp(const std::string& name, int kind = kind::Zip, bool deleteOld = false)
    {
        view_.selected = {view_.findRow(name)};
        kind_ = kind;
        deleteOld_ = deleteOld;
        backup_.BackupArchive();
    }
    std::vector<std::string> entries(const stdfs::path& archive, bool* encrypted = nullptr)
    {
        qm::zip::PavikZip z;
        qm::zip::ZipEventHandlers h;
        std::vector<std::string> names;
        h.onFileListed = [&](const qm::zip::ListedEntry& e) {
            names.push_back(e.name);
            if (encrypted)
                *encrypted = e.encrypted;
        };
        z.addEventSink(&h);
        z.ArchivePath = qm::fs::fromNative(archive);
        EXPECT_EQ(z.ListEntries(), 0) << archive;
        return names;
    }
    std::vector<std::string> prompts() const { return ui_.titledPrompts(); }

    Backup backup_{state_, view_, windows_.windows, busy_, session_};
    qm::test::FakeStatusView& status_ = windows_.engine.statusView;
    int kind_ = kind::Zip;
    bool deleteOld_ = false;
    bool splitOkay_ = true;
};

} // namespace qm::test::engine
