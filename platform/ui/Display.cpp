#include "platform/ui/Display.h"

#include <cstdlib>
#include <string_view>

namespace qm::ui {

namespace {

bool named(const char* value)
{
    return value && *value;
}

} // namespace

bool NoDisplay(const char* platform, const char* display, const char* wayland)
{
    if (named(platform)) {
        const std::string_view p(platform);
        return p.substr(0, p.find(':')) == "offscreen"; // "name:options"
    }
    return !named(display) && !named(wayland);
}

bool NoDisplay()
{
    return NoDisplay(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
}

} // namespace qm::ui
