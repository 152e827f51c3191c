#pragma once

#include <memory>
#include <string>

class QLockFile;

// A named lock held for the life of the process, so a second copy can tell
// that the program already runs. Lives in $XDG_RUNTIME_DIR (else the temp
// folder); a lock left by a crashed copy is taken over.
class InstanceLock {
public:
    explicit InstanceLock(const std::string& name);
    ~InstanceLock();

    // True when this process now holds the lock; false when another copy
    // does, or when the lock could not be made at all (see HeldByAnother).
    bool Acquire();

    // After a failed Acquire: true only when a live copy holds the lock.
    bool HeldByAnother() const;
    // After a failed Acquire that HeldByAnother does not explain: why.
    std::string Problem() const;

    static std::string LockFolder();

private:
    std::unique_ptr<QLockFile> lock_;
};
