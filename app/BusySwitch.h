#pragma once
// The main window's busy switch: on while an operation that yields to the
// event loop runs (a manual backup, a restore or test, the data-file backup
// and restore, the outside archiver). While it is on, every command surface of the main
// window is off except Help and Exit; painting goes on, and so does the
// operation's own window with its Cancel. Exit while it is on asks the
// running operation to stop and happens once the operation has ended.
//
//   BusySwitch::Operation running = busy.begin([&] { zip.AbortRequested = true; });
//   ... the work, yielding ...
//   // `running` goes away: the commands come back; an Exit asked meanwhile happens now.
//
// Operations may nest (a backup that stamps its archive afterwards); the
// switch goes off when the outermost one ends.
#include <functional>
#include <utility>
#include <vector>

namespace qm::app {

class MainWindowView;

class BusySwitch {
public:
    explicit BusySwitch(MainWindowView& view) : view_(view) {}
    BusySwitch(const BusySwitch&) = delete;
    BusySwitch& operator=(const BusySwitch&) = delete;

    // One running operation; the switch stays on while it lives.
    class Operation {
    public:
        Operation(Operation&& other) noexcept : switch_(other.switch_) { other.switch_ = nullptr; }
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;
        Operation& operator=(Operation&&) = delete;
        ~Operation() { end(); }
        // Ends the operation before the object goes away (only the first call acts).
        void end();

    private:
        friend class BusySwitch;
        explicit Operation(BusySwitch* s) : switch_(s) {}
        BusySwitch* switch_;
    };

    // Switches on (the commands go off) for the life of the result.
    // `askToStop` is how Exit asks this operation to stop.
    [[nodiscard]] Operation begin(std::function<void()> askToStop);

    bool isOn() const { return !stops_.empty(); }

    // Exit. While the switch is off: false, and the caller exits at once.
    // While it is on: every running operation is asked to stop, `exit` is
    // kept to run when the switch goes off, and true is returned.
    bool deferExit(std::function<void()> exit);

private:
    void finish();

    MainWindowView& view_;
    std::vector<std::function<void()>> stops_;
    std::function<void()> pendingExit_;
};

} // namespace qm::app
