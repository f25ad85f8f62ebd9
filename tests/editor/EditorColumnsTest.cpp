// The record editor's column table and its binding to the record array.
#include "editor/EditorColumns.h"
#include "editor/RecordRows.h"
#include "store/Store.h"

#include "ProgramHome.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

using namespace qm::editor;
using qm::store::ProjectField;
using qm::ui::EditKind;

namespace {

const qm::ui::GridColumn& col(int n) { return EditorColumns[static_cast<std::size_t>(n - 1)]; }

std::set<int> columnsWhere(bool (*pred)(const qm::ui::GridColumn&))
{
    std::set<int> out;
    for (int c = 1; c <= EditorColumnCount; ++c)
        if (pred(col(c)))
            out.insert(c);
    return out;
}

std::vector<std::string> stored(int c)
{
    std::vector<std::string> out;
    for (const qm::ui::ValueChoice& v : col(c).values)
        out.emplace_back(v.stored);
    return out;
}

std::vector<std::string> shown(int c)
{
    std::vector<std::string> out;
    for (const qm::ui::ValueChoice& v : col(c).values)
        out.emplace_back(v.shown);
    return out;
}

TEST(EditorColumnsTest, EveryFieldButTwoHasOneColumnWithItsOwnKey)
{
    std::multiset<int> fields;
    for (int c = 1; c <= EditorColumnCount; ++c) {
        fields.insert(col(c).field);
        const std::string_view fileKey = columnFileKey(c);
        EXPECT_EQ(fileKey, qm::store::fieldName(static_cast<ProjectField>(col(c).field))) << c;
        EXPECT_FALSE(columnSection(c).empty()) << c;
        if (c != 1 && c != 136 && c != 138) {
            EXPECT_EQ(col(c).key, fileKey) << c;
        }
    }
    std::multiset<int> expected;
    for (int f = 0; f < qm::store::ProjectFieldCount; ++f)
        if (f != 64 && f != 167)
            expected.insert(f);
    EXPECT_EQ(fields, expected);

    struct Where {
        int column, field;
        const char *key, *section, *fileKey;
    } spots[] = {
        {1, 0, "ShortName", "SOURCES", "ProjectName"},
        {8, 13, "ZIPDoOpenFiles", "FILE HANDLING", "ZIPDoOpenFiles"},
        {48, 5, "ZIPLastBackupDate", "FILES AND FOLDERS-QMT", "ZIPLastBackupDate"},
        {129, 130, "ZIPCompressionMethod", "MISCELLANEOUS", "ZIPCompressionMethod"},
        {136, 136, "ACEUseComment", "ACE COMMENTS", "ACEUseComments"},
        {138, 138, "ACEPathStorage", "ACE FILE HANDLING", "ACEStorePathOption"},
        {159, 160, "ACESFXDoSubFolders", "ACE SFX", "ACESFXDoSubFolders"},
        {166, 168, "ACESFXCompressionLevel", "ACE SFX", "ACESFXCompressionLevel"},
        {173, 150, "ACEAddRecoveryMethod", "ACE COMPRESSION", "ACEAddRecoveryMethod"},
        {174, 175, "ACESFXAVSignature", "ACE SFX", "ACESFXAVSignature"},
        {176, 177, "AutoBackupFormat", "BACKUP OPTIONS", "AutoBackupFormat"},
    };
    for (const Where& w : spots) {
        EXPECT_EQ(col(w.column).field, w.field) << w.column;
        EXPECT_EQ(col(w.column).key, w.key) << w.column;
        EXPECT_EQ(columnSection(w.column), w.section) << w.column;
        EXPECT_EQ(columnFileKey(w.column), w.fileKey) << w.column;
    }
}

// Every column's caption over the section and key that hold its field, against
// a listing kept in tests/editor/data: two columns that exchange their fields
// would save each value under the other's key.
TEST(EditorColumnsTest, EveryColumnMatchesTheGoldenListing)
{
    std::vector<std::string> listing;
    for (int c = 1; c <= EditorColumnCount; ++c) {
        std::string line = std::to_string(c) + " | " + std::string(col(c).caption) + " | " +
                           std::string(columnSection(c)) + " | " + std::string(columnFileKey(c));
        if (col(c).key != columnFileKey(c))
            line += " (column key " + std::string(col(c).key) + ")";
        listing.push_back(line);
    }
    std::vector<std::string> golden;
    std::istringstream in(qm::test::readFile(qm::test::sourceDir() / "tests/editor/data/editor-columns"));
    for (std::string line; std::getline(in, line);)
        golden.push_back(line);
    ASSERT_EQ(listing.size(), golden.size());
    for (std::size_t i = 0; i < listing.size(); ++i)
        EXPECT_EQ(listing[i], golden[i]);
}

TEST(EditorColumnsTest, KindsButtonsAndHiddenColumnsAreTheTablesOwn)
{
    EXPECT_EQ(columnsWhere([](const auto& c) { return c.edit == EditKind::ReadOnly; }), (std::set<int>{1, 48, 49}));
    EXPECT_EQ(columnsWhere([](const auto& c) { return c.hidden; }), (std::set<int>{45, 122, 123}));
    EXPECT_EQ(columnsWhere([](const auto& c) { return c.button; }),
              (std::set<int>{2, 4, 5, 6, 51, 53, 91, 121, 125, 134, 135, 155, 156}));
    // A drop-down has its list, no other column has one.
    for (int c = 1; c <= EditorColumnCount; ++c)
        EXPECT_EQ(col(c).edit == EditKind::DropDown, !col(c).values.empty()) << c;
    EXPECT_EQ(col(9).lines, 100);
    EXPECT_EQ(col(9).minLines, 2);
    EXPECT_EQ(col(97).lines, 20);
    EXPECT_TRUE(col(164).wrap);
    EXPECT_FALSE(col(3).multiLine());
    EXPECT_EQ(col(9).tooltip,
              "Enter specific files names separated by a \"|\" character, or just enter an asterisk for all files");
    EXPECT_EQ(col(139).tooltip, "Include subfolders in the archive");
    EXPECT_TRUE(col(140).tooltip.empty());
}

TEST(EditorColumnsTest, ValueListsEntryForEntry)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(stored(7), (V{"yes", "no", ""}));
    EXPECT_EQ(stored(132), (V{"yes", "no"}));
    EXPECT_EQ(stored(136), (V{"yes", "no"}));
    EXPECT_EQ(stored(42), (V{"always", "auto detect", "never", ""}));
    EXPECT_EQ(shown(89), (V{"always", "auto-detect", "never"}));
    EXPECT_EQ(stored(45), (V{"latest", "today", " "}));
    EXPECT_EQ(shown(45), (V{"latest file in archive", "today's date", ""}));
    EXPECT_EQ(shown(131), (V{"Latest file in archive", "Today's date"}));
    EXPECT_EQ(stored(144), (V{"latest", "today", ""}));
    EXPECT_EQ(stored(170), (V{"latest", "today"}));
    EXPECT_EQ(stored(46), (V{"automatic", "manual"}));
    EXPECT_EQ(stored(150), (V{"automatic", "manual", ""}));
    EXPECT_EQ(shown(138), (V{"Store Full Path (without drive letter)", "Store Full Path (include drive letter)", ""}));
    EXPECT_EQ(shown(160), (V{"Store full path (without drive letter)", "Store full path (include drive letter)", ""}));
    EXPECT_EQ(stored(145), (V{"automatic", "never", ""}));
    EXPECT_EQ(stored(171), (V{"never", "automatic"}));
    EXPECT_EQ(stored(147), (V{"5", "4", "3", "2", "1", "0"}));
    EXPECT_EQ(shown(166), (V{"Maximum", "Good", "Normal", "Fast", "Super Fast", "None"}));
    EXPECT_EQ(shown(167), (V{"4096K", "2048K", "1024K", "512K", "256K", "128K", "64K", "32K"}));
    EXPECT_EQ(stored(130), (V{"pvzBurrowsWheeler", "pvzDeflated", "pvzStored"}));
    EXPECT_EQ(stored(44), (V{"high", "low", "medium", "none"}));
    EXPECT_EQ(stored(176), (V{"ACE", "ZIP"}));
    EXPECT_EQ(stored(43), (V{"362000", "730000", "1213000", "1457000", "95000000", "120000000", "238000000", ""}));
    EXPECT_EQ(shown(146)[3], "1.44 megabytes");
    // The short list: the first six sizes, then the last under a shorter text, no blank.
    EXPECT_EQ(stored(172), (V{"362000", "730000", "1213000", "1457000", "95000000", "120000000", "238000000"}));
    EXPECT_EQ(shown(172).back(), "ZIP 250 megs");
}

