// The handlers of the main window's zip control, whatever operation drives
// it, and the archive summary of the contents window.
#include "session/ZipSession.h"

#include "app/DiskPrompt.h"
#include "app/ErrorBox.h"
#include "app/ProgramState.h"
#include "platform/ui/UiServices.h"
#include "session/ArchiveKinds.h"
#include "session/SessionForms.h"
#include "session/StatusView.h"
#include "store/ProjectRecord.h"

namespace qm::session {

namespace {

using F = qm::store::ProjectField;

} // namespace

void ZipSession::PavikZip1_FileProgress(const std::string& name) { status().setFilename(name); }

void ZipSession::PavikZip1_TotalProgress(int percent)
{
    StatusView& status = this->status();
    status.setArchiveFile(PavikZip1.ArchivePath);
    status.setPercent(percent);
    if (percent == 100) {
        status.setBannerSmall();
        status.setCaption("Compression done. Writing file to disk.");
        status.setBanner("Please wait while archive file is copied to your disk\r\n(could take a few minutes).");
    }
}

void ZipSession::PavikZip1_DiskRequest(int disk, bool& ready) { ready = qm::app::askForDisk(state_.ui(), disk); }

void ZipSession::PavikZip1_EntryNaming(std::string& storedName, const std::string& sourcePath)
{
    if (PavikZip1.SourceFolder.empty())
        storedName = sourcePath;
}

void ZipSession::PavikZip1_FileSkipped(const std::string& name, int reason)
{
    const std::string why = PavikZip1.ErrorText(qm::zip::textkind::Skip, reason);
    status().setSkipped(name + ": \r\n" + why);
    log_.event(Now(), name + " skipped: ");
    log_.more(why);
}

void ZipSession::PavikZip1_Warning(const std::string& name, int code)
{
    log_.event(Now(), name + " warning.");
    log_.more(PavikZip1.ErrorText(qm::zip::textkind::Skip, code));
}

void ZipSession::PavikZip1_CommentRequest(std::string& comment)
{
    const qm::store::ProjectRecord& rec = state_.store.ProjectRecord(1);
    const std::string& op = state_.Form1.OpType;
    if (op == "zip" && rec[F::ZIPUseComments] == "yes")
        comment = rec[F::ZIPComments];
    else if (op == "exe" && rec[F::SFXUseComments] == "yes")
        comment = rec[F::SFXComments];
}

void ZipSession::PavikZip1_FileListed(const qm::zip::ListedEntry& entry)
{
    if (stamping_)
        return;
    qm::app::Form1Variables& f = state_.Form1;
    ++f.mRowCount;
    reports_.addContentsRow(f.mRowCount, entry);
    if (f.strRunCommand.empty() && f.ZipTypeBut.isAnyOf({kind::Zip, kind::ZipMulti, kind::ZipSpan}))
        reports_.setContentsComment(state_.store.ProjectRecord(1)[F::ZIPComments]);
}

void ZipSession::ViewArchiveInfo(std::string& ArchivePath)
{
    PavikZip1.ArchivePath = ArchivePath;
    int64_t files = 0, compressed = 0, uncompressed = 0;
    int ratio = 0;
    bool spanned = false;
    const int result = PavikZip1.ArchiveInfo(files, compressed, uncompressed, ratio, spanned);
    if (result != 0) {
        qm::app::showError(state_.ui(), "File info retrieval unsuccessful. Error #" + std::to_string(result));
    } else {
        reports_.setContentsSummary({"Files: ", std::to_string(files), "Compressed size: ",
                                     std::to_string(compressed), "Uncompressed size: ", std::to_string(uncompressed),
                                     "Ratio:", std::to_string(ratio) + "%", "Spanned: ", spanned ? "True" : "False"});
    }
    reports_.showContentsList();
}

// ---- The control's events

void ZipSession::FileProgress(const std::string& name, int) { PavikZip1_FileProgress(name); }
void ZipSession::TotalProgress(int percent) { PavikZip1_TotalProgress(percent); }
void ZipSession::DiskRequest(int disk, bool& ready) { PavikZip1_DiskRequest(disk, ready); }
void ZipSession::EntryNaming(std::string& storedName, const std::string& sourcePath)
{
    PavikZip1_EntryNaming(storedName, sourcePath);
}
void ZipSession::FileSkipped(const std::string& name, const std::string&, const std::string&, int reason)
{
    PavikZip1_FileSkipped(name, reason);
}
void ZipSession::Warning(const std::string& name, int code) { PavikZip1_Warning(name, code); }
void ZipSession::CommentRequest(std::string& comment) { PavikZip1_CommentRequest(comment); }
void ZipSession::FileListed(const qm::zip::ListedEntry& entry) { PavikZip1_FileListed(entry); }

} // namespace qm::session
