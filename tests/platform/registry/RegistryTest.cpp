// Registry hives in the platform folder: stored value forms, lookups without
// case, key trees, and writes that are atomic and serialised between writers.
#include "platform/fs/RtError.h"
#include "platform/registry/Registry.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <unistd.h>

namespace stdfs = std::filesystem;
using namespace qm::registry;
using namespace std::string_literals;

namespace {

constexpr const char* kAce = R"(SOFTWARE\e-merge\WinAce)";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { stdfs::remove_all(hiveFile(hkey::CurrentUser).parent_path()); }
    std::string hiveText() { return qm::test::readFile(hiveFile(hkey::CurrentUser)); }
};

} // namespace

TEST(RegistryForm, ValuesRoundTripThroughTheirStoredForm)
{
    EXPECT_EQ(encodeValue(textValue(R"(C:\Ace\winace.exe)")), R"(sz:C:\Ace\winace.exe)");
    EXPECT_EQ(encodeValue(textValue("%HOME%\\x", regtype::ExpandSz)), "expand_sz:%HOME%\\x");
    EXPECT_EQ(encodeValue(dwordValue(211)), "dword:211");
    EXPECT_EQ(encodeValue(dwordValue(0xFFFFFFFFu)), "dword:4294967295");
    // Data the text forms cannot carry falls back to the byte form.
    EXPECT_EQ(encodeValue(textValue("a\0b"s)), "hex(1):61,00,62,00");
    EXPECT_EQ(encodeValue(textValue("trailing ")), "hex(1):74,72,61,69,6c,69,6e,67,20,00");
    EXPECT_EQ(encodeValue(Value{regtype::Sz, "no terminator"}).substr(0, 7), "hex(1):");
    EXPECT_EQ(encodeValue(Value{regtype::Qword, "\x01\0\0\0\0\0\0\0"s}), "hex(b):01,00,00,00,00,00,00,00");
    EXPECT_EQ(encodeValue(Value{regtype::Binary, ""}), "hex:");

    for (const Value& v : {textValue("a\0b"s), textValue(" lead"), textValue("line\r\nbreak"),
                           textValue("x", regtype::ExpandSz), dwordValue(7), dwordValue(0x80000000u),
                           Value{regtype::Qword, "12345678"}, Value{regtype::Binary, "\xff\x00"s},
                           Value{regtype::MultiSz, "a\0b\0\0"s}})
        EXPECT_EQ(decodeValue(encodeValue(v)), v) << encodeValue(v);
}

TEST(RegistryForm, HandWrittenFormsAreRead)
{
    EXPECT_EQ(decodeValue("DWORD:0xd3"), dwordValue(211));
    EXPECT_EQ(decodeValue("dword: 211 "), dwordValue(211));
    EXPECT_EQ(decodeValue("dword:-1"), dwordValue(0xFFFFFFFFu));
    EXPECT_EQ(decodeValue("hex:01, 0A,ff"), (Value{regtype::Binary, "\x01\x0a\xff"s}));
    EXPECT_EQ(decodeValue("C:\\plain text"), textValue("C:\\plain text")); // no prefix: text
    // Malformed data is a value of no usable type, never a wrong number.
    EXPECT_EQ(decodeValue("dword:12ab").type, regtype::None);
    EXPECT_EQ(decodeValue("dword:4294967296").type, regtype::None);
    EXPECT_EQ(decodeValue("dword:").type, regtype::None);
    EXPECT_EQ(decodeValue("hex:1,xyz").type, regtype::None);
    EXPECT_EQ(decodeValue("hex:123").type, regtype::None);
    EXPECT_EQ(decodeValue("hex(zz):00").type, regtype::None);
}

TEST_F(RegistryTest, HiveFileHoldsKeysAsSectionsAndIsReadWithoutCase)
{
    EXPECT_EQ(hiveFile(hkey::CurrentUser).filename(), "HKEY_CURRENT_USER.ini");
    EXPECT_FALSE(queryValue(hkey::CurrentUser, kAce, "Path")); // no hive yet
    setValue(hkey::CurrentUser, kAce, "Path", textValue(R"(C:\Program Files\WinAce\winace.exe)"));
    setValue(hkey::CurrentUser, "\\" + std::string(kAce) + "\\", "Version", dwordValue(211));
    EXPECT_EQ(hiveText(), "[SOFTWARE\\e-merge\\WinAce]\r\nPath=sz:C:\\Program Files\\WinAce\\winace.exe\r\n"
                          "Version=dword:211\r\n");
    EXPECT_EQ(queryValue(hkey::CurrentUser, R"(software\E-MERGE\winace)", "VERSION"), dwordValue(211));
    EXPECT_FALSE(queryValue(hkey::LocalMachine, kAce, "Version")); // other hive
    EXPECT_FALSE(queryValue(0x12345678u, kAce, "Version"));
    EXPECT_TRUE(keyExists(hkey::CurrentUser, "Software"));
    EXPECT_TRUE(keyExists(hkey::CurrentUser, "software\\e-merge"));
    EXPECT_FALSE(keyExists(hkey::CurrentUser, "software\\e-mer"));
    EXPECT_FALSE(keyExists(0x12345678u, "Software"));

    // Replacing a value keeps its line; the default value is "@".
    setValue(hkey::CurrentUser, kAce, "version", textValue("2.5"));
    setValue(hkey::CurrentUser, kAce, "", textValue("default"));
    EXPECT_EQ(hiveText(), "[SOFTWARE\\e-merge\\WinAce]\r\nPath=sz:C:\\Program Files\\WinAce\\winace.exe\r\n"
                          "Version=sz:2.5\r\n@=sz:default\r\n");
    EXPECT_EQ(queryValue(hkey::CurrentUser, kAce, ""), textValue("default"));
    EXPECT_TRUE(deleteValue(hkey::CurrentUser, kAce, "PATH"));
    EXPECT_FALSE(deleteValue(hkey::CurrentUser, kAce, "PATH"));
    EXPECT_FALSE(queryValue(hkey::CurrentUser, kAce, "Path"));
}

