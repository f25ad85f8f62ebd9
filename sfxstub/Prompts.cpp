#include "sfxstub/Prompts.h"

#include "platform/fs/FileOps.h"
#include "sfxstub/Folders.h"
#include "sfxstub/Macros.h"

namespace qm::sfxstub {

std::vector<BoxButton> boxButtons(const SfxConfig& c, int s)
{
    switch (s & 0x0F) {
    case style::OkCancel: return {{c.OkCaption, button::Ok}, {c.CancelCaption, button::Cancel}};
    case style::YesNoCancel:
        return {{c.YesCaption, button::Yes}, {c.NoCaption, button::No}, {c.CancelCaption, button::Cancel}};
    case style::YesNo: return {{c.YesCaption, button::Yes}, {c.NoCaption, button::No}};
    case style::YesNoAll:
        return {{c.YesCaption, button::Yes},
                {c.NoCaption, button::No},
                {c.YesToAllCaption, button::YesToAll},
                {c.NoToAllCaption, button::NoToAll}};
    case style::ContinueExit: return {{c.ContinueCaption, button::Continue}, {c.ExitCaption, button::Exit}};
    case style::Agreement: return {{c.AgreeCaption, button::Continue}, {c.RefuseCaption, button::Exit}};
    default: return {{c.OkCaption, button::Ok}};
    }
}

std::optional<int> escapeResult(int s)
{
    switch (s & 0x0F) {
    case style::OkCancel:
    case style::YesNoCancel: return button::Cancel;
    case style::YesNo:
    case style::YesNoAll: return button::No;
    case style::ContinueExit:
    case style::Agreement: return button::Exit;
    default: return std::nullopt;
    }
}

int defaultButton(int s)
{
    return (s >> 8) & 0x0F;
}

bool scrollingText(int s)
{
    return (s & style::Scrolling) != 0;
}

int AskOverwrite(SfxUi& ui, const SfxConfig& c, const std::string& file)
{
    return ui.SfxMessageBox({FillText(c.OverwriteText, 'f', file), c.Caption, style::YesNoAll, Icon::Question,
                          Slot::Overwrite});
}

int AskInsertDisk(SfxUi& ui, const SfxConfig& c, int disk)
{
    std::string text = disk > 0 ? FillNumber(c.InsertDiskText, 'n', disk) : c.InsertLastDiskText;
    return ui.SfxMessageBox({text, c.Caption, style::OkCancel, Icon::Disk, Slot::InsertDisk});
}

int AskCreateFolder(SfxUi& ui, const SfxConfig& c, const std::string& folder)
{
    if (!c.ConfirmCreateFolder)
        return button::Yes;
    return ui.SfxMessageBox({FillText(c.CreateFolderText, 'd', folder), c.Caption, style::YesNo, Icon::Folder,
                          Slot::CreateFolder});
}

void ShowFolderErrorMessage(SfxUi& ui, const SfxConfig& c, const std::string& folder)
{
    ui.SfxMessageBox({FillText(c.FolderErrorText, 'd', folder), c.Caption, style::Ok, Icon::Exclamation,
                   Slot::FolderError});
}

BoxRequest confirmAbortBox(const SfxConfig& c)
{
    return {c.ConfirmAbortText, c.Caption, style::YesNo | style::SecondDefault, Icon::Question, Slot::ConfirmAbort};
}

int PrepareDestination(SfxUi& ui, SfxConfig& c, const std::string& folder)
{
    std::optional<std::string> full = MakeAbsolute(AddTrailingBackslash(folder));
    if (!full)
        return result::NoDestination;
    if (!qm::fs::exists(*full)) {
        const std::string bare = RemoveTrailingBackslash(*full);
        if (AskCreateFolder(ui, c, bare) != button::Yes)
            return result::Stopped;
        if (!CreateFolderTree(bare, c.TempRoot)) {
            if (c.ShowFolderError)
                ShowFolderErrorMessage(ui, c, bare);
            return result::NoDestination;
        }
    } else if (!qm::fs::isFolder(*full)) {
        if (c.ShowFolderError)
            ShowFolderErrorMessage(ui, c, RemoveTrailingBackslash(*full));
        return result::NoDestination;
    }
    c.DestinationFolder = *full;
    return result::Ok;
}

} // namespace qm::sfxstub
