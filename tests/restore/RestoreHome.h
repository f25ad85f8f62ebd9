#pragma once
// A program folder for the restore, test and viewing commands: projects
// whose archives our zip control makes, the main window and its other
// windows faked, boxes scripted, the clock fixed.
#include "platform/zip/PavikZip.h"
#include "restore/Restore.h"

#include "SessionHome.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace qm::test {

class RestoreHome : public SessionHome {
protected:
    // A project on the next row of the list, its source holding `files`;
    // its QMT archive "out\<name>.qmt" is made unless `build` is false.
    qm::store::ProjectRecord addProject(const std::string& name, const std::map<std::string, std::string>& files,
                                        const std::function<void(qm::store::ProjectRecord&)>& edit = {},
                                        bool build = true)
    {
        makeSource(name, files);
        qm::store::ProjectRecord r = zipProject(name);
        if (edit)
            edit(r);
        writeProject(name, r);
        view_.rows.push_back({name, "", "", "", "", ""});
        if (build)
            makeArchive(win("src-" + name), win("out/" + name + ".qmt"), r[F::ZIPDefaultPassword]);
        return r;
    }
    // An archive of the folder `source` (stored, not compressed, so its
    // bytes can be found in the file).
    static void makeArchive(const std::string& source, const std::string& archive, const std::string& password = {})
    {
        qm::zip::PavikZip z;
        z.SourceFolder = source;
        z.ArchivePath = archive;
        z.Level = 0;
        z.Password = password;
        ASSERT_EQ(z.Build(), 0) << archive;
    }
    // The entry names of an archive, in archive order.
    static std::vector<std::string> entries(const std::string& archive)
    {
        qm::zip::PavikZip z;
        qm::zip::ZipEventHandlers h;
        std::vector<std::string> names;
        h.onFileListed = [&](const qm::zip::ListedEntry& e) { names.push_back(e.name); };
        z.addEventSink(&h);
        z.ArchivePath = archive;
        EXPECT_EQ(z.ListEntries(), 0) << archive;
        return names;
    }
    // Relative path -> bytes of every file below `folder`.
    static std::map<std::string, std::string> tree(const std::filesystem::path& folder)
    {
        std::map<std::string, std::string> out;
        for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
            if (e.is_regular_file())
                out[std::filesystem::relative(e.path(), folder).string()] = readFile(e.path());
        return out;
    }
    void select(const std::string& name) { view_.selected = {view_.findRow(name)}; }
    std::vector<std::string> prompts() const
    {
        std::vector<std::string> out;
        for (const qm::ui::BoxRecord& b : ui_.boxes())
            out.push_back(b.title + ": " + b.prompt);
        return out;
    }

    qm::restore::Restore restore_{state_, view_, windows_.windows, busy_, session_};
};

} // namespace qm::test
