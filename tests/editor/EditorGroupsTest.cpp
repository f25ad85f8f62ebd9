// The record editor's group table, checked against the facts the groups
// must keep, independently of how the table lists them.
#include "editor/EditorGroups.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace qm::editor;

namespace {

std::set<int> shownBy(int group)
{
    std::set<int> out;
    for (int c = 1; c <= EditorColumnCount; ++c)
        if (groupShows(group, c))
            out.insert(c);
    return out;
}

std::set<int> span(int first, int last)
{
    std::set<int> out;
    for (int c = first; c <= last; ++c)
        out.insert(c);
    return out;
}

TEST(EditorGroupsTest, TheGroupsShowTheirColumns)
{
    std::set<int> all = span(1, EditorColumnCount);
    for (int c : {122, 123, 125})
        all.erase(c);
    EXPECT_EQ(shownBy(1).size(), 173u);
    EXPECT_EQ(shownBy(1), all);
    EXPECT_EQ(shownBy(RequiredGroup), (std::set<int>{1, 2, 3, 4, 132, 176}));
    EXPECT_EQ(shownBy(26), span(133, 176));
    EXPECT_EQ(shownBy(42), std::set<int>{165});
    EXPECT_FALSE(groupShows(GroupCount, 1));
    EXPECT_FALSE(groupShows(0, 0));

    // Leaving the two "All" groups aside, a few columns are shared and every
    // other one but 122 and 123 is shown by exactly one group.
    const std::map<int, std::set<int>> shared{{1, {0, 25}},          {2, {0, 25, 27, 28, 35}},
                                              {3, {0, 25}},          {4, {0, 25}},
                                              {133, {27, 28}},       {134, {27, 28}},
                                              {176, {24, 25, 27, 34}}};
    for (int c = 1; c <= EditorColumnCount; ++c) {
        std::set<int> groups;
        for (int g = 0; g < GroupCount; ++g)
            if (g != 1 && g != 26 && groupShows(g, c))
                groups.insert(g);
        if (c == 122 || c == 123)
            EXPECT_TRUE(groups.empty()) << c;
        else if (shared.contains(c))
            EXPECT_EQ(groups, shared.at(c)) << c;
        else
            EXPECT_EQ(groups.size(), 1u) << c;
    }
}

TEST(EditorGroupsTest, ButtonsStandOnePerPlaceOnTheirPage)
{
    std::set<std::tuple<GroupPage, int, GroupSide>> places;
    for (const ColumnGroup& g : Groups) {
        EXPECT_EQ(g.page, g.index <= RequiredGroup ? GroupPage::Qmt : GroupPage::Ace) << g.index;
        EXPECT_TRUE(places.insert({g.page, g.row, g.side}).second) << g.index;
        EXPECT_EQ(g.hidden, g.index == 42) << g.index;
        EXPECT_EQ(g.tooltip.empty(), g.index == 26) << g.index;
    }
    EXPECT_EQ(Groups[34].side, GroupSide::Centre);

    // Every button is asked once, 1, 25 and 0 first.
    EXPECT_EQ(std::vector<int>(GroupSearchOrder.begin(), GroupSearchOrder.begin() + 4),
              (std::vector<int>{1, 25, 0, 2}));
    EXPECT_EQ(std::set<int>(GroupSearchOrder.begin(), GroupSearchOrder.end()), span(0, GroupCount - 1));
}

} // namespace
