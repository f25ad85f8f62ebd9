#include "engine/SplitSize.h"

#include "app/ProgramState.h"
#include "platform/datetime/Numbers.h"
#include "platform/ui/UiServices.h"
#include "store/ProjectRecord.h"

namespace qm::engine {

using F = qm::store::ProjectField;

SplitSizeView splitSizeLoad(std::string_view ArchiveType, const qm::store::ProjectRecord& record,
                            const std::string& ChosenFolder)
{
    SplitSizeView view;
    std::string stored;
    if (ArchiveType == ModeZip) {
        stored = record[F::ZIPDefaultSplitSize];
        if (stored.empty())
            return view;
    } else if (ArchiveType == ModeAce || ArchiveType == ModeAceExe) {
        stored = ArchiveType == ModeAce ? record[F::ACEDefaultSplitSize] : record[F::ACESFXDefaultSplitSize];
        view.targetVisible = false;
    } else {
        return view;
    }
    if (std::optional<double> n = qm::datetime::parseNumber(stored)) {
        for (std::size_t i = 0; i < SplitPresets.size(); ++i) {
            if (*n == static_cast<double>(SplitPresets[i].bytes)) {
                view.preset = static_cast<int>(i);
                break;
            }
        }
    }
    view.Text1 = stored;
    view.Text2 = ChosenFolder;
    return view;
}

std::string presetText(std::optional<int> preset)
{
    if (!preset || *preset < 0 || *preset >= static_cast<int>(SplitPresets.size()))
        return {};
    return std::to_string(SplitPresets[static_cast<std::size_t>(*preset)].bytes);
}

bool splitSizeOkay(qm::app::ProgramState& state, std::string_view ArchiveType, const std::string& Text1,
                   const std::string& Text2)
{
    using namespace qm::ui;
    std::optional<long long> bytes = qm::datetime::parseWholeNumber(Text1);
    if (!bytes || *bytes <= 0) {
        state.ui().msgBox(std::string(NoSizeMessage), mb::OKOnly | mb::Critical, "Error!");
        return false;
    }
    if (ArchiveType == ModeZip && Text2.empty()) {
        state.ui().msgBox(std::string(NoTargetMessage), mb::OKOnly | mb::Critical, "Error!");
        return false;
    }
    state.ChosenFolder = Text2;
    state.Form1.ZipSplitSize = std::to_string(*bytes);
    state.Form1.AceSplitSize = std::to_string(*bytes);
    return true;
}

void splitSizeCancel(qm::app::ProgramState& state, std::string_view ArchiveType)
{
    if (ArchiveType == ModeZip)
        state.Form1.ZipSplitSize.clear();
    else
        state.Form1.AceSplitSize = "Abort";
}

} // namespace qm::engine
