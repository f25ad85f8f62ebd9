// A registration over a large HKEY_CLASSES_ROOT costs in proportion to the
// hive. Four times the keys may cost a little more than four times the time
// even for work that is plainly linear (the larger hive no longer fits the
// processor's caches), so the registration's growth is held against the
// growth of a plain rewrite of the same hive (read, taken apart into lines,
// put together, written back) measured in the same run: a cost growing with
// the square of the keys grows four times faster than that; a linear one
// about as fast. What is timed is this thread's processor time, which other
// programs on a busy machine do not add to; each size is timed several
// times, in turn with the other, and its quickest run counts.
#include "platform/com/Registration.h"
#include "platform/fs/AtomicFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

namespace reg = qm::registry;
using namespace qm::com;
using Duration = std::chrono::nanoseconds;

constexpr int SmallHive = 10'000;
constexpr int LargeHive = 40'000;
constexpr int Rounds = 7;

// The processor time this thread has used.
Duration threadTime()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

GUID guidNumber(std::uint32_t n) { return GUID{n, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}}; }

// A hive of `keys` keys: classes, each with its server key.
std::string hiveText(int keys)
{
    std::string text;
    text.reserve(std::size_t(keys) * 96);
    for (int i = 0; i < keys / 2; ++i) {
        const std::string key = "CLSID\\" + formatGuid(guidNumber(std::uint32_t(i) + 1));
        text += "[" + key + "]\r\n@=sz:Class " + std::to_string(i) + "\r\n\r\n";
        text += "[" + key + "\\InprocServer32]\r\n@=sz:/usr/lib/x" + std::to_string(i) + ".so\r\n\r\n";
    }
    return text;
}

InprocClass serverClass()
{
    InprocClass c;
    c.clsid = guidNumber(0xABCDEF);
    c.description = "Scaled Class";
    c.progId = "QmTest.Scaled.1";
    c.versionIndependentProgId = "QmTest.Scaled";
    c.modulePath = "/usr/lib/libscaled.so";
    c.typeLib = guidNumber(0xABCDF0);
    c.programmable = true;
    return c;
}

TypeLibrary serverLibrary()
{
    TypeLibrary lib;
    lib.libid = guidNumber(0xABCDF0);
    lib.name = "Scaled 1.0 Type Library";
    lib.path = "/usr/lib/libscaled.so";
    return lib;
}

std::filesystem::path hive() { return reg::hiveFile(reg::hkey::ClassesRoot); }

// Two registrations over the hive `text`: the first of the server, and one
// that replaces its keys.
Duration registrationTime(const std::string& text)
{
    qm::test::writeFile(hive(), text);
    const Duration start = threadTime();
    EXPECT_EQ(registerInprocServer(serverClass(), serverLibrary()), S_OK);
    EXPECT_EQ(registerInprocServer(serverClass(), serverLibrary()), S_OK);
    return threadTime() - start;
}

// Two plain rewrites of the hive `text`, the least any change of it costs.
Duration rewriteTime(const std::string& text)
{
    qm::test::writeFile(hive(), text);
    const Duration start = threadTime();
    for (int i = 0; i < 2; ++i) {
        const std::string bytes = qm::fs::readFileBytes(hive());
        std::vector<std::string> lines;
        for (std::size_t pos = 0; pos < bytes.size();) {
            const std::size_t end = std::min(bytes.find('\n', pos), bytes.size() - 1) + 1;
            lines.emplace_back(bytes, pos, end - pos);
            pos = end;
        }
        std::string joined;
        for (const std::string& line : lines)
            joined += line;
        qm::fs::writeFileAtomic(hive(), joined);
    }
    return threadTime() - start;
}

struct Quickest {
    Duration small = Duration::max();
    Duration large = Duration::max();
    double growth() const { return double(large.count()) / double(small.count()); }
};

} // namespace

TEST(RegistrationScale, FourTimesTheKeysCostFourTimesNotSixteen)
{
    qm::test::TempDir platform("qm-scale");
    qm::test::ScopedEnv env("QUILLMATE_PLATFORM_DIR", platform.str());
    const std::string small = hiveText(SmallHive);
    const std::string large = hiveText(LargeHive);
    Quickest registration, rewrite;
    for (int round = 0; round < Rounds; ++round) {
        registration.small = std::min(registration.small, registrationTime(small));
        rewrite.small = std::min(rewrite.small, rewriteTime(small));
        registration.large = std::min(registration.large, registrationTime(large));
        rewrite.large = std::min(rewrite.large, rewriteTime(large));
    }
    // The keys of the hive and of the server are all there.
    registrationTime(large);
    const std::string clsid = "CLSID\\" + formatGuid(serverClass().clsid);
    EXPECT_EQ(reg::queryValue(reg::hkey::ClassesRoot, clsid + "\\InprocServer32", ""),
              reg::textValue("/usr/lib/libscaled.so"));
    EXPECT_EQ(reg::queryValue(reg::hkey::ClassesRoot, "QmTest.Scaled\\CurVer", ""), reg::textValue("QmTest.Scaled.1"));
    const std::string last = "CLSID\\" + formatGuid(guidNumber(LargeHive / 2)) + "\\InprocServer32";
    EXPECT_EQ(reg::queryValue(reg::hkey::ClassesRoot, last, ""),
              reg::textValue("/usr/lib/x" + std::to_string(LargeHive / 2 - 1) + ".so"));

    using ms = std::chrono::duration<double, std::milli>;
    std::printf("registrations over %d keys: %.1f ms, over %d keys: %.1f ms (%.2f times); plain rewrites: %.1f ms, "
                "%.1f ms (%.2f times)\n",
                SmallHive, ms(registration.small).count(), LargeHive, ms(registration.large).count(),
                registration.growth(), ms(rewrite.small).count(), ms(rewrite.large).count(), rewrite.growth());
    EXPECT_LE(registration.growth(), 2 * rewrite.growth());
}
