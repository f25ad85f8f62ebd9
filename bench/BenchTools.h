#pragma once
// What the bench's measures share (defined in ZipBench.cpp): runs in
// processes of their own with their wall time, processor time and peak
// memory, the peers started in a folder, the printing of figures and
// ratios, and the text the generated trees are made of.
#include "platform/zip/PavikZip.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qmbench {

struct Run {
    double seconds = 0;
    double peakMb = 0;
    double cpu = 0; // user and system seconds, every thread
    int status = -1;
    double sizeMb = 0; // of the archive made, when there is one
};

struct Rng {
    uint64_t s;
    uint64_t next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
};

std::string textBlock(Rng& r, size_t n);
void writeFile(const std::filesystem::path& p, const std::string& data);
void warm(const std::filesystem::path& root);
// Runs `body` in a child process: wall time, peak memory and exit status.
Run measure(const std::function<int()>& body);
// In a child: makes `dir` current, sends the output to /dev/null and runs `args`.
int execIn(const std::filesystem::path& dir, std::vector<std::string> args);
Run external(const std::filesystem::path& dir, std::vector<std::string> args, const std::filesystem::path& archive = {});
Run ours(const std::function<int(qm::zip::PavikZip&)>& op, const std::filesystem::path& archive = {});
std::function<int(qm::zip::PavikZip&)> build(const std::filesystem::path& tree, const std::filesystem::path& archive,
                                             int method, int workers);
void show(const char* what, const Run& r);
void ratio(const char* what, const Run& a, const Run& b);
bool have(const char* program);
int touchOnePercent(const std::filesystem::path& tree);

// The measures of everyday runs (DailyBench.cpp).
// An update of `tree` with nothing and with 1 % of the files changed,
// against `zip -u` and a full rebuild. `ours` and `zip` are archives of the
// tree as it is now, made by the control and by zip; `work` a scratch folder.
void updateBench(const std::filesystem::path& tree, const std::filesystem::path& ours,
                 const std::filesystem::path& zip, const std::filesystem::path& work);
// Nightwick's cost per small project against zip run once per project, and
// the files Quillmate's project list opens per row. `work` a scratch folder.
void dailyBench(const std::filesystem::path& work);

} // namespace qmbench
