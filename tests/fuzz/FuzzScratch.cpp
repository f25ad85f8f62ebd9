#include "FuzzScratch.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace qm::fuzz {

namespace stdfs = std::filesystem;

Scratch::Scratch(const char* name)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/qm-fuzz-" + name + "-XXXXXX";
    if (!::mkdtemp(tmpl.data()))
        fail("no scratch folder");
    root_ = tmpl;
}

Scratch::~Scratch()
{
    std::error_code ec;
    stdfs::remove_all(root_, ec);
}

stdfs::path Scratch::put(const std::string& name, const uint8_t* data, size_t size) const
{
    stdfs::path p = root_ / name;
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    if (!f)
        fail("cannot write " + p.string());
    return p;
}

std::vector<std::string> Scratch::contents() const
{
    std::vector<std::string> all;
    std::error_code ec;
    for (auto it = stdfs::recursive_directory_iterator(root_, ec); !ec && it != stdfs::recursive_directory_iterator();
         it.increment(ec))
        all.push_back(it->path().lexically_relative(root_).generic_string());
    std::sort(all.begin(), all.end());
    return all;
}

stdfs::path Scratch::freshFolder(const std::string& name) const
{
    stdfs::path p = root_ / name;
    std::error_code ec;
    // A planted link inside may be made read-only by an entry's mode: open it up first.
    for (auto it = stdfs::recursive_directory_iterator(p, ec); !ec && it != stdfs::recursive_directory_iterator();
         it.increment(ec))
        if (!it->is_symlink())
            stdfs::permissions(it->path(), stdfs::perms::owner_all, stdfs::perm_options::add, ec);
    stdfs::remove_all(p, ec);
    stdfs::create_directories(p);
    return p;
}

void fail(const std::string& what)
{
    std::fprintf(stderr, "fuzz rule broken: %s\n", what.c_str());
    std::abort();
}

} // namespace qm::fuzz
