#pragma once
// The record editor's column groups (EditorGroups.def): the 43 group
// buttons Option1 on the two pages of the frame "View", where each button
// stands, and which columns of the card (EditorColumns.h) each group shows.
// The card shows one group at a time; the button that is on says which.
#include "editor/EditorColumns.h"

#include <array>
#include <initializer_list>
#include <string_view>

namespace qm::editor {

// The group buttons Option1(0..42).
inline constexpr int GroupCount = 43;
// The "Required" group of the QMT/EXE page, which shows UseTempFolder.
inline constexpr int RequiredGroup = 25;

enum class GroupPage { Qmt, Ace }; // the tabs "QMT/EXE" and "ACE/EXE"
enum class GroupSide { Left, Right, Centre };

// The row of each page above which the page's second heading stands ("Self-
// extract settings", "ACE EXE backup/restore settings"); the first heading
// stands above row 1.
constexpr int SecondSection(GroupPage page) { return page == GroupPage::Qmt ? 6 : 5; }

struct ColumnGroup {
    int index = 0;
    std::string_view caption;
    std::string_view tooltip; // empty: none
    GroupPage page = GroupPage::Qmt;
    int row = 0;
    GroupSide side = GroupSide::Left;
    bool hidden = false;
    std::array<bool, EditorColumnCount + 1> shows{}; // by column number; [0] unused
};

namespace detail {

struct ColumnRun {
    int first = 0;
    int last = 0;
    constexpr ColumnRun(int column) : first(column), last(column) {}
    constexpr ColumnRun(int a, int b) : first(a), last(b) {}
};

namespace groupWords {
using enum GroupPage;
using enum GroupSide;
inline constexpr bool Hidden = true;
inline constexpr bool Shown = false;
inline constexpr std::string_view NoTip;
constexpr ColumnRun Span(int first, int last) { return {first, last}; }
#define QM_TIP(name, text) inline constexpr std::string_view name = text;
#define QM_GROUP(index, caption, tip, page, row, side, hidden, ...)
#include "editor/EditorGroups.def"
#undef QM_TIP
#undef QM_GROUP
} // namespace groupWords

} // namespace detail

// The groups by index: Groups[i] is Option1(i).
inline constexpr std::array<ColumnGroup, GroupCount> Groups = [] {
    using namespace detail;
    using namespace detail::groupWords;
    std::array<ColumnGroup, GroupCount> groups{};
    int next = 0;
    auto add = [&](int index, std::string_view caption, std::string_view tip, GroupPage page, int row,
                   GroupSide side, bool hidden, std::initializer_list<ColumnRun> columns) {
        if (index != next++)
            throw "the groups are listed in order";
        ColumnGroup& g = groups[static_cast<std::size_t>(index)];
        g = {index, caption, tip, page, row, side, hidden, {}};
        for (const ColumnRun& run : columns) {
            if (run.first < 1 || run.last > EditorColumnCount || run.first > run.last)
                throw "a group shows columns of the card";
            for (int c = run.first; c <= run.last; ++c)
                g.shows[static_cast<std::size_t>(c)] = true;
        }
    };
#define QM_TIP(name, text)
#define QM_GROUP(index, caption, tip, page, row, side, hidden, ...) \
    add(index, caption, tip, page, row, side, hidden, {__VA_ARGS__});
#include "editor/EditorGroups.def"
#undef QM_TIP
#undef QM_GROUP
    if (next != GroupCount)
        throw "every group is listed";
    return groups;
}();

// The order in which the buttons are asked which one is on (the first that
// is wins): 1, 25, 0, then 2 to 24 and 26 to 42.
inline constexpr std::array<int, GroupCount> GroupSearchOrder = [] {
    std::array<int, GroupCount> order{1, 25, 0};
    std::size_t n = 3;
    for (int g = 2; g < GroupCount; ++g)
        if (g != 25)
            order[n++] = g;
    return order;
}();

// Whether group `group` shows column `column` (false for a number that is
// no group or no column).
constexpr bool groupShows(int group, int column)
{
    return group >= 0 && group < GroupCount && column >= 1 && column <= EditorColumnCount &&
           Groups[static_cast<std::size_t>(group)].shows[static_cast<std::size_t>(column)];
}

} // namespace qm::editor
