#pragma once

#include <GL/gl.h>

#include <cstdarg>

// The 3D title and help lines drawn in front of the tank for the first frames.

// Frames the overlay has been shown since it last timed out.
extern int HelpFrameCounter;

// First of the 256 display lists of the outline font (0 until built).
extern GLuint TextListBase;

// Size and placement of one glyph, in em units (y up).
struct GlyphMetric {
    float blackBoxX = 0, blackBoxY = 0;  // extent of the drawn shape
    float originX = 0, originY = 0;      // its upper-left corner from the origin
    float cellIncX = 0, cellIncY = 0;    // how far the list moves the matrix
};
extern GlyphMetric GlyphMetrics[256];

// Builds the 256 outline-font display lists (current GL context): codes 0 to
// 254 from the default bold font, one unit per em, 0.2 deep; 255 stays empty.
void BuildOutlineFont();

// Reserves 256 new lists and opens the font, but builds each glyph only when
// DrawText3D first draws it: start-up pays for the few the help text uses.
void PrepareOutlineFont();

// Builds the glyphs of these codes not built yet (no-op without lists).
void BuildGlyphsFor(const char* text, int length);

// Deletes the display lists (TextListBase becomes 0) and closes the font;
// the metrics stay.
void ReleaseOutlineFont();

// printf-style 3D text at the current model-view matrix; a null format draws nothing.
void DrawText3D(const char* format, ...);

// The text DrawText3D draws: formatted into `buffer`, at most 255 characters.
// Returns its length; a null format gives 0.
int FormatText3D(char (&buffer)[256], const char* format, va_list args);

// Counts the frame and draws the four overlay lines while `helpTextVisible`.
void DrawHelpOverlay(bool& helpTextVisible);

// The counting half of DrawHelpOverlay: true when this frame shows the text.
bool AdvanceHelpOverlay(bool& helpTextVisible);

// Frames the overlay stays after being shown.
inline constexpr int kHelpOverlayFrames = 100;
