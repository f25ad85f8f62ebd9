#pragma once
// The library as a module: its version data, and the lock count that says
// whether it may be unloaded. Every live object of the library (scheduler,
// collections, tasks, triggers, enumerators) holds one ModuleLock, and so
// does every LockServer(true) until its LockServer(false).
#include "platform/com/Result.h"

namespace qm::cronolet {

// Version data of the library.
struct ModuleVersion {
    static constexpr const char* FileVersion = "1.0.0.1";
    static constexpr const char* ProductVersion = "1.0.0.1";
    static constexpr const char* FileDescription = "Cronolet Module";
    static constexpr const char* ProductName = "Cronolet Module";
    static constexpr const char* InternalName = "Cronolet";
    static constexpr const char* OriginalFilename = "Cronolet.DLL";
};
// String 100 of the library: the project name.
inline constexpr int IDS_PROJNAME = 100;
inline constexpr const char* ProjectName = "Cronolet";

void lockModule();
void unlockModule();
// The number of locks now held.
long moduleLockCount();

class ModuleLock {
public:
    ModuleLock() { lockModule(); }
    ~ModuleLock() { unlockModule(); }
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;
};

} // namespace qm::cronolet
