#pragma once
// Keeping the previous version of a file while a new one is made in its
// place: the old file waits beside its place under a hidden name
// (".<name>.previous") and comes back unless the new one is reported
// complete, in which case it is dropped.
//
//   SetAside previous(target);
//   const bool built = build(target);
//   previous.settle(built);     // also done, as a failure, when it goes away
#include <filesystem>

namespace qm::fs {

class SetAside {
public:
    // Sets the regular file `native` aside; anything else (nothing there, a
    // folder, a link, a file that cannot be moved) is left where it is and
    // nothing is held. A file found aside already (a run killed before it
    // settled) first takes its place again.
    explicit SetAside(const std::filesystem::path& native);
    // An unsettled file comes back.
    ~SetAside();
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;

    // Whether a file waits aside.
    bool holds() const { return held_; }
    // Success: the old file is dropped. Failure: it takes its place again,
    // replacing whatever the failed build left there. Only the first call acts.
    void settle(bool succeeded);

    // The hidden name the file waits under.
    static std::filesystem::path asideName(const std::filesystem::path& native);

private:
    std::filesystem::path target_;
    std::filesystem::path aside_;
    bool held_ = false;
};

} // namespace qm::fs
