#include "sfxstub/Session.h"

#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "sfxstub/Actions.h"
#include "sfxstub/Folders.h"
#include "sfxstub/Macros.h"
#include "sfxstub/Prompts.h"

#include <ctime>
#include <random>

namespace qm::sfxstub {

namespace {

// The letters the success and failure messages do not expand.
constexpr const char* MessageRemoval = "eEwWsStTrRpPvV";

} // namespace

std::string partMissingText(const std::string& path)
{
    return "A part of this self-extracting archive is missing:\n" + path +
           "\n\nPut every part of the set beside the program and run it again.";
}

std::string partDamagedText(const std::string& path)
{
    return "A part of this self-extracting archive is damaged, or is not a part of its set:\n" + path +
           "\n\nPut the set's own part beside the program and run it again.";
}

SfxSession::SfxSession(SfxUi& ui, std::string programFile, Methods methods)
    : ui_(ui), programFile_(std::move(programFile)), methods_(std::move(methods))
{
    seed_ = uint32_t(std::time(nullptr)) ^ uint32_t(std::random_device{}());
}

bool SfxSession::LoadSfxConfig()
{
    std::optional<qm::sfx::SfxConfig> block = qm::sfx::loadFromFile(programFile_);
    if (!block)
        return false;
    SfxConfig& c = config_;
    c = SfxConfig(*block);
    c.Random.seed(seed_);
    c.ErrorSeen = false;
    c.LastPassword = c.DefaultPassword;
    const std::string self = qm::fs::fromNative(programFile_);
    c.ExeFolder = qm::fs::withoutTrailingBackslash(qm::fs::parentFolder(self));
    c.ExeName = qm::fs::fileNamePart(self);
    if (c.DestinationFolder.empty()) {
        c.DestinationFolder = c.ExeFolder;
        if (c.TempMode)
            c.DestinationFolder += "\\%r";
    }
    LookUpSpecialFolders(c);
    c.TempRoot.clear();

    // In temporary mode the random folder is made here, by this program and
    // for this user only: an existing folder is never taken over.
    ClaimFn claim = claimIfMissing;
    if (c.TempMode)
        claim = [&c](const std::string& candidate) { return claimPrivateFolder(candidate, c.TempRoot); };
    std::optional<std::string> dest = ExpandMacros(c, c.DestinationFolder, "dD", PathLimit, claim);
    if (dest) {
        c.DestinationFolder = MakeAbsolute(*dest).value_or(*dest);
    } else {
        destinationBroken_ = true;
    }

    for (std::string* t : {&c.DestinationFolder, &c.ReadmeFile, &c.CommandList, &c.DestinationText,
                           &c.PasswordText, &c.InsertLastDiskText, &c.InsertDiskText, &c.ConfirmAbortText,
                           &c.CreateFolderText, &c.OverwriteText, &c.ProgressText, &c.ProgressNoteText,
                           &c.Caption, &c.BrowseTitle, &c.ShareText, &c.ReservedText256, &c.ReservedText100,
                           &c.SuccessText, &c.FailureText, &c.FolderErrorText, &c.ConfirmText,
                           &c.ReservedText2000, &c.GroupItems, &c.AssociationList})
        *t = NormalizeLineBreaks(*t);
    return true;
}

std::vector<std::string> SfxSession::engineArguments() const
{
    std::vector<std::string> argv{""};
    switch (config_.OverwriteMode) {
    case 1: argv.push_back("-n"); break;
    case 2: argv.push_back("-o"); break;
    case 3:
        argv.push_back("-u");
        argv.push_back("-o");
        break;
    default: break;
    }
    argv.push_back(config_.ExeFolder + "\\" + config_.ExeName);
    argv.push_back("-d");
    argv.push_back(config_.DestinationFolder);
    return argv;
}

int SfxSession::run()
{
    if (!LoadSfxConfig()) {
        ui_.standardMessage(InvalidConfigurationText, "Error");
        return result::BadConfiguration;
    }
    SfxConfig& c = config_;
    ui_.RegisterSfxClasses(c);

    int res = result::Ok;
    if (c.ConfirmStart && ui_.SfxMessageBox({c.ConfirmText, c.Caption, style::ContinueExit}) != button::Continue)
        res = result::Stopped;
    if (c.ShowAgreement && res == result::Ok
        && ui_.SfxMessageBox({c.AgreementText, c.Caption, style::Agreement}) != button::Continue)
        res = result::Stopped;
    if (res == result::Ok) {
        if (destinationBroken_)
            res = result::NoDestination;
        else if (c.AskDestination && !c.TempMode)
            res = ui_.AskDestinationFolder([this](const std::string& folder) {
                return PrepareDestination(ui_, config_, folder);
            }) == 0 ? result::Ok : result::Stopped;
        else
            res = PrepareDestination(ui_, c, c.DestinationFolder);
    }
    const bool suppressed = res != result::Ok; // the user knows already

    if (!suppressed) {
        Engine engine([this](EngineEvent& e) { return OnEngineEvent(e); }, methods_);
        engine.SpannedMode = true;
        passwordCount_ = 0;
        if (c.ShowProgress)
            ui_.ShowExtractWindow();
        res = engine.UnzipMain(engineArguments());
        ui_.CloseExtractWindow();
    }

    bool failed = res > 0 && !suppressed;
    if (res == result::PartMissing && !missingPart_.empty()) {
        // Said whatever the failure message is set to: the program cannot
        // do without its parts.
        ui_.standardMessage(partMissingText(missingPart_), c.Caption);
        failed = false;
    } else if (res == result::Damaged && !damagedPart_.empty()) {
        ui_.standardMessage(partDamagedText(damagedPart_), c.Caption);
        failed = false;
    }
    if (!suppressed && res < 100) {
        if (c.ErrorSeen) {
            res = result::Skipped;
            failed = true;
        } else {
            res = runActions();
            failed = false;
        }
    }
    if (failed && c.ShowFailureMessage)
        showFailure(res);
    if (c.TempMode)
        removeTemporaryFiles();
    ui_.UnregisterSfxClasses();
    return res;
}

int SfxSession::runActions()
{
    SfxConfig& c = config_;
    if (!c.AssociationList.empty())
        if (std::optional<std::string> list = ExpandMacros(c, c.AssociationList, "1234567890", TextLimit))
            RegisterAssociations(*list);
    if (!c.GroupName.empty()) {
        if (std::optional<std::string> items = ExpandMacros(c, c.GroupItems, "", TextLimit))
            CreateProgramGroup(programManager_, c.GroupName, *items);
        ui_.pause(1000);
    }
    if (c.ShowSuccessMessage)
        if (std::optional<std::string> text = ExpandMacros(c, c.SuccessText, MessageRemoval, TextLimit))
            ui_.SfxMessageBox({*text, c.Caption, style::Ok, Icon::Information});
    ShowReadme(c);
    RunPostCommands(c);
    return result::Ok;
}

void SfxSession::showFailure(int res)
{
    SfxConfig& c = config_;
    std::string text = FillNumber(c.FailureText, 'e', res);
    std::optional<std::string> expanded = ExpandMacros(c, text, MessageRemoval, TextLimit);
    ui_.SfxMessageBox({expanded.value_or(text), c.Caption, style::Ok, Icon::Exclamation});
}

void SfxSession::removeTemporaryFiles()
{
    for (const std::string& file : ExtractedFiles) {
        try {
            qm::fs::removeName(qm::fs::toNative(file));
        } catch (const qm::RtError&) {
        }
    }
    for (const std::string& folder : CreatedFolders)
        DeleteFolderTree(folder);
    if (!config_.TempRoot.empty())
        DeleteFolderTree(config_.TempRoot);
    ExtractedFiles.clear();
    CreatedFolders.clear();
}

int SfxSession::OnEngineEvent(EngineEvent& e)
{
    SfxConfig& c = config_;
    switch (e.code) {
    case event::Exists:
        switch (AskOverwrite(ui_, c, e.path.empty() ? e.name : e.path)) {
        case button::Yes: e.answer = answer::Overwrite; break;
        case button::YesToAll: e.answer = answer::OverwriteAll; break;
        case button::NoToAll: e.answer = answer::SkipAll; break;
        default: e.answer = answer::Skip; break;
        }
        break;
    case event::Begin:
        if (c.TempMode)
            ExtractedFiles.push_back(e.path);
        if (ui_.extractWindowShown())
            ui_.setExtractFile(e.name + " (0%)");
        passwordCount_ = 0;
        break;
    case event::Password:
        e.answer = 0;
        if (passwordCount_ == 0) {
            e.reply = c.DefaultPassword;
            e.answer = PasswordGiven;
            passwordCount_ = 1;
        } else if (passwordCount_ == 1) {
            e.reply = c.LastPassword;
            e.answer = PasswordGiven;
            passwordCount_ = 2;
        } else if (c.AllowPasswordPrompt) {
            int r = ui_.AskPassword(e.name);
            if (r == 0) {
                e.reply = c.LastPassword;
                e.answer = PasswordGiven;
            } else if (r == 1080) {
                c.AllowPasswordPrompt = 0;
            }
        }
        break;
    case event::NextDisk:
        if (AskInsertDisk(ui_, c, e.number) != button::Ok)
            return 1;
        break;
    case event::PartMissing:
        missingPart_ = e.path;
        break;
    case event::PartDamaged:
        damagedPart_ = e.path;
        break;
    case event::Total:
        if (ui_.extractWindowShown())
            ui_.setExtractPercent(e.number);
        break;
    case event::Rename:
        if (std::optional<FolderName> f = ExpandEntryName(c, e.name)) {
            e.replyFolder = f->folder;
            e.reply = f->rest;
        }
        break;
    case event::FolderMade:
        if (c.TempMode)
            CreatedFolders.push_back(qm::fs::withoutTrailingBackslash(e.path));
        break;
    case event::FileProgress:
        if (ui_.extractWindowShown())
            ui_.setExtractFile(e.name + " (" + std::to_string(e.number) + "%)");
        break;
    case event::Error:
        if (e.number != kind::NotReplaced && e.number != kind::Password && e.number != kind::NeverOverwrite)
            c.ErrorSeen = true;
        break;
    default: break;
    }
    if (ui_.extractWindowShown() && ui_.PumpMessages())
        return 1;
    return 0;
}

} // namespace qm::sfxstub
