#pragma once

#include <string>

// The per-user folder where the settings file and every extracted resource
// live: $XDG_CONFIG_HOME/VelmarScr/ (default ~/.config/VelmarScr/), created
// private to the user, with a trailing '/'. When it cannot be made, reports
// "Error Find TempPath." (once per run) and returns "".
std::string WindowsFolder();

// WindowsFolder() + "./KelvaronSet.ini", or "" when there is no folder: the
// program then runs on the defaults and saves nothing.
std::string SettingsFilePath();

// A temp folder that exists and is writable, or "" when there is none.
std::string TempPath();
