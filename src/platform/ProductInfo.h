#pragma once

// Names the program shows and stores under.
inline constexpr const char* kProductTitle = "Tidemere 1.1";
inline constexpr const char* kApplicationName = "VelmarScr";
inline constexpr const char* kOrganizationName = "Local AppWizard-Generated Applications";
inline constexpr const char* kSettingsFileName = "KelvaronSet.ini";
// The product's web address: the last overlay line and the dialog's link.
inline constexpr const char* kProductUrl = "https://www.tidemere.org";
