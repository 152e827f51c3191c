#pragma once

#include <string>

// Built-in artwork and sound ship scrambled inside the program. A requester
// extracts one to <folder><stem>.ad, which is unscrambled to <stem>.bmp (or
// Music.wav), loads it, then deletes both files.

// Writes the resource's bytes to folder + stem + ".ad" and unscrambles them.
// Returns 1 when the resource exists and both files were produced, 0 when no
// resource has that identifier (nothing is written then).
int ExtractResource(int id, const std::string& folder, const std::string& stem);

// folder + stem + ".ad" -> folder + stem + ".bmp" (".wav" for the stem "Music").
void UnscrambleFile(const std::string& folder, const std::string& stem);

// Deletes a file, ignoring failure.
void DeleteExtractedFile(const std::string& path);

// The resource's bytes, unscrambled in memory; empty when no resource has
// that identifier. For artwork that never needs to be a file.
std::string LoadResourceBytes(int id);
