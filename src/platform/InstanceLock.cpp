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

std::string InstanceLock::LockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && QFileInfo(runtime).isDir()) return runtime;
    return QDir::tempPath().toStdString();
}
