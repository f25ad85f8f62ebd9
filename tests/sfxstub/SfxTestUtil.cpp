#include "SfxTestUtil.h"

#include "platform/fs/Paths.h"
#include "sfxstub/Inflate.h"

#include <bzlib.h>
#include <gtest/gtest.h>

namespace qm::sfxstub::test {

EngineCallback EventScript::callback()
{
    return [this](EngineEvent& e) {
        seen.push_back({e.code, e.name, e.path, e.number});
        if (e.code == event::Exists && !overwrite.empty()) {
            e.answer = overwrite.front();
            overwrite.pop_front();
        } else if (e.code == event::Password && !passwords.empty()) {
            e.reply = passwords.front();
            e.answer = PasswordGiven;
            passwords.pop_front();
        } else if (e.code == event::NextDisk) {
            return onDisk ? onDisk(e.number) : 1;
        } else if (e.code == event::Begin && stopAtFirstFile) {
            return 1;
        }
        return 0;
    };
}

std::vector<Seen> EventScript::of(int code) const
{
    std::vector<Seen> out;
    for (const Seen& s : seen)
        if (s.code == code)
            out.push_back(s);
    return out;
}

std::vector<int> EventScript::kinds() const
{
    std::vector<int> out;
    for (const Seen& s : of(event::Error))
        out.push_back(s.number);
    return out;
}

int unzip(EventScript& script, const std::filesystem::path& archive, const std::filesystem::path& dest,
          std::vector<std::string> modes, bool deflate)
{
    Methods m;
    if (deflate)
        m.deflate = makeInflateDecoder;
    Engine engine(script.callback(), m);
    std::vector<std::string> argv{""};
    argv.insert(argv.end(), modes.begin(), modes.end());
    argv.push_back(archive.is_absolute() ? win(archive) : archive.string());
    argv.push_back("-d");
    argv.push_back(win(dest));
    return engine.UnzipMain(argv);
}

std::string bwData(const std::string& plain)
{
    std::string out(plain.size() + plain.size() / 100 + 700, '\0');
    unsigned int n = unsigned(out.size());
    EXPECT_EQ(BZ2_bzBuffToBuffCompress(out.data(), &n, const_cast<char*>(plain.data()), unsigned(plain.size()), 9,
                                       0, 0),
              BZ_OK);
    return out.substr(3, n - 3);
}

void infoZip(const std::filesystem::path& archive, const std::map<std::string, std::string>& files,
             const std::vector<std::string>& options)
{
    qm::test::TempDir src("qm-sfx-src");
    qm::zip::test::makeFiles(src.path(), files);
    std::vector<std::string> argv{"/bin/sh", "-c", "cd \"$0\" && exec zip -q -r -X \"$@\"", src.str()};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(archive.string());
    argv.push_back(".");
    ASSERT_EQ(qm::test::runCommand(argv), 0);
}

FakeDrive::FakeDrive(char letter, std::filesystem::path root) : letter_(letter), root_(std::move(root))
{
    std::filesystem::create_directories(root_);
    setLabel("");
}

void FakeDrive::setLabel(const std::string& label)
{
    std::filesystem::create_directories(qm::fs::platformDir());
    qm::test::writeFile(qm::fs::platformDir() / "drives", std::string("[") + letter_ + ":]\nPath=" + root_.string()
                                                               + "\nType=removable\nLabel=" + label + "\n");
}

void FakeDrive::insert(const std::string& name, const std::string& bytes, const std::string& label)
{
    qm::test::writeFile(root_ / name, bytes);
    setLabel(label);
}

} // namespace qm::sfxstub::test
