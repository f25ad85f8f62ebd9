#pragma once
// An exclusive group of option buttons in a frame, one below the other,
// each with its name (objectName), caption and tooltip: the overwrite and
// date rules of the restore and extraction target dialogs.
#include "platform/ui/WidgetKit.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>
#include <cstddef>
#include <optional>

namespace qm::restore {

struct OptionCaption {
    const char* name;
    const char* caption;
    const char* tip;
};

template <std::size_t N>
void makeOptions(QGroupBox* frame, std::array<QRadioButton*, N>& buttons, const OptionCaption (&captions)[N])
{
    auto* group = new QButtonGroup(frame);
    auto* layout = new QVBoxLayout(frame);
    for (std::size_t i = 0; i < N; ++i) {
        buttons[i] = qm::ui::named<QRadioButton>(frame, captions[i].name, captions[i].caption);
        buttons[i]->setToolTip(captions[i].tip);
        group->addButton(buttons[i], static_cast<int>(i));
        layout->addWidget(buttons[i]);
    }
    layout->addStretch(1);
}

// The index of the button that is on, if any.
template <std::size_t N>
std::optional<int> optionOn(const std::array<QRadioButton*, N>& buttons)
{
    for (std::size_t i = 0; i < N; ++i)
        if (buttons[i]->isChecked())
            return static_cast<int>(i);
    return std::nullopt;
}

// The overwrite rule's buttons, alike in both dialogs.
inline constexpr OptionCaption SkipCaptions[] = {
    {"SkipOptions0", "Overwrite all", "Overwrite all files in the target folder with files in the restore archive file"},
    {"SkipOptions1", "Skip if Exists", "Do not overwrite files that already exist in the target folder"},
    {"SkipOptions2", "Skip if Not Exists", "Do no restore files that don't already exist in the target folder"},
};
inline constexpr const char* OlderTip =
    "Do not restore files from the archive that are older than matching files in the target folder.";
inline constexpr const char* OlderVersionTip =
    "Do not restore files from the archive that are older versions than matching files in the target folder.";

} // namespace qm::restore
