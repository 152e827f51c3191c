#include "scene/TextOverlay.h"

int HelpFrameCounter = 0;

// Seam: the outline font arrives with the artwork.
void BuildOutlineFont() {}
void DrawText3D(const char*, ...) {}
void DrawHelpOverlay(bool&) {}
