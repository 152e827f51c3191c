#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>
#include <vector>

#include "support/TempDir.h"

// The real program in a child process, with its own config and runtime
// folders under `home` (XDG_CONFIG_HOME=home/config,
// XDG_RUNTIME_DIR=home/runtime), SDL's dummy audio driver and no
// XSCREENSAVER_WINDOW; `env` adds or overrides variables. Its stdout and
// stderr go to one file under `home`. A copy still running when this goes is
// killed and reaped.
class TankProcess {
public:
    using Env = std::vector<std::pair<std::string, std::string>>;

    TankProcess(const TempDir& home, std::vector<std::string> args, const Env& env = {}) {
        static int counter = 0;
        output_ = home.File("tidemere-" + std::to_string(counter++) + ".txt");
        pid_ = fork();
        if (pid_ != 0) return;
        setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", home.File("runtime").c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("XSCREENSAVER_WINDOW");
        for (const auto& [name, value] : env)
            setenv(name.c_str(), value.c_str(), 1);
        if (!std::freopen(output_.c_str(), "w", stdout)) _exit(126);
        dup2(fileno(stdout), fileno(stderr));
        std::vector<char*> argv{const_cast<char*>(TIDEMERE_BINARY)};
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(TIDEMERE_BINARY, argv.data());
        _exit(127);
    }
    ~TankProcess() {
        if (pid_ <= 0 || done_) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    TankProcess(const TankProcess&) = delete;
    TankProcess& operator=(const TankProcess&) = delete;

    // Exit status (128 + signal when killed), or -1 while it still runs after `seconds`.
    int Wait(double seconds) {
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        for (int status = 0;; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                done_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() >= until) return -1;
        }
    }
    pid_t Pid() const { return pid_; }
    // Everything it printed so far.
    std::string Output() const { return ReadWholeFile(output_); }

private:
    pid_t pid_ = -1;
    bool done_ = false;
    std::string output_;
};