TEST(EditorColumnsTest, HelpContextsFollowTheColumnOrLeaveIt)
{
    EXPECT_EQ(helpContextOf(1), 1);
    EXPECT_EQ(helpContextOf(45), 7);
    EXPECT_EQ(helpContextOf(137), 8);
    EXPECT_EQ(helpContextOf(158), 8);
    EXPECT_EQ(helpContextOf(94), 25);
    EXPECT_EQ(helpContextOf(117), 26);
    EXPECT_EQ(helpContextOf(132), 35);
    for (int c : {55, 129, 130, 131, 133, 140, 176, 0, 177})
        EXPECT_EQ(helpContextOf(c), 0) << c;
}

class RecordRowsTest : public qm::test::StoreFixture {};

TEST_F(RecordRowsTest, CellsAreTheirColumnsFieldsOfTheirElement)
{
    RecordRows rows(store_);
    store_.ProjectRecord(1)[ProjectField::ZIPDoOpenFiles] = "yes";
    EXPECT_EQ(rows.value(1, 8), "yes");
    rows.setValue(1, 173, "no");
    EXPECT_EQ(store_.ProjectRecord(1)[ProjectField::ACEAddRecoveryMethod], "no");
    // Nothing outside the array or the table.
    EXPECT_EQ(rows.value(2, 8), "");
    EXPECT_EQ(rows.value(1, 177), "");
    rows.setValue(2, 8, "x");
    rows.setValue(1, 0, "x");
    EXPECT_EQ(store_.ProjectRecord.size(), 1);
}

