// Writes of the two programs, repeated, for the kill and concurrency tests
// (program folder from QUILLMATE_HOME):
//   save N    Quillmate: saves project "Big" and the user options whole (version
//             N % 2 in turn), then writes the option UserView by itself
//   stamp N   Nightwick: stamps the project's last backup date and folder and
//             the user options' last data-file backup
// for N rounds; N = 0 goes on until the program is killed.
#include "FakeUiServices.h"
#include "SaveVersions.h"
#include "store/Store.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    namespace s = qm::test::saves;
    const std::string mode = argv[1];
    const long rounds = std::stol(argv[2]);
    qm::ui::FakeUiServices ui;
    qm::store::Store store(ui);
    store.CurrentProjectIni = qm::store::Store::projectPath(s::ProjectName);
    const std::string options = qm::store::Store::userOptionsPath();
    for (long round = 1; rounds == 0 || round <= rounds; ++round) {
        const int version = int(round % 2);
        if (mode == "stamp") {
            store.WriteIni("Files and Folders-QMT", "ZIPLastBackupDate", s::stamp(int(round)), store.CurrentProjectIni);
            store.WriteIni("Files and Folders-QMT", "ZIPLastBackupFolder", "C:\\backups", store.CurrentProjectIni);
            store.WriteIni("User Options", "UserLastINIBackup", s::stamp(int(round)), options);
            continue;
        }
        if (mode != "save")
            return 2;
        store.ProjectRecord.redim(1);
        store.ProjectRecord(1) = s::project(version);
        store.SaveProject();
        store.UserOptionsRecord.redim(1);
        store.UserOptionsRecord(1) = s::options(version);
        store.SaveUserOptions();
        store.WriteIni("User Options", "UserView", s::view(version), options);
    }
    // A failed write shows its box ("Done!" is the one of a saved options file).
    for (const auto& box : ui.boxes())
        if (box.title != "Done!")
            return 1;
    return 0;
}
