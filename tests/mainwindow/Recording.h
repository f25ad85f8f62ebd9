#pragma once
// A set of main-window procedures that records which one ran: every
// procedure of Base (the interface, or the program's Procedures) is
// replaced by one that notes its name.
#include "mainwindow/Commands.h"

#include <string>
#include <vector>

#define QM_RECORD(name) \
    void name() override { calls.push_back(#name); }

template <class Base>
struct Recording : Base {
    using Base::Base;
    std::vector<std::string> calls;
#define QM_COMMAND(name, built) QM_RECORD(name)
#include "mainwindow/Commands.def"
#undef QM_COMMAND
};

#undef QM_RECORD

// Expected routes, as the command surfaces are specified: (group key,
// position, procedure) for the bar, (item name, procedure) for the menus.
struct BarRoute {
    const char* group;
    int position;
    const char* procedure;
};
inline const std::vector<BarRoute> ExpectedBar = {
    {"Archive", 1, "BackupArchive"},   {"Archive", 2, "BackupAllDue"},   {"Archive", 3, "RestoreArchive"},
    {"Archive", 4, "ViewArchive"},     {"Archive", 5, "TestArchive"},    {"Archive", 6, "ZipManager"},
    {"Records", 1, "AddNew"},          {"Records", 2, "EditRecord"},     {"Records", 3, "DeleteRecord"},
    {"Records", 4, "RenameRecord"},    {"Records", 5, "CloneRecord"},    {"Options", 1, "UserOptionsModal"},
    {"Options", 2, "ShowDefaults"},    {"Utilities", 1, "BackUpDB"},     {"Utilities", 2, "RestoreDB"},
    {"Utilities", 3, "ViewLog"},       {"Utilities", 4, "ClearLog"},     {"File", 1, "OpenExternalZIP"},
    {"File", 2, "OpenNotePad"},        {"File", 3, "OpenFavorite"},      {"File", 4, "SendQMT"},
    {"File", 5, "SendEXE"},            {"File", 6, "NetworkMap"},        {"File", 7, "UnMapDrive"},
    {"Help", 1, "Help"},               {"Help", 2, "About"},
};

struct MenuRoute {
    const char* item;
    const char* procedure;
};
inline const std::vector<MenuRoute> ExpectedMenus = {
    {"mnuBackup", "BackupArchive"},     {"BackUpMnu", "BackupArchive"},     {"mnuDue", "BackupAllDue"},
    {"mnuRestore", "RestoreArchive"},   {"RestoreMnu", "RestoreArchive"},   {"mnuView", "ViewArchive"},
    {"ViewMnu", "ViewArchive"},         {"mnuTest", "TestArchive"},         {"TestMnu", "TestArchive"},
    {"mnuZIPManager", "ZipManager"},    {"mnuAdd", "AddNew"},               {"AddPopMnu", "AddNew"},
    {"mnuEdit", "EditRecord"},          {"EditPopMnu", "EditRecord"},       {"mnuDelete", "DeleteRecord"},
    {"DeletePopMnu", "DeleteRecord"},   {"mnuRename", "RenameRecord"},      {"RenamePopMnu", "RenameRecord"},
    {"mnuClone", "CloneRecord"},        {"CloneMnu", "CloneRecord"},        {"RefreshPopMnu", "RefreshList"},
    {"mnuUserSettings", "UserOptionsModeless"}, {"mnuDefaults", "ShowDefaults"}, {"mnuBackupData", "BackUpDB"},
    {"mnuRestoreData", "RestoreDB"},    {"mnuViewLog", "ViewLog"},          {"mnuClearLog", "ClearLog"},
    {"ExternalMnu", "OpenExternalZIP"}, {"NotePadMnu", "OpenNotePad"},      {"OtherMnu", "OpenFavorite"},
    {"sendQMTMnu", "SendQMT"},          {"sendQMTsubMnu", "SendQMT"},       {"SendEXEMnu", "SendEXE"},
    {"sendEXEsubMnu", "SendEXE"},       {"mnuMapNet", "NetworkMap"},        {"mnuUnMap", "UnMapDrive"},
    {"ExitMnu", "ExitProgram"},         {"ContentsMnu", "Help"},            {"AboutMnu", "About"},
};
