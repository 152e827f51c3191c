#pragma once

#include <string>

// Built-in artwork and sound ship scrambled inside the program.

// The resource's bytes, unscrambled in memory; empty when no resource has
// that identifier. Pictures and sound are used straight from these bytes:
// nothing built in is ever written to disk.
std::string LoadResourceBytes(int id);
