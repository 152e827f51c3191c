#pragma once

// The swimming volume, chosen once from the screen size.
struct TankBounds {
    float xMin = 0, xMax = 0, yMax = 0, yMin = 0, zBack = 0;
    // Fish swim in x -fishXMax..fishXMax.
    float fishXMax = 50;
    // Spacing of the feed pick columns, which start at xMin.
    float pickColumnStep = 0.990099f;
    // The backdrop's rows stand this many times their usual heights apart.
    float wallHeightScale = 1;
};

// Bounds for a screen of width x height pixels: the table of known sizes (the
// nearest aspect ratio for others), then x widened by 20 on both sides. Other
// shapes grow beyond that until the backdrop fills the view and the fish,
// the feed columns and the wall reach its edges: wider for wide screens,
// taller for portrait ones.
TankBounds TankBoundsForScreen(int width, int height);

// The frame's frustum on the near plane: half-size 0.4 on the shorter side.
struct Frustum {
    double left, right, bottom, top;
};
Frustum FrameFrustum(int width, int height);

// The part of a picture drawn so that it covers an area of `areaAspect`
// (width / height) without being stretched: the fractions of its width and
// of its height kept, centred. Unknown aspects (0 or less) keep it whole.
struct CoverCrop {
    double across = 1, down = 1;
};
CoverCrop CoverCropFor(double pictureAspect, double areaAspect);
