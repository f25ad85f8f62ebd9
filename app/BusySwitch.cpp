#include "app/BusySwitch.h"

#include "app/MainWindowView.h"

namespace qm::app {

void BusySwitch::Operation::end()
{
    if (BusySwitch* s = switch_) {
        switch_ = nullptr;
        s->finish();
    }
}

BusySwitch::Operation BusySwitch::begin(std::function<void()> askToStop)
{
    if (stops_.empty())
        view_.enableCommands(false);
    stops_.push_back(std::move(askToStop));
    return Operation(this);
}

bool BusySwitch::deferExit(std::function<void()> exit)
{
    if (stops_.empty())
        return false;
    pendingExit_ = std::move(exit);
    for (const std::function<void()>& stop : stops_)
        if (stop)
            stop();
    return true;
}

void BusySwitch::finish()
{
    if (stops_.empty())
        return;
    stops_.pop_back();
    if (!stops_.empty())
        return;
    view_.enableCommands(true);
    if (std::function<void()> exit = std::exchange(pendingExit_, nullptr))
        exit();
}

} // namespace qm::app
