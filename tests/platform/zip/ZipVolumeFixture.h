#pragma once
// The set-up of the tests of archives of several parts: a source tree, a
// folder for the sets, a control with a recorder, and folder snapshots.
#include "ZipTestUtil.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace qm::zip::test {

namespace stdfs = std::filesystem;
using qm::test::TempDir;

inline std::vector<std::string> namesIn(const stdfs::path& folder)
{
    std::vector<std::string> n;
    if (stdfs::exists(folder))
        for (const auto& e : stdfs::directory_iterator(folder))
            n.push_back(e.path().filename().string());
    std::sort(n.begin(), n.end());
    return n;
}

class ZipVolumes : public ::testing::Test {
protected:
    void SetUp() override
    {
        src = tmp.path() / "src";
        out = tmp.path() / "out";
        sets = tmp.path() / "sets";
        stdfs::create_directories(sets);
        files = {
            {"empty.txt", ""},
            {"text.txt", textBytes(150000)},
            {"noise.bin", randomBytes(160000)},
            {"photo.jpg", randomBytes(90000, 11)},
            {"docs/readme.txt", "read me\r\n"},
            {"docs/deep/notes.log", textBytes(5000, 3)},
        };
        makeFiles(src, files);
        zip.addEventSink(&rec);
        zip.SourceFolder = win(src);
    }
    std::map<std::string, std::string> extracted()
    {
        std::map<std::string, std::string> m;
        for (auto& [k, v] : readTree(out))
            if (k.back() != '/')
                m[k] = v;
        return m;
    }
    std::map<std::string, std::string> snapshot(const stdfs::path& folder)
    {
        std::map<std::string, std::string> m;
        for (const std::string& n : namesIn(folder))
            m[n] = qm::test::readFile(folder / n);
        return m;
    }
    void lay(const stdfs::path& folder, const std::map<std::string, std::string>& files)
    {
        stdfs::remove_all(folder);
        stdfs::create_directories(folder);
        for (const auto& [name, bytes] : files)
            qm::test::writeFile(folder / name, bytes);
    }
    // Builds the set of `last` in parts of 64 KiB (five of them from the
    // source) and gives the files of its folder as they then are.
    std::map<std::string, std::string> splitSet(const stdfs::path& last)
    {
        zip.ArchivePath = win(last);
        zip.SplitPartSize = 65536;
        EXPECT_EQ(zip.Build(), result::Ok);
        return snapshot(last.parent_path());
    }
    int extractAll(const std::string& archive)
    {
        stdfs::remove_all(out);
        zip.ArchivePath = archive;
        zip.ExtractFolder = win(out);
        zip.FileMask = "*";
        return zip.Extract();
    }

    TempDir tmp{"qm-zip-vol"};
    stdfs::path src, out, sets;
    std::map<std::string, std::string> files;
    PavikZip zip;
    Recorder rec;
};

} // namespace qm::zip::test
