#include "platform/InstanceLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <cstdlib>

InstanceLock::InstanceLock(const std::string& name)
    : lock_(std::make_unique<QLockFile>(QString::fromStdString(LockFolder() + "/" + name))) {
    // Only a lock whose process is gone is stale, however old it is.
    lock_->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::Acquire() { return lock_->tryLock(0); }

bool InstanceLock::HeldByAnother() const { return lock_->error() == QLockFile::LockFailedError; }

std::string InstanceLock::Problem() const {
    const char* reason =
        lock_->error() == QLockFile::PermissionError ? "permission denied" : "unknown error";
    return "Cannot make the lock file " + lock_->fileName().toStdString() + " (" + reason +
           "), so a second copy would not notice this one.";
}

std::string InstanceLock::LockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && QFileInfo(runtime).isDir()) return runtime;
    return QDir::tempPath().toStdString();
}
