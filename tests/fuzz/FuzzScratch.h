#pragma once
// A scratch folder for one fuzz target's whole run: the input is written to
// a file inside it, output goes to a folder inside it, and after each input
// the target checks that nothing else appeared there.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qm::fuzz {

class Scratch {
public:
    explicit Scratch(const char* name);
    ~Scratch();
    const std::filesystem::path& root() const { return root_; }
    // Writes `data` to `name` inside the scratch folder; gives its path.
    std::filesystem::path put(const std::string& name, const uint8_t* data, size_t size) const;
    // Every path below the root (relative, "/" separated), sorted.
    std::vector<std::string> contents() const;
    // Empties the folder `name` inside the scratch folder (made when missing).
    std::filesystem::path freshFolder(const std::string& name) const;

private:
    std::filesystem::path root_;
};

// Ends the run with a message: a broken rule is a finding, like a crash.
[[noreturn]] void fail(const std::string& what);

} // namespace qm::fuzz
