#pragma once

#include <string>

// Built-in artwork and sound ship scrambled inside the program.

// The resource's bytes, unscrambled in memory; empty when no resource has
// that identifier. For artwork that never needs to be a file.
std::string LoadResourceBytes(int id);

// A built-in resource unscrambled into a fresh file of its own, named
// <folder><stem>-XXXXXX.bmp (.wav for "Music"), and deleted again when this
// object goes. The file is created exclusively, so no existing entry of any
// kind (a symlink, a directory, a stale file) is ever followed, needed or
// removed. An empty folder means the temp folder, never the current one.
class ExtractedResource {
public:
    ExtractedResource(int id, const std::string& folder, const std::string& stem);
    ~ExtractedResource();
    ExtractedResource(const ExtractedResource&) = delete;
    ExtractedResource& operator=(const ExtractedResource&) = delete;

    // The unpacked file, or "" when it could not be written (reported once).
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
