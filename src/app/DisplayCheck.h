#pragma once

#include <string>

// Qt ends the process (status 134) when it cannot reach a display; these
// checks let the program say so itself and leave with status 2.

// Before QApplication exists: empty when the platform Qt will choose can
// reach its display, else what is wrong. `argv` is scanned for -platform.
std::string DisplayProblem(int argc, char** argv);

// The X connection the check opened stays open until this is called, once Qt
// has its own: an X server with no client left resets, and a connection made
// during the reset waits for it (about 90 ms).
void ReleaseHeldDisplay();

// After QApplication exists: empty when a window of width x height logical
// pixels fits on the screens and in the GL's largest viewport, else why not.
std::string WindowSizeProblem(int width, int height);
