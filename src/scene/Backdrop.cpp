#include "scene/Backdrop.h"

#include <GL/gl.h>

namespace {

constexpr float kRowHeights[BackdropPatch::kRows] = {39.0f, 23.6f, 8.2f, -7.2f, -22.6f, -38.0f};
constexpr double kBinomial5[6] = {1, 5, 10, 10, 5, 1};

}  // namespace

Vec3d Bernstein5(const Vec3d q[6], double t) {
    Vec3d r;
    double tp[6], up[6];
    tp[0] = up[0] = 1.0;
    for (int i = 1; i < 6; ++i) {
        tp[i] = tp[i - 1] * t;
        up[i] = up[i - 1] * (1.0 - t);
    }
    for (int m = 0; m < 6; ++m) {
        const double w = kBinomial5[m] * tp[5 - m] * up[m];
        r.x += w * q[m].x;
        r.y += w * q[m].y;
        r.z += w * q[m].z;
    }
    return r;
}

void BackdropPatch::ComputeControlPoints(const TankBounds& bounds, int backgroundStyle) {
    if (backgroundStyle == 0 || backgroundStyle == 2) {
        Wave += WaveRising ? 0.008f : -0.008f;
        if (Wave > 1.0f) WaveRising = false;
        if (Wave < -0.5f) WaveRising = true;
    }
    Tessellation = 2;
    const double d = (bounds.xMax - bounds.xMin) * 0.2;
    for (int r = 0; r < kRows; ++r) {
        for (int k = 0; k < kCols; ++k) {
            const double xk = bounds.xMin + k * d;
            Vec3d& p = Points[r][k];
            p.y = kRowHeights[r] * static_cast<double>(bounds.wallHeightScale);
            if (r < 2) {
                p.x = xk + Wave;
                p.z = (k % 2 == 0) ? Wave + kBackdropZ : kBackdropZ - Wave;
            } else {
                p.x = xk;
                p.z = kBackdropZ;
            }
        }
    }
}

void BackdropPatch::Tessellate(const std::function<void()>& beginStrip,
                               const std::function<void(const Vertex&)>& vertex,
                               const std::function<void()>& endStrip) const {
    const int n = Tessellation < 1 ? 1 : (Tessellation > 64 ? 64 : Tessellation);
    Vec3d lastColumn[6];
    for (int r = 0; r < kRows; ++r) lastColumn[r] = Points[r][kCols - 1];
    Vec3d previous[65];
    for (int j = 0; j <= n; ++j) previous[j] = Bernstein5(lastColumn, static_cast<double>(j) / n);

    for (int i = 0; i <= n; ++i) {
        const double s = static_cast<double>(i) / n;
        Vec3d rows[6];
        for (int r = 0; r < kRows; ++r) rows[r] = Bernstein5(Points[r], s);
        beginStrip();
        for (int j = 0; j <= n; ++j) {
            const double u = static_cast<double>(j) / n;
            vertex({static_cast<double>(i - 1) / n, u, previous[j]});
            previous[j] = Bernstein5(rows, u);
            vertex({s, u, previous[j]});
        }
        endStrip();
    }
}

void BackdropPatch::Draw() const {
    Tessellate([] { glBegin(GL_TRIANGLE_STRIP); },
               [](const Vertex& v) {
                   glTexCoord2d(v.s, v.t);
                   glVertex3d(v.p.x, v.p.y, v.p.z);
               },
               [] { glEnd(); });
}

BackdropTextureMap CoverMapping(const TankBounds& bounds, const Frustum& view, double eyeToWall,
                                double pictureAspect, bool mirrored) {
    BackdropTextureMap m;
    const double width = static_cast<double>(bounds.xMax) - bounds.xMin;
    const double top = kBackdropTop * bounds.wallHeightScale;
    const double bottom = kBackdropBottom * bounds.wallHeightScale;
    if (!(width > 0) || !(eyeToWall > 0)) return m;
    // The view's half sizes where it meets the flat wall.
    const double halfX = (view.right - view.left) / 2 * eyeToWall * kBackdropSwayMargin;
    const double halfY = (view.top - view.bottom) / 2 * eyeToWall * kBackdropSwayMargin;
    const double sLow = (bounds.xMax - halfX) / width;
    const double sHigh = (bounds.xMax + halfX) / width;
    const double tLow = (-halfY - bottom) / (top - bottom);
    const double tHigh = (halfY - bottom) / (top - bottom);
    m.shown = CoverCropFor(pictureAspect, halfX / halfY);
    const double across = m.shown.across, down = m.shown.down;
    m.sScale = across / (sHigh - sLow) * (mirrored ? -1 : 1);
    m.sOffset = (mirrored ? 0.5 + across / 2 : 0.5 - across / 2) - m.sScale * sLow;
    m.tScale = down / (tHigh - tLow);
    m.tOffset = 0.5 - down / 2 - m.tScale * tLow;
    return m;
}
