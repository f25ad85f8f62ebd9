// The self-extractor's engine over any bytes, as the deflating stub runs
// it: every entry it can decode is extracted into a scratch folder, an
// existing file is overwritten, the one password offered is "fuzz", and a
// request for another disk stops the run. Rule besides not crashing:
// nothing is written outside the destination.
#include "FuzzScratch.h"
#include "platform/fs/Paths.h"
#include "sfxstub/Engine.h"
#include "sfxstub/Inflate.h"

namespace {

namespace stdfs = std::filesystem;
namespace ev = qm::sfxstub::event;

const qm::fuzz::Scratch& scratch()
{
    static const qm::fuzz::Scratch s("sfx-reader");
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const qm::fuzz::Scratch& s = scratch();
    const stdfs::path archive = s.put("in.exe", data, size);
    const stdfs::path out = s.freshFolder("out");
    int passwordsAsked = 0;
    auto answer = [&](qm::sfxstub::EngineEvent& e) {
        switch (e.code) {
        case ev::Exists:
            e.answer = qm::sfxstub::answer::Overwrite;
            return 0;
        case ev::Password:
            if (passwordsAsked++ == 0) {
                e.reply = "fuzz";
                e.answer = qm::sfxstub::PasswordGiven;
            }
            return 0;
        case ev::NextDisk:
            return 1;
        default:
            return 0;
        }
    };
    qm::sfxstub::Methods methods;
    methods.deflate = [] { return qm::sfxstub::makeInflateDecoder(); };
    qm::sfxstub::Engine engine(answer, methods);
    engine.UnzipMain({"", "-o", qm::fs::fromNative(archive), "-d", qm::fs::fromNative(out)});

    for (const std::string& p : s.contents())
        if (p != "in.exe" && p != "out" && p.rfind("out/", 0) != 0)
            qm::fuzz::fail("written outside the destination: " + p);
    return 0;
}
