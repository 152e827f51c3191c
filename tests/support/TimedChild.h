#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

// Status InChildWithin gives when the body was still running at its limit.
constexpr int kChildHung = 200;

// Runs `body` in a child process and returns its exit status, 100 + signal
// when it was killed, or kChildHung (after killing it) when it had not ended
// within `seconds`: a hang fails the test instead of stalling the run.
template <typename Body>
int InChildWithin(double seconds, Body body) {
    const pid_t child = fork();
    if (child == 0) _exit(body());
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (int status = 0;; std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
        if (waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
        if (std::chrono::steady_clock::now() >= until) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            return kChildHung;
        }
    }
}
