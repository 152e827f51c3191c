#pragma once

#include <functional>

#include "fish/SceneTypes.h"
#include "scene/TankBounds.h"

// The curved backdrop: a 6 x 6 Bezier patch whose two top rows sway.
class BackdropPatch {
public:
    static constexpr int kRows = 6;
    static constexpr int kCols = 6;

    Vec3d Points[kRows][kCols];
    int Tessellation = 2;
    float Wave = 0.0f;
    bool WaveRising = true;

    // Advances the wave (for backdrop styles 0 and 2) and recomputes the points.
    void ComputeControlPoints(const TankBounds& bounds, int backgroundStyle);

    // One tessellated vertex: texture coordinate and position.
    struct Vertex {
        double s, t;
        Vec3d p;
    };
    // Walks the tessellation strip by strip, vertex by vertex, as drawn.
    void Tessellate(const std::function<void()>& beginStrip,
                    const std::function<void(const Vertex&)>& vertex,
                    const std::function<void()>& endStrip) const;

    // Draws the patch with the bound texture in immediate mode.
    void Draw() const;
};

// Degree-5 Bernstein sum with the parameter running from the last point to
// the first: t = 0 gives q[5], t = 1 gives q[0].
Vec3d Bernstein5(const Vec3d q[6], double t);

// The wall's flat part stands at this z; its top and bottom rows at these
// heights (times the bounds' wall height scale).
constexpr double kBackdropZ = -90.0;
constexpr double kBackdropTop = 39.0, kBackdropBottom = -38.0;
// The sway moves the wall's top about a unit sideways and nearer: a little
// more than the view is mapped onto a picture, so no edge ever shows what
// lies past it.
constexpr double kBackdropSwayMargin = 1.04;

// Maps the wall's texture coordinates (s from 0 at xMax to 1 at xMin, t from
// 0 at the bottom row to 1 at the top) onto a picture: s' = s * sScale +
// sOffset, t' = t * tScale + tOffset.
struct BackdropTextureMap {
    double sScale = 1, sOffset = 0, tScale = 1, tOffset = 0;
    // Share of the picture's width and height mapped onto the view and its margin.
    CoverCrop shown;
};
// The picture, of `pictureAspect` (width / height), drawn to cover what an
// eye `eyeToWall` in front of the wall sees through `view`: cropped to the
// view's shape, never stretched, with a margin for the sway. `mirrored`
// turns it to read left to right (the patch runs right to left).
BackdropTextureMap CoverMapping(const TankBounds& bounds, const Frustum& view, double eyeToWall,
                                double pictureAspect, bool mirrored);

