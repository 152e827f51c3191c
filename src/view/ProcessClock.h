#pragma once

// Start-up time: from the moment the kernel started the process to the first
// frame drawn (10 ms resolution).
void MarkFirstFrame();
double FirstFrameMs();
