#pragma once

#include <functional>
#include <string>

// Every message the program has for its user goes through here, so that one
// place decides how it is seen. Each is written to stderr as one line (line
// breaks and other control characters in a path are escaped); a box opens
// too when the run installed a box handler. A screensaver hack installs
// none: it never opens a window of its own, and its run goes on.
using MessageBoxHandler = std::function<void(const std::string& text, const std::string& caption)>;

// A message a box would show: "caption: text" on stderr, and the box if allowed.
void ShowMessageBox(const std::string& text, const std::string& caption);
// A problem that never earns a box: "tidemere: text" on stderr.
void ReportProblem(const std::string& text);
// Installs `handler` (empty: stderr only) and returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// `text` fit for one line: control characters become escapes such as \n.
std::string MessageLine(const std::string& text);
