#pragma once

#include <string>

// Built-in artwork and sound ship scrambled inside the program.

// The resource's bytes, unscrambled in memory; empty when no resource has
// that identifier. Pictures and sound are used straight from these bytes:
// nothing built in is ever written to disk.
std::string LoadResourceBytes(int id);

// The program's own copies of the resources read so far leave its resident
// set (they stay in the page cache and come back if read again). One call
// after the start's loading, since each costs a flush of the page tables.
void ReleaseResourcePages();
