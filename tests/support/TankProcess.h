#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"

// The real program in a child process, with its own config and runtime
// folders under `home` (XDG_CONFIG_HOME=home/config,
// XDG_RUNTIME_DIR=home/runtime), SDL's dummy audio driver and no
// XSCREENSAVER_WINDOW; `env` adds or overrides variables. Its stdout and
// stderr go to one file under `home`. A copy still running when this goes is
// sent `endSignal` and reaped.
class TankProcess {
public:
    using Env = std::vector<std::pair<std::string, std::string>>;

    TankProcess(const TempDir& home, std::vector<std::string> args, const Env& env = {},
                int endSignal = 9 /* SIGKILL */);
    ~TankProcess();
    TankProcess(const TankProcess&) = delete;
    TankProcess& operator=(const TankProcess&) = delete;

    // Exit status (128 + signal when killed), or -1 while it still runs after `seconds`.
    int Wait(double seconds);
    pid_t Pid() const { return pid_; }
    // Everything it printed so far.
    std::string Output() const;

private:
    pid_t pid_ = -1;
    bool done_ = false;
    int endSignal_;
    std::string output_;
};
