#include "support/TankProcess.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

TankProcess::TankProcess(const TempDir& home, std::vector<std::string> args, const Env& env,
                         int endSignal)
    : endSignal_(endSignal) {
    static int counter = 0;
    output_ = home.File("tidemere-" + std::to_string(counter++) + ".txt");
    pid_ = fork();
    if (pid_ != 0) return;
    setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home.File("runtime").c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("XSCREENSAVER_WINDOW");
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    if (!std::freopen(output_.c_str(), "w", stdout)) _exit(126);
    dup2(fileno(stdout), fileno(stderr));
    std::vector<char*> argv{const_cast<char*>(TIDEMERE_BINARY)};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(TIDEMERE_BINARY, argv.data());
    _exit(127);
}

TankProcess::~TankProcess() {
    if (pid_ > 0 && !done_) {
        kill(pid_, endSignal_);
        waitpid(pid_, nullptr, 0);
    }
}

int TankProcess::Wait(double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            done_ = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < until);
    return -1;
}

std::string TankProcess::Output() const { return ReadWholeFile(output_); }
