#pragma once

#include <QColor>
#include <QPalette>

// Colours that stay legible whatever the desktop's theme: our fixed colours
// where they read well, the palette's (or plain black or white) where not.

// Contrast ratio of two colours, 1 (same) to 21 (black on white), as the
// accessibility guidelines define it.
double ContrastRatio(const QColor& a, const QColor& b);

// `wanted` when it contrasts with `background` by at least `minimum`, else
// `fallback` when that does, else black or white, whichever reads better.
QColor ReadableOn(const QColor& wanted, const QColor& background, const QColor& fallback,
                  double minimum = 4.5);

// True when the palette draws light text on a dark window.
bool IsDarkPalette(const QPalette& palette);
