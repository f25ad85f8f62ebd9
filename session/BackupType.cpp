#include "session/BackupType.h"

#include "app/ProgramState.h"

namespace qm::session {

BackupTypeSetup designSetup()
{
    BackupTypeSetup s;
    s.frameCaption = "Please Select Backup/Restore Type";
    s.shown.fill(true);
    s.shown[kind::ExeMulti] = false;
    return s;
}

BackupTypeSetup setupForBackup()
{
    BackupTypeSetup s = designSetup();
    s.frameCaption = "Select type of archive to create";
    s.check1Visible = true;
    s.preset = kind::Zip;
    return s;
}

BackupTypeSetup setupForViewing()
{
    BackupTypeSetup s = designSetup();
    s.frameCaption = "Archive Type";
    for (int i = kind::ZipMulti; i <= kind::ExeSpan; ++i)
        s.shown[static_cast<std::size_t>(i)] = false;
    s.label1Visible = true;
    s.check1Visible = false;
    s.preset = kind::Zip;
    return s;
}

void backupTypeOkay(qm::app::Form1Variables& form1, const std::array<bool, ArchiveKindCount>& optionSet,
                    bool deleteTicked)
{
    form1.ProjectType = "blank";
    for (int i = 0; i < ArchiveKindCount; ++i) {
        if (optionSet[static_cast<std::size_t>(i)]) {
            form1.ZipTypeBut.setValue(i, true);
            form1.ProjectType = std::string(kindString(i));
            break;
        }
    }
    if (deleteTicked)
        form1.Check1.setValue(1);
}

void backupTypeCancel(qm::app::Form1Variables& form1) { form1.ProjectType = "Cancel"; }

} // namespace qm::session
