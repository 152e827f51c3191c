#pragma once

// The swimming volume, chosen once from the screen size.
struct TankBounds {
    float xMin = 0, xMax = 0, yMax = 0, yMin = 0, zBack = 0;
};

// Bounds for a screen of width x height pixels: the table of known sizes (the
// nearest aspect ratio for others), then x widened by 20 on both sides.
TankBounds TankBoundsForScreen(int width, int height);

// The frame's frustum on the near plane: half-size 0.4 on the shorter side.
struct Frustum {
    double left, right, bottom, top;
};
Frustum FrameFrustum(int width, int height);