TEST_F(RecordRowsTest, AddedAndDeletedRowsKeepTheArrayInStep)
{
    store_.ProjectRecord(1)[ProjectField::ProjectName] = "A";
    GridEX1_RowAdded(store_, "B", "C:\\b", "b.qmt");
    GridEX1_RowAdded(store_, "C", "", "");
    ASSERT_EQ(store_.RecordCount, 3);
    EXPECT_EQ(store_.ProjectRecord(2)[ProjectField::ProjectFolder], "C:\\b");
    EXPECT_EQ(store_.ProjectRecord(2)[ProjectField::ZIPBackFile], "b.qmt");

    GridEX1_RowDeleted(store_, 1);
    EXPECT_EQ(store_.RecordCount, 2);
    EXPECT_EQ(store_.ProjectRecord.size(), 2);
    EXPECT_EQ(store_.ProjectRecord(1)[ProjectField::ProjectName], "B");
    EXPECT_EQ(store_.ProjectRecord(2)[ProjectField::ProjectName], "C");
    GridEX1_RowDeleted(store_, 3); // not there
    EXPECT_EQ(store_.RecordCount, 2);

    // The last row gone: the count is 0, the array keeps its element, and a
    // row added then starts empty.
    GridEX1_RowDeleted(store_, 2);
    store_.ProjectRecord(1)[ProjectField::ZIPComments] = "old";
    GridEX1_RowDeleted(store_, 1);
    EXPECT_EQ(store_.RecordCount, 0);
    EXPECT_EQ(store_.ProjectRecord.size(), 1);
    GridEX1_RowAdded(store_, "D", "", "");
    EXPECT_EQ(store_.RecordCount, 1);
    EXPECT_EQ(store_.ProjectRecord(1)[ProjectField::ProjectName], "D");
    EXPECT_EQ(store_.ProjectRecord(1)[ProjectField::ZIPComments], "");
}

} // namespace
