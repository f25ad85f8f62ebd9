#include "app/ProgramState.h"

#include "store/Launcher.h"

#include <algorithm>

namespace qm::app {

OptionGroup::OptionGroup(int count)
    : values_(static_cast<std::size_t>(std::max(count, 0)), false)
{
}

bool OptionGroup::value(int index) const
{
    return index >= 0 && index < count() && values_[static_cast<std::size_t>(index)];
}

void OptionGroup::setValue(int index, bool on)
{
    if (index < 0 || index >= count())
        return;
    std::vector<bool> next(values_.size(), false);
    if (on)
        next[static_cast<std::size_t>(index)] = true;
    else
        next = values_, next[static_cast<std::size_t>(index)] = false;
    if (next == values_)
        return;
    values_ = std::move(next);
    if (listener_)
        listener_();
}

std::optional<int> OptionGroup::selected() const
{
    for (int i = 0; i < count(); ++i)
        if (values_[static_cast<std::size_t>(i)])
            return i;
    return std::nullopt;
}

bool OptionGroup::isAnyOf(std::initializer_list<int> indexes) const
{
    std::optional<int> s = selected();
    return s && std::find(indexes.begin(), indexes.end(), *s) != indexes.end();
}

void CheckValue::setValue(int v)
{
    if (v == value_)
        return;
    value_ = v;
    if (listener_)
        listener_();
}

ProgramState::ProgramState(qm::ui::UiServices& ui, qm::store::Launcher* launcher)
    : store(ui), ui_(ui), ownLauncher_(launcher ? nullptr : new qm::store::ProcessLauncher),
      launcher_(launcher ? launcher : ownLauncher_.get())
{
}

ProgramState::~ProgramState() = default;

} // namespace qm::app
