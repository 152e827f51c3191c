#pragma once

// Start-up time: from the moment the kernel started the process to the first
// frame drawn (10 ms resolution).
void MarkFirstFrame();
double FirstFrameMs();

// With TIDEMERE_STARTUP_TRACE set, prints to stderr how long after the
// process start `what` was reached, to see where start-up goes.
void StartupMark(const char* what);
