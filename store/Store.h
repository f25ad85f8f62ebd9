#pragma once
// The shared state of the project store, under the names the rest of the
// program uses, and the operations that load and save it. One Store belongs
// to each program and is passed by reference to whoever needs it.
//
// Paths held here are in Windows form (program folder & "\Projects\" & name)
// and are mapped to host paths only when a file is opened.
#include "store/IniAccess.h"
#include "store/ProjectRecord.h"
#include "store/RecordArray.h"
#include "store/UserOptions.h"

#include <functional>
#include <string>

namespace qm::store {

class Store {
public:
    explicit Store(qm::ui::UiServices& ui);

    qm::ui::UiServices& ui() const { return ui_; }

    // ---- Shared variables
    // The project in use is element 1.
    RecordArray<qm::store::ProjectRecord> ProjectRecord;
    // The file LoadProject reads and SaveProject rewrites.
    std::string CurrentProjectIni;
    // The user options are element 1.
    RecordArray<qm::store::UserOptionsRecord> UserOptionsRecord;
    // program folder & "\Options\User Options", once LoadUserOptions ran.
    std::string UserOptionsIni;
    // Where archives are built when a project asks for the temporary folder.
    std::string TempFolder;
    // The number of elements of the record arrays.
    int RecordCount = 1;
    // The record editor's hand-over with its file list editor: the
    // files-to-process value while the dialog is open, what to store after
    // it ("" for nothing); empty otherwise.
    std::string CurrentFilesToProcess;
    // The editor grid's column of the last edit begun (and of the exclude
    // types editor's opening).
    int CurrentGridColumn = 0;

    // ---- Single values (see IniAccess.h)
    std::string ReadIni(const std::string& section, const std::string& key, const std::string& file,
                        const std::string& defaultValue);
    bool WriteIni(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& file);
    bool WriteIniValues(const std::string& file, std::initializer_list<qm::profile::KeyValue> values);

    // ---- User options
    // Reads program folder & "\Options\User Options" into a fresh element 1
    // (missing file, section or keys give empty fields), sets UserOptionsIni
    // and TempFolder (UserTempFolder as read, else program folder & "\Temp").
    void LoadUserOptions();
    // Called at the end of every LoadUserOptions (an open options window
    // shows the record read afresh); gives the previous listener.
    std::function<void()> setUserOptionsListener(std::function<void()> listener)
    {
        std::swap(listener, userOptionsListener_);
        return listener;
    }
    // Rewrites the user options file (11 lines) atomically from element 1,
    // then says "User Options saved". Throws qm::RtError when the file cannot
    // be written; the old file is then unchanged and no box is shown.
    void SaveUserOptions();

    // ---- Project file
    // Reads the file CurrentProjectIni names into a fresh element 1; a
    // missing or unreadable file, section or key leaves fields empty.
    void LoadProject();
    // Rewrites the file CurrentProjectIni names (221 lines) atomically from
    // element 1. Throws qm::RtError when it cannot (75 for a read-only file);
    // the old file is unchanged.
    void SaveProject();
    // As SaveProject, for a record loaded a while ago (`asLoaded`): each
    // field of BackupStampFields that element 1 still holds as loaded takes
    // the value the file holds when it is replaced, so that a backup's stamp
    // made meanwhile (by the runner) stays; element 1 takes it too.
    void SaveProjectKeepingStamps(const qm::store::ProjectRecord& asLoaded);
    // Writes the template for `ProjectName` to program folder & "\Projects\"
    // & ProjectName, replacing any file of that name; changes neither
    // CurrentProjectIni nor the record. Throws qm::RtError (52 for a name
    // that would leave the Projects folder).
    void CreateProjectFile(const std::string& ProjectName);
    // The record the project file (or defaults file) at `winPath` holds, read
    // as LoadProject reads it. Throws qm::RtError when the file cannot be
    // read (53 missing, 76 its folder missing, ...).
    static qm::store::ProjectRecord readProject(const std::string& winPath);

    // The files the store keeps in the program folder (qm::fs::appPath()).
    static std::string userOptionsPath();
    // program folder & "\Options\My Data Defaults", the defaults record.
    static std::string defaultsPath();
    static std::string projectPath(const std::string& projectName);

private:
    qm::ui::UiServices& ui_;
    std::function<void()> userOptionsListener_;
};

} // namespace qm::store