TEST_F(RegistryTest, TheHiveIsItsOwnersAlone)
{
    setValue(hkey::CurrentUser, kAce, "Path", textValue("x"));
    EXPECT_EQ(stdfs::status(hiveFile(hkey::CurrentUser)).permissions(), stdfs::perms(0600));
    stdfs::permissions(hiveFile(hkey::CurrentUser), stdfs::perms(0644));
    EXPECT_TRUE(deleteValue(hkey::CurrentUser, kAce, "Path"));
    EXPECT_EQ(stdfs::status(hiveFile(hkey::CurrentUser)).permissions(), stdfs::perms(0600));
}

TEST_F(RegistryTest, KeysAreCreatedAndDeletedWithTheirSubtree)
{
    createKey(hkey::ClassesRoot, "CLSID\\{1}\\InprocServer32");
    EXPECT_TRUE(keyExists(hkey::ClassesRoot, "clsid\\{1}\\inprocserver32"));
    setValue(hkey::ClassesRoot, "CLSID\\{1}", "", textValue("x"));
    setValue(hkey::ClassesRoot, "CLSID\\{10}", "", textValue("y"));
    EXPECT_TRUE(deleteKey(hkey::ClassesRoot, "clsid\\{1}"));
    EXPECT_FALSE(keyExists(hkey::ClassesRoot, "CLSID\\{1}"));
    EXPECT_FALSE(keyExists(hkey::ClassesRoot, "CLSID\\{1}\\InprocServer32"));
    EXPECT_EQ(queryValue(hkey::ClassesRoot, "CLSID\\{10}", ""), textValue("y")); // a sibling, not a child
    EXPECT_FALSE(deleteKey(hkey::ClassesRoot, "CLSID\\{1}"));
}

TEST_F(RegistryTest, BadWritesAreRefusedAndLeaveTheHiveAlone)
{
    setValue(hkey::CurrentUser, kAce, "Path", textValue("keep"));
    const std::string before = hiveText();
    auto expectError = [](int number, auto fn) {
        try {
            fn();
            ADD_FAILURE() << "no error";
        } catch (const qm::RtError& e) {
            EXPECT_EQ(e.number, number) << e.description;
        }
    };
    expectError(5, [] { setValue(0x1234u, "Key", "v", dwordValue(1)); });
    expectError(5, [] { setValue(hkey::CurrentUser, "\\\\", "v", dwordValue(1)); });
    expectError(5, [] { setValue(hkey::CurrentUser, kAce, "a=b", dwordValue(1)); });
    EXPECT_EQ(hiveText(), before);
    if (geteuid() != 0) {
        stdfs::path dir = hiveFile(hkey::CurrentUser).parent_path();
        stdfs::permissions(dir, stdfs::perms::owner_read | stdfs::perms::owner_exec);
        EXPECT_THROW(setValue(hkey::CurrentUser, kAce, "Path", textValue("lost")), qm::RtError);
        stdfs::permissions(dir, stdfs::perms::owner_all);
        EXPECT_EQ(hiveText(), before);
    }
}

TEST_F(RegistryTest, ConcurrentWritersLoseNothing)
{
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([t] {
            for (int i = 0; i < 15; ++i)
                setValue(hkey::CurrentUser, "Software\\Load", "v" + std::to_string(t) + "_" + std::to_string(i),
                         dwordValue(static_cast<std::uint32_t>(t * 100 + i)));
        });
    for (auto& w : writers)
        w.join();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 15; ++i)
            EXPECT_EQ(queryValue(hkey::CurrentUser, "Software\\Load", "v" + std::to_string(t) + "_" + std::to_string(i)),
                      dwordValue(static_cast<std::uint32_t>(t * 100 + i)));
}

TEST_F(RegistryTest, BatchIsAppliedInOrderInOneRewriteOrNotAtAll)
{
    setValue(hkey::CurrentUser, "Old\\Tree\\Leaf", "x", dwordValue(1));
    setValue(hkey::CurrentUser, "Keep", "y", dwordValue(2));
    Batch replace;
    replace.deleteKey("Old").setValue("Old", "", textValue("fresh")).createKey("Empty").deleteValue("Keep", "y");
    EXPECT_TRUE(apply(hkey::CurrentUser, replace));
    EXPECT_FALSE(keyExists(hkey::CurrentUser, "Old\\Tree"));
    EXPECT_EQ(queryValue(hkey::CurrentUser, "Old", ""), textValue("fresh")); // written after its removal
    EXPECT_TRUE(keyExists(hkey::CurrentUser, "Empty"));
    EXPECT_FALSE(queryValue(hkey::CurrentUser, "Keep", "y"));

    const std::string before = hiveText();
    EXPECT_FALSE(apply(hkey::CurrentUser, Batch().deleteKey("Nothing").createKey("Empty")));
    // One bad step anywhere refuses the whole batch.
    EXPECT_EQ(qm::test::rtErrorNumber([] {
                  apply(hkey::CurrentUser, Batch().deleteKey("Old").setValue("New", "a=b", dwordValue(3)));
              }),
              5);
    EXPECT_EQ(qm::test::rtErrorNumber([] { apply(hkey::CurrentUser, Batch().deleteKey("Old").createKey("\\")); }), 5);
    EXPECT_EQ(hiveText(), before);
}
