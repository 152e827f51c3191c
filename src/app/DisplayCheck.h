#pragma once

#include <optional>
#include <string>

#include "app/XWindowProbe.h"

// Qt ends the process (status 134) when it cannot reach a display; these
// checks let the program say so itself and leave with status 2.

// Before QApplication exists: empty when the platform Qt will choose can
// reach its display, else what is wrong. `argv` is scanned for -platform.
// An X display is tried through `connection`, which the caller keeps open
// until Qt has its own (see main).
std::string DisplayProblem(int argc, char** argv, std::optional<XWindowProbe>* connection);

// After QApplication exists: empty when a window of width x height logical
// pixels fits on the screens and in the GL's largest viewport, else why not.
std::string WindowSizeProblem(int width, int height);
