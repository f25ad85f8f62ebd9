// The command table: every bar position and menu item reaches its
// procedure, unknown positions do nothing, and only the procedures of this
// build are available.
#include "mainwindow/Commands.h"

#include "Recording.h"

#include <gtest/gtest.h>

#include <set>

using namespace qm::app;

namespace {

struct NoProcedures : Form1Procedures {};
using Recorder = Recording<NoProcedures>;

TEST(DispatchTest, TableIsInCommandOrderAndNamesItsProcedure)
{
    for (int i = 0; i < CommandCount; ++i) {
        const Command c = static_cast<Command>(i);
        EXPECT_EQ(commandEntry(c).command, c) << i;
        Recorder r;
        dispatch(r, c);
        ASSERT_EQ(r.calls.size(), 1u);
        EXPECT_EQ(r.calls[0], commandEntry(c).procedure);
    }
}

TEST(DispatchTest, EveryBarItemReachesItsProcedure)
{
    EXPECT_EQ(barItems().size(), ExpectedBar.size());
    for (const BarRoute& route : ExpectedBar) {
        Recorder r;
        EXPECT_TRUE(ButtonBar1_ItemClick(r, route.group, route.position));
        EXPECT_EQ(r.calls, std::vector<std::string>{route.procedure}) << route.group << " " << route.position;
    }
}

TEST(DispatchTest, UnknownPositionsAndKeysDoNothing)
{
    struct Click {
        const char* group;
        int position;
    } unknown[] = {{"Archive", 0}, {"Archive", 7}, {"Records", 6}, {"Options", 3}, {"Utilities", 5},
                   {"File", 8},    {"Help", 3},    {"Help", -1},   {"archive", 1}, {"ARCHIVE", 1},
                   {"Backup", 1},  {"", 1}};
    for (const Click& c : unknown) {
        Recorder r;
        EXPECT_FALSE(ButtonBar1_ItemClick(r, c.group, c.position)) << c.group << " " << c.position;
        EXPECT_TRUE(r.calls.empty());
    }
}

TEST(DispatchTest, EveryMenuItemReachesItsProcedure)
{
    std::size_t items = popupMenu().items.size();
    for (const Menu& m : menuBar())
        items += m.items.size();
    // Three separators carry no command.
    EXPECT_EQ(items, ExpectedMenus.size() + 3);
    for (const MenuRoute& route : ExpectedMenus) {
        std::optional<Command> c = menuCommand(route.item);
        ASSERT_TRUE(c) << route.item;
        Recorder r;
        dispatch(r, *c);
        EXPECT_EQ(r.calls, std::vector<std::string>{route.procedure}) << route.item;
    }
    for (const char* separator : {"mnuZIPManBar", "ttt", "zzz", "NoSuchMnu"})
        EXPECT_FALSE(menuCommand(separator)) << separator;
}

TEST(DispatchTest, OnlyHelpAndExitRunWhileTheBusySwitchIsOn)
{
    std::set<std::string> allowed;
    for (const CommandEntry& e : commandTable())
        if (allowedWhileBusy(e.command))
            allowed.insert(std::string(e.procedure));
    EXPECT_EQ(allowed, (std::set<std::string>{"Help", "ExitProgram"}));
}

TEST(DispatchTest, OnlyThisBuildsProceduresAreAvailable)
{
    std::set<std::string> available;
    for (const CommandEntry& e : commandTable())
        if (e.available)
            available.insert(std::string(e.procedure));
    EXPECT_EQ(available, (std::set<std::string>{"BackupArchive", "BackupAllDue", "ZipManager", "Help", "ExitProgram",
                                                "RefreshList", "ViewLog", "ClearLog", "OpenExternalZIP", "OpenNotePad",
                                                "OpenFavorite", "About", "GoFenwold", "AddNew", "EditRecord",
                                                "DeleteRecord", "RenameRecord", "CloneRecord", "ShowDefaults",
                                                "BackUpDB", "RestoreDB", "SendQMT", "SendEXE", "NetworkMap",
                                                "UnMapDrive", "RestoreArchive", "ViewArchive", "TestArchive",
                                                "UserOptionsModal", "UserOptionsModeless"}));
}

TEST(DispatchTest, EveryCommandIsAvailable)
{
    for (const CommandEntry& e : commandTable())
        EXPECT_TRUE(e.available) << e.procedure;
}

} // namespace
