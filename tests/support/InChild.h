#pragma once

#include <sys/wait.h>
#include <unistd.h>

// Runs `body` in a child process; returns its exit status (100 + signal if killed).
template <typename Body>
int InChild(Body body) {
    const pid_t child = fork();
    if (child == 0) _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}
