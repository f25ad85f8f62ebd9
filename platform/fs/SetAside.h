#pragma once
// Keeping the previous version of a file while a new one is made in its
// place: the old file waits beside its place under a hidden name
// (".<name>.previous") and comes back unless the new one is reported
// complete, in which case it is dropped. Every file the programs keep aside
// waits under that one name, so that what a killed run left is found and
// settled in one way (qm::zip::settleLeftAside).
//
//   SetAside previous(target);
//   const bool built = build(target);
//   previous.settle(built);     // also done, as a failure, when it goes away
//
// While it waits, its keeper holds the file locked: a later run tells a
// file a live run keeps aside (keeperOf) from one a killed run left. Where
// that cannot be told (a copy another account made and this one cannot
// open, a file system without locks) nothing that only reads takes it for
// a killed run's. The hidden name is taken only where nothing has it: of two
// runs that set one file aside at once, one holds it and the other nothing.
#include <filesystem>
#include <functional>

namespace qm::fs {

class SetAside {
public:
    // Called before each change of a name (the move aside, the drop, the
    // return), with the name that changes.
    using NameHook = std::function<void(const std::filesystem::path&)>;

    // How a keeper holds its place.
    enum class Hold {
        Alone,    // no other run puts anything in the place meanwhile
        Cover,    // another run's build may put a new file in the place under its cover (KeptSet)
        NameOnly, // the file stays, and the name alone is held by an empty mark, for a new file
                  // that replaces it in one rename; either settling drops the mark alone
    };

    // Sets the regular file `native` aside; anything else (nothing there, a
    // folder, a link, a file that cannot be moved) is left where it is and
    // nothing is held. So is the file when its hidden name is taken already
    // (a copy a run left aside that is not settled): neither moves. With
    // `markFree`, a place that holds nothing is held too, by an empty file
    // under the hidden name: what takes the place meanwhile goes again
    // unless the new one is reported complete. (No archive or part of one
    // is ever empty, so an empty copy always means a free place.)
    explicit SetAside(const std::filesystem::path& native, NameHook hook = {}, bool markFree = false);
    // The same under the hidden name `aside` (a part of a set waits under
    // a name of its set's).
    SetAside(const std::filesystem::path& native, std::filesystem::path aside, NameHook hook, bool markFree,
             Hold hold = Hold::Alone);
    // An unsettled file comes back.
    ~SetAside();
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;

    // Whether a file waits aside.
    bool holds() const { return held_; }
    // Why nothing is held where something could have been (the mark of a
    // free place could not be made, the file could not be moved): an errno
    // value such as ENOSPC; 0 otherwise.
    int error() const { return error_; }
    // Whether nothing is held because another run has the place: its hidden
    // name is taken, or the file is locked by another keeper.
    bool taken() const { return taken_; }
    // Whether what it holds is the mark of a place that was free.
    bool marksFreePlace() const { return marker_; }
    // Success: the old file is dropped. Failure: it takes its place again,
    // replacing whatever the failed build left there (a free place is free
    // again). Only the first call acts.
    void settle(bool succeeded);
    // Lets go of the file without settling it: it stays under its hidden
    // name, unlocked, for settleLeftAside to judge with the rest of its set.
    void release();

    // The hidden name the file waits under.
    static std::filesystem::path asideName(const std::filesystem::path& native);
    // Who keeps the file `aside` aside now (none keeps a file that is not there).
    enum class Keeper {
        Nobody,     // no run holds it: a killed run left it
        Live,       // a live run holds it locked
        Covering,   // a live run holds it for another run's build (Hold::Cover)
        Unreadable, // it cannot be opened here (another account's copy): it cannot be told
        NoLocks,    // its file system gives no locks: it cannot be told
    };
    static Keeper keeperOf(const std::filesystem::path& aside);
    // Whether the file `aside` may be kept by a live run: anything but
    // Keeper::Nobody.
    static bool inUse(const std::filesystem::path& aside) { return keeperOf(aside) != Keeper::Nobody; }

    // A settling run's hold of the copy `aside` that no run keeps
    // (Keeper::Nobody; with `withoutLocks`, Keeper::NoLocks too): it stays
    // locked for as long as the claim lives, so that no other run takes it
    // meanwhile, nor its hidden name, while the copy is settled.
    class Claim {
    public:
        Claim(const std::filesystem::path& aside, bool withoutLocks);
        ~Claim();
        Claim(const Claim&) = delete;
        Claim& operator=(const Claim&) = delete;
        bool claimed() const { return claimed_; }

    private:
        int fd_ = -1;
        bool claimed_ = false;
    };
    // Marks the place `native`, which a file took while it was free, as if
    // it had been held free: the file there goes when the mark is settled
    // as a failure (settleLeft). False when the hidden name is taken, or the
    // mark cannot be made.
    static bool markTaken(const std::filesystem::path& native, const NameHook& hook = {});
    static bool markTaken(const std::filesystem::path& native, const std::filesystem::path& aside,
                          const NameHook& hook = {});
    // Settles the copy `aside` of `native` that no run keeps any more:
    // `succeeded` drops it, else it takes its place again (an empty copy
    // frees the place). The rename or removal is announced to `hook` first.
    static void settleLeft(const std::filesystem::path& native, const std::filesystem::path& aside, bool succeeded,
                           const NameHook& hook = {});

private:
    std::filesystem::path target_;
    std::filesystem::path aside_;
    NameHook hook_;
    int lock_ = -1;
    bool held_ = false;
    bool marker_ = false; // the place was free
    bool nameOnly_ = false;
    bool taken_ = false;
    int error_ = 0;
};

} // namespace qm::fs
