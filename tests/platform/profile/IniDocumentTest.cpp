// Reading and editing INI text in memory.
#include "platform/profile/IniDocument.h"
#include "platform/profile/Profile.h"
#include "platform/fs/RtError.h"

#include <gtest/gtest.h>

using qm::profile::IniDocument;
using qm::profile::getString;

namespace {

TEST(IniRead, SectionsAndKeysIgnoreCaseAndFirstOccurrenceWins)
{
    IniDocument doc("[USER OPTIONS]\r\nUserView=list\r\nuserview=second\r\n"
                    "[ACE SFX]\r\nACESFXDoSubFolders=yes\r\n"
                    "[user options]\r\nUserSplitSize=99\r\n");
    EXPECT_EQ(doc.value("User Options", "USERVIEW"), "list");
    EXPECT_EQ(doc.value("ace sfx", "ACESFXDoSubfolders"), "yes");
    // The first section of a name is the one that counts.
    EXPECT_EQ(doc.value("User Options", "UserSplitSize"), std::nullopt);
    EXPECT_EQ(doc.sectionNames(), (std::vector<std::string>{"USER OPTIONS", "ACE SFX"}));
    EXPECT_EQ(doc.keyNames("user options"), (std::vector<std::string>{"UserView"}));
    EXPECT_EQ(doc.value("Missing", "UserView"), std::nullopt);
    EXPECT_EQ(doc.value("User Options", "Missing"), std::nullopt);
}

TEST(IniRead, BlanksTrimmedAndOnePairOfQuotesDropped)
{
    IniDocument doc("  [ Sec ]  \n"
                    "\t a key \t=  \"quoted value\"  \n"
                    "single='x'\n"
                    "twice=\"\"inner\"\"\n"
                    "mixed=\"half'\n"
                    "lone=\"\n"
                    "inner=a \"b\" c\n"
                    "empty=\n");
    EXPECT_EQ(doc.value("sec", "A KEY"), "quoted value");
    EXPECT_EQ(doc.rawValue("sec", "a key"), "\"quoted value\"");
    EXPECT_EQ(doc.value("sec", "single"), "x");
    EXPECT_EQ(doc.value("sec", "twice"), "\"inner\"");
    EXPECT_EQ(doc.value("sec", "mixed"), "\"half'");
    EXPECT_EQ(doc.value("sec", "lone"), "\"");
    EXPECT_EQ(doc.value("sec", "inner"), "a \"b\" c");
    EXPECT_EQ(doc.value("sec", "empty"), "");
}

TEST(IniRead, LineEndsCommentsAndStrayLines)
{
    // LF and CR LF both end a line; a lone CR stays inside the value.
    IniDocument doc("\xEF\xBB\xBF[s]\r\na=1\nb=x\ry\r\nc=z\r\r\n; c=comment\nnot a key\n"
                    "d=last without line end");
    EXPECT_EQ(doc.value("s", "a"), "1");
    EXPECT_EQ(doc.value("s", "b"), "x\ry");
    EXPECT_EQ(doc.value("s", "c"), "z\r");
    EXPECT_EQ(doc.value("s", "d"), "last without line end");
    EXPECT_EQ(doc.keyNames("s"), (std::vector<std::string>{"a", "b", "c", "d"}));

    // Keys before the first section belong to no section.
    IniDocument loose("k=v\n[s]\nx=1\n");
    EXPECT_EQ(loose.value("", "k"), std::nullopt);
    EXPECT_EQ(loose.value("s", "k"), std::nullopt);
}

TEST(IniRead, ProfileReaderCutsAt255BytesOnCharacterBoundaries)
{
    const std::string longValue(300, 'x');
    // 127 two-byte characters fill 254 bytes; the 128th would end at byte 256.
    std::string wide;
    for (int i = 0; i < 140; ++i)
        wide += "\xC3\xA9"; // é
    const std::string euro = std::string(253, 'a') + "\xE2\x82\xAC"; // 3-byte sign at 253..255
    IniDocument doc("[s]\nlong=" + longValue + "\nwide=" + wide + "\neuro=" + euro +
                    "\nquoted=\"" + longValue + "\"\n");

    EXPECT_EQ(getString(doc, "s", "long", ""), longValue.substr(0, 255));
    EXPECT_EQ(getString(doc, "s", "wide", ""), wide.substr(0, 254));
    EXPECT_EQ(getString(doc, "s", "euro", ""), std::string(253, 'a'));
    EXPECT_EQ(getString(doc, "s", "quoted", ""), longValue.substr(0, 255));
    // The lower-level reader gives the whole value.
    EXPECT_EQ(doc.value("s", "long")->size(), 300u);
    // Missing keys give the default exactly.
    EXPECT_EQ(getString(doc, "s", "none", "dflt"), "dflt");
    EXPECT_EQ(getString(doc, "none", "long", ""), "");
}

TEST(IniEdit, ExistingKeyChangesInPlaceAndNothingElse)
{
    const std::string before = "; header comment\r\n[SOURCES]\r\nProjectName=Old\r\n\r\n"
                               "[files and folders-qmt]\n  zipbackfile = old.qmt \nOther=1\r\n"
                               "zipbackfile=second\r\n\r\n[last]\r\nk=v";
    IniDocument doc(before);
    doc.setValue("FILES AND FOLDERS-QMT", "ZIPBackFile", "new name.qmt");
    std::string expected = before;
    expected.replace(expected.find(" old.qmt "), 9, "new name.qmt");
    EXPECT_EQ(doc.text(), expected);

    // The last line keeps having no line end.
    doc.setValue("LAST", "K", "w");
    EXPECT_EQ(doc.text(), expected.substr(0, expected.size() - 1) + "w");
}

TEST(IniEdit, MissingKeyGoesAtTheEndOfItsSection)
{
    IniDocument doc("[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n");
    doc.setValue("A", "new", "v");
    EXPECT_EQ(doc.text(), "[a]\r\nx=1\r\nnew=v\r\n\r\n[b]\r\ny=2\r\n");
    doc.setValue("b", "z", "3");
    EXPECT_EQ(doc.text(), "[a]\r\nx=1\r\nnew=v\r\n\r\n[b]\r\ny=2\r\nz=3\r\n");

    IniDocument emptySection("[a]\n\n[b]\n");
    emptySection.setValue("a", "k", "v");
    EXPECT_EQ(emptySection.text(), "[a]\nk=v\r\n\n[b]\n");

    IniDocument noLineEnd("[a]\r\nx=1");
    noLineEnd.setValue("a", "y", "2");
    EXPECT_EQ(noLineEnd.text(), "[a]\r\nx=1\r\ny=2\r\n");
}

TEST(IniEdit, MissingSectionGoesAtTheEndAfterABlankLine)
{
    IniDocument doc("[a]\r\nx=1\r\n");
    doc.setValue("New Section", "k", "v");
    EXPECT_EQ(doc.text(), "[a]\r\nx=1\r\n\r\n[New Section]\r\nk=v\r\n");

    IniDocument blankAtEnd("[a]\r\nx=1\r\n\r\n");
    blankAtEnd.setValue("b", "k", "v");
    EXPECT_EQ(blankAtEnd.text(), "[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n");

    IniDocument noLineEnd("[a]\nx=1");
    noLineEnd.setValue("b", "k", "v");
    EXPECT_EQ(noLineEnd.text(), "[a]\nx=1\r\n\r\n[b]\r\nk=v\r\n");

    IniDocument empty;
    empty.setValue("s", "k", "v");
    EXPECT_EQ(empty.text(), "[s]\r\nk=v\r\n");
}

TEST(IniEdit, LineBreaksInValuesNeverSplitALine)
{
    IniDocument doc("[s]\r\na=1\r\nb=2\r\n");
    doc.setValue("s", "a", "line one\r\nline two\nline three\rfour\n");
    EXPECT_EQ(doc.text(), "[s]\r\na=line one\rline two\rline three\rfour\r\r\nb=2\r\n");
    EXPECT_EQ(doc.value("s", "a"), "line one\rline two\rline three\rfour\r");
    EXPECT_EQ(doc.value("s", "b"), "2");

    // A value cannot smuggle in a section or a key.
    doc.setValue("s", "b", "x\n[evil]\nb=injected");
    EXPECT_EQ(doc.sectionNames(), std::vector<std::string>{"s"});
    EXPECT_EQ(doc.value("s", "b"), "x\r[evil]\rb=injected");

    // A final line break survives on a line that ended with a bare LF.
    IniDocument lf("[s]\nlist=old\nnext=1\n");
    lf.setValue("s", "list", "a\rb\r");
    EXPECT_EQ(lf.value("s", "list"), "a\rb\r");
    EXPECT_EQ(lf.text(), "[s]\nlist=a\rb\r\r\nnext=1\n");
}

TEST(IniEdit, NamesThatCannotBeALineAreRefusedAndTheTextKept)
{
    IniDocument doc("[s]\r\nk=v\r\n");
    for (auto [section, key] : std::vector<std::pair<std::string, std::string>>{
             {"s\n[x]", "k"}, {"s", "a=b"}, {"s", "k\r\nx"}, {"s", "  "}, {"s", "[x]"}, {"s", ";c"}}) {
        try {
            doc.setValue(section, key, "v");
            ADD_FAILURE() << "accepted section '" << section << "' key '" << key << "'";
        } catch (const qm::RtError& e) {
            EXPECT_EQ(e.number, 5);
        }
    }
    EXPECT_EQ(doc.text(), "[s]\r\nk=v\r\n");
}

TEST(IniEdit, RemoveKeyAndSection)
{
    IniDocument doc("[a]\r\nx=1\r\ny=2\r\n\r\n[b]\r\nz=3\r\n\r\n[c]\r\nw=4\r\n");
    EXPECT_TRUE(doc.removeKey("A", "X"));
    EXPECT_FALSE(doc.removeKey("a", "x"));
    EXPECT_EQ(doc.text(), "[a]\r\ny=2\r\n\r\n[b]\r\nz=3\r\n\r\n[c]\r\nw=4\r\n");
    EXPECT_TRUE(doc.removeSection("B"));
    EXPECT_FALSE(doc.removeSection("b"));
    EXPECT_EQ(doc.text(), "[a]\r\ny=2\r\n\r\n[c]\r\nw=4\r\n");
    EXPECT_EQ(doc.value("c", "w"), "4");
}

} // namespace
