// The card grid on a table of its own (eleven columns over a plain row of
// texts, as the user options use it): what a card shows, how an edit goes
// back to the rows, and the notifications.
#include "platform/ui/CardGrid.h"

#include "FormTest.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace qm::ui;

namespace {

constexpr ValueChoice Options[] = {{"automatic", "automatic"}, {"manual", "manual"}, {"", ""}};
constexpr ValueChoice Sizes[] = {{"362000", "360 Kbytes"}, {"1457000", "1.44 megabytes"}};

GridColumn column(const char* key, const char* caption, EditKind edit = EditKind::Text,
                  std::span<const ValueChoice> values = {})
{
    GridColumn c;
    c.key = key;
    c.caption = caption;
    c.edit = edit;
    c.values = values;
    return c;
}

const std::vector<GridColumn> Table = [] {
    std::vector<GridColumn> t{
        column("UserZIPShellPath", "External ZIP Program"),
        column("UserFavoriteAppPath", "Another Favorite Program"),
        column("ProjectINIBackupPath", "Data File Back-up Drive/Folder"),
        column("UserBackINIOption", "Data File Back-up Option", EditKind::DropDown, Options),
        column("UserBackINISchedule", "Data File Back-up Frequency"),
        column("UserSplitSize", "Default Split Size", EditKind::DropDown, Sizes),
        column("Notes", "Notes"),
        column("UserTempFolder", "Temporary Folder Location"),
        column("UserLastINIBackup", "Last Data File Backup Date", EditKind::ReadOnly),
        column("Format", "Default Compression Format", EditKind::DropDown, Options),
        column("Dummy", "nothing"),
    };
    for (int c : {0, 1, 2, 7})
        t[size_t(c)].button = true;
    t[4].tooltip = "days";
    t[6].lines = 5;
    t[10].hidden = true;
    return t;
}();

// Eleven texts per row; every write is counted.
struct Rows : GridRowSource {
    std::vector<std::vector<std::string>> values{std::vector<std::string>(11)};
    std::vector<std::string> writes;
    std::string value(int row, int column) const override { return values.at(row - 1).at(column - 1); }
    void setValue(int row, int column, const std::string& text) override
    {
        writes.push_back(std::to_string(column) + "=" + text);
        values.at(row - 1).at(column - 1) = text;
    }
};

class CardGridTest : public ::testing::Test {
protected:
    CardGridTest()
    {
        rows_.values[0][3] = "sometimes";
        rows_.values[0][5] = "1457000";
        rows_.values[0][6] = "one\rtwo";
        grid_.setCardCaption("User Options");
        grid_.setTextLimit(255);
        grid_.onEditEnded([this](int, int c) { ended_.push_back(c); });
        grid_.setItemCount(1);
    }
    QLineEdit* line(int c) { return qobject_cast<QLineEdit*>(grid_.cellEditor(1, c)); }
    QComboBox* combo(int c) { return qobject_cast<QComboBox*>(grid_.cellEditor(1, c)); }

