// Whether a wineserver is running on a prefix, and keeping one from starting
// while the prefix's registry files are replaced.
//
// A wineserver holds a POSIX write lock on the file "lock" in its server
// folder, "<tmp>/.wine-<uid>/server-<dev>-<ino>" upstream, where dev and ino
// are those of the prefix folder in hex. Debian's Wine puts the folder in a
// private "<tmp>/wine-XXXXXX/" whose name it keeps in the prefix's file
// "wineserver". Wine programs that find the lock held wait for it, so holding
// it for the moment a file is replaced is harmless to them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vostrel {

// The lock files a wineserver of this prefix could hold (existing or not);
// empty when the prefix folder cannot be examined.
std::vector<std::string> WineserverLockPaths(const std::string& prefixPath);

// The process id of a wineserver holding the prefix's lock; 0 when none
// does; -1 when one does but its id is unknown, or when it cannot be told
// (see WineserverUncertainty).
long RunningWineserver(const std::string& prefixPath);

// Why it cannot be told whether a wineserver runs on the prefix: where Wine
// keeps its lock, or the name of the lock's folder, lies something that is
// not a regular file (such as a FIFO, which is never opened for reading).
// Nothing when it can be told.
std::optional<std::string> WineserverUncertainty(const std::string& prefixPath);

// Holds the prefix's wineserver lock (every existing lock file of it) for its
// lifetime. A lock file that does not exist yet is left alone: no wineserver
// has run with that folder and none is running.
class WineserverLock {
public:
    WineserverLock() = default;
    ~WineserverLock();
    WineserverLock(WineserverLock&& other) noexcept;
    WineserverLock& operator=(WineserverLock&& other) noexcept;
    WineserverLock(const WineserverLock&) = delete;
    WineserverLock& operator=(const WineserverLock&) = delete;

    // False, with the holder's id in *holder (as RunningWineserver), when a
    // wineserver holds the lock; also false, with the reason in *unsure,
    // when it cannot be told (see WineserverUncertainty).
    bool Acquire(const std::string& prefixPath, long* holder, std::string* unsure = nullptr);
    void Release();

private:
    std::vector<int> fds_;
};

}  // namespace vostrel
