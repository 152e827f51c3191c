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
