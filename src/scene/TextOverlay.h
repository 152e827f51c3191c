#pragma once

// The 3D title and help lines drawn in front of the tank for the first frames.

// Frames the overlay has been shown since it last timed out.
extern int HelpFrameCounter;

// Builds the 256 outline-font display lists (current GL context).
void BuildOutlineFont();

// printf-style 3D text at the current model-view matrix; a null format draws nothing.
void DrawText3D(const char* format, ...);

// Counts the frame and draws the four overlay lines while `helpTextVisible`.
void DrawHelpOverlay(bool& helpTextVisible);
