#pragma once
// Whether this process's windows can be seen, by the same rule in every
// program that shows windows only when they can: the self-extractors, the
// WinAce stand-in's listing, and the callers that show what such a program
// could not. No Qt.
namespace qm::ui {

// From the values of QT_QPA_PLATFORM, DISPLAY and WAYLAND_DISPLAY (null when
// unset): no display on the offscreen platform, or with no platform chosen
// and neither display named. A platform chosen by name (a VNC or
// frame-buffer one) shows its windows without either display.
bool NoDisplay(const char* platform, const char* display, const char* wayland);
// The same from this process's environment.
bool NoDisplay();

} // namespace qm::ui
