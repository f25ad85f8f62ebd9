// The handlers of the main window's zip control, whatever operation drives
// it, and the archive summary of the contents window.
#include "engine/Backup.h"

#include "app/DiskPrompt.h"
#include "app/ErrorBox.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "engine/ArchiveKinds.h"
#include "engine/EngineForms.h"
#include "engine/StatusView.h"
#include "platform/ui/UiServices.h"
#include "restore/RestoreForms.h"
#include "restore/ViewZipRows.h"
#include "store/ProjectRecord.h"
#include "store/SystemLookups.h"

namespace qm::engine {

namespace {

using F = qm::store::ProjectField;
using namespace qm::ui;

} // namespace

void Backup::PavikZip1_FileProgress(const std::string& name) { windows_.engine.status().setFilename(name); }

void Backup::PavikZip1_TotalProgress(int percent)
{
    StatusView& status = windows_.engine.status();
    status.setArchiveFile(PavikZip1.ArchivePath);
    status.setPercent(percent);
    if (percent == 100) {
        status.setBannerSmall();
        status.setCaption("Compression done. Writing file to disk.");
        status.setBanner("Please wait while archive file is copied to your disk\r\n(could take a few minutes).");
    }
}

void Backup::PavikZip1_DiskRequest(int disk, bool& ready) { ready = qm::app::askForDisk(state_.ui(), disk); }

void Backup::PavikZip1_EntryNaming(std::string& storedName, const std::string& sourcePath)
{
    if (PavikZip1.SourceFolder.empty())
        storedName = sourcePath;
}

void Backup::PavikZip1_FileSkipped(const std::string& name, int reason)
{
    const std::string why = PavikZip1.ErrorText(qm::zip::textkind::Skip, reason);
    windows_.engine.status().setSkipped(name + ": \r\n" + why);
    log_.event(Now(), name + " skipped: ");
    log_.more(why);
}

void Backup::PavikZip1_Warning(const std::string& name, int code)
{
    log_.event(Now(), name + " warning.");
    log_.more(PavikZip1.ErrorText(qm::zip::textkind::Skip, code));
}

void Backup::PavikZip1_CommentRequest(std::string& comment)
{
    const qm::store::ProjectRecord& rec = state_.store.ProjectRecord(1);
    const std::string& op = state_.Form1.OpType;
    if (op == "zip" && rec[F::ZIPUseComments] == "yes")
        comment = rec[F::ZIPComments];
    else if (op == "exe" && rec[F::SFXUseComments] == "yes")
        comment = rec[F::SFXComments];
}

void Backup::PavikZip1_FileListed(const qm::zip::ListedEntry& entry)
{
    if (stamping_)
        return;
    qm::app::Form1Variables& f = state_.Form1;
    ++f.mRowCount;
    windows_.restore.addContentsRow(f.mRowCount,
                                    qm::restore::listedRow(entry.name, entry.size, entry.compressedSize,
                                                           entry.modified, entry.created, entry.attributes));
    if (f.strRunCommand.empty() && f.ZipTypeBut.isAnyOf({kind::Zip, kind::ZipMulti, kind::ZipSpan}))
        windows_.restore.setContentsComment(state_.store.ProjectRecord(1)[F::ZIPComments]);
}

void Backup::ViewArchiveInfo(std::string& ArchivePath)
{
    PavikZip1.ArchivePath = ArchivePath;
    int64_t files = 0, compressed = 0, uncompressed = 0;
    int ratio = 0;
    bool spanned = false;
    const int result = PavikZip1.ArchiveInfo(files, compressed, uncompressed, ratio, spanned);
    if (result != 0) {
        qm::app::showError(state_.ui(), "File info retrieval unsuccessful. Error #" + std::to_string(result));
    } else {
        windows_.restore.setContentsSummary({"Files: ", std::to_string(files), "Compressed size: ",
                                             std::to_string(compressed), "Uncompressed size: ",
                                             std::to_string(uncompressed), "Ratio:", std::to_string(ratio) + "%",
                                             "Spanned: ", spanned ? "True" : "False"});
    }
    windows_.restore.showContentsList();
}

// ---- The control's events

void Backup::FileProgress(const std::string& name, int) { PavikZip1_FileProgress(name); }
void Backup::TotalProgress(int percent) { PavikZip1_TotalProgress(percent); }
void Backup::DiskRequest(int disk, bool& ready) { PavikZip1_DiskRequest(disk, ready); }
void Backup::EntryNaming(std::string& storedName, const std::string& sourcePath)
{
    PavikZip1_EntryNaming(storedName, sourcePath);
}
void Backup::FileSkipped(const std::string& name, const std::string&, const std::string&, int reason)
{
    PavikZip1_FileSkipped(name, reason);
}
void Backup::Warning(const std::string& name, int code) { PavikZip1_Warning(name, code); }
void Backup::CommentRequest(std::string& comment) { PavikZip1_CommentRequest(comment); }
void Backup::FileListed(const qm::zip::ListedEntry& entry) { PavikZip1_FileListed(entry); }

} // namespace qm::engine
