#pragma once

#include <functional>
#include <string>

// Message boxes go through one function so that code below the widgets can
// report problems. The application installs a real box; without one the text
// goes to stderr.
using MessageBoxHandler = std::function<void(const std::string& text, const std::string& caption)>;

void ShowMessageBox(const std::string& text, const std::string& caption);
// Installs `handler` (empty restores stderr) and returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