    Rows rows_;
    CardGrid grid_{Table, rows_};
    std::vector<int> ended_;
};

TEST_F(CardGridTest, CardShowsCaptionsAndValuesAndKeepsAValueNotInItsList)
{
    EXPECT_EQ(grid_.findChild<QLabel*>("cardCaption")->text(), "User Options");
    EXPECT_EQ(grid_.captionLabel(1, 5)->text(), "Data File Back-up Frequency");
    EXPECT_EQ(grid_.captionLabel(1, 5)->toolTip(), "days");
    EXPECT_EQ(grid_.cellText(1, 6), "1.44 megabytes");
    EXPECT_EQ(grid_.cellText(1, 4), "sometimes");
    EXPECT_EQ(grid_.cellText(1, 7), "one\ntwo");
    EXPECT_NE(grid_.cellButton(1, 8), nullptr);
    EXPECT_EQ(grid_.cellButton(1, 5), nullptr);
    EXPECT_TRUE(line(9)->isReadOnly());
    EXPECT_FALSE(grid_.columnVisible(11));
    EXPECT_EQ(grid_.columnCount(), 11);

    // Picking an entry writes that one cell, its stored value.
    QComboBox* size = combo(6);
    size->activated(0);
    EXPECT_EQ(rows_.writes, std::vector<std::string>{"6=362000"});
    grid_.reRead();
    EXPECT_EQ(grid_.cellText(1, 4), "sometimes");
    EXPECT_EQ(combo(4)->count(), 4); // three entries and the value as stored
    combo(4)->activated(2);
    EXPECT_EQ(rows_.values[0][3], "");
    EXPECT_EQ(ended_, (std::vector<int>{6, 4}));
}

TEST_F(CardGridTest, TypedTextIsWrittenWhenTheEditEndsCutToTheLimit)
{
    QTest::keyClicks(line(5), "14");
    EXPECT_TRUE(rows_.writes.empty());
    EXPECT_TRUE(grid_.commitEdit());
    EXPECT_EQ(rows_.writes, std::vector<std::string>{"5=14"});
    EXPECT_FALSE(grid_.commitEdit());

    // A paste beyond the limit keeps what fits, in whole characters.
    std::string big = "a";
    for (int i = 0; i < 150; ++i)
        big += "\xc3\xa9"; // 301 bytes
    QApplication::clipboard()->setText(QString::fromUtf8(big));
    QTest::keyClick(line(8), Qt::Key_V, Qt::ControlModifier);
    grid_.reRead(); // commits first
    EXPECT_EQ(rows_.values[0][7], big.substr(0, 255));
    EXPECT_EQ(grid_.cellText(1, 8), big.substr(0, 255));

    // Line breaks of a cell of several lines go back as a single CR.
    auto* notes = qobject_cast<QPlainTextEdit*>(grid_.cellEditor(1, 7));
    notes->moveCursor(QTextCursor::End);
    QTest::keyClick(notes, Qt::Key_Return);
    QTest::keyClicks(notes, "three");
    grid_.commitEdit();
    EXPECT_EQ(rows_.values[0][6], "one\rtwo\rthree");
    EXPECT_EQ(ended_, (std::vector<int>{5, 8, 7}));
}

TEST_F(CardGridTest, BeforeEditMayRefuseAndButtonsAndCurrentCellNotify)
{
    std::vector<std::string> seen;
    grid_.onBeforeEdit([&](int, int c) {
        seen.push_back("before " + std::to_string(c));
        return c != 5;
    });
    grid_.onCellButton([&](int, int c) { seen.push_back("button " + std::to_string(c)); });
    grid_.onCurrentCellChanged(
        [&](int r, int c) { seen.push_back("current " + std::to_string(r) + " " + std::to_string(c)); });

    QTest::keyClicks(line(5), "9");
    EXPECT_EQ(line(5)->text(), "");
    QTest::keyClicks(line(1), "ab"); // the edit begins once
    QTest::keyClick(line(1), Qt::Key_Left); // moving is no edit
    grid_.cellButton(1, 2)->click();
    grid_.setCurrentColumn(3);
    EXPECT_EQ(seen, (std::vector<std::string>{"current 1 5", "before 5", "current 1 1", "before 1", "button 2",
                                              "current 1 3"}));
    EXPECT_EQ(grid_.currentColumn(), 3);
    grid_.setHelpContext(12);
    EXPECT_EQ(grid_.helpContext(), 12);

    grid_.setInputLocked(true);
    EXPECT_FALSE(line(1)->isEnabledTo(&grid_));
    grid_.setInputLocked(false);
    grid_.setColumnVisible(11, true);
    EXPECT_TRUE(grid_.columnVisible(11));
    // Several at once; columns past the list stay as they are.
    const bool some[] = {false, true, false};
    grid_.setColumnsVisible(some);
    EXPECT_FALSE(grid_.columnVisible(1));
    EXPECT_TRUE(grid_.columnVisible(2));
    EXPECT_FALSE(line(3)->isVisibleTo(&grid_));
    EXPECT_TRUE(grid_.columnVisible(11));
    grid_.setItemCount(0);
    EXPECT_EQ(grid_.cellEditor(1, 1), nullptr);
    EXPECT_EQ(grid_.currentColumn(), 0);
}

} // namespace
