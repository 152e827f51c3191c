#pragma once

#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>

// The artwork (menu icons and mode cursors) is compiled into this static
// library as Qt resources; every loader below registers it on first use, so
// any program linking the library finds it without further set-up.
void EnsureArtworkResources();

// Resource path of a piece of artwork, for example ":/tidemere/icons/133.svg".
QString IconResourcePath(int iconId);
QString CursorResourcePath(int cursorId);

// Side of a cursor image in pixels.
constexpr int kCursorSize = 32;

// The cursor shown in a tank mode: the button-up or button-down image, or 0
// for modes that leave the cursor alone.
int CursorIdForMode(int interactionMode, bool buttonDown);

// Where a cursor points, in pixels of its 32 x 32 image.
QPoint CursorHotSpot(int cursorId);

// The cursor image rendered at 32 x 32; a null image for an unknown id.
QImage CursorImage(int cursorId);

// The cursor for the view's current mode and button state. *changes tells
// whether the view should set it at all: only the four tank modes (feed,
// touch, zoom in, zoom out) have cursors of their own.
QCursor CursorForMode(int interactionMode, bool buttonDown, bool* changes);
