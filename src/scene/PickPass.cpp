#include "scene/PickPass.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>

#include "fish/Reactions.h"
#include "scene/TankScene.h"

namespace {

constexpr int kBarRegion = 15;
constexpr int kFishRegion = 20;

// The bars are thin quads at z 1 in front of their position: a column 1 x 60
// and a row 180 x 1.
constexpr Vec3f kColumn[4] = {{-0.5f, -30.0f, 1.0f}, {0.5f, -30.0f, 1.0f}, {0.5f, 30.0f, 1.0f},
                              {-0.5f, 30.0f, 1.0f}};
constexpr Vec3f kRow[4] = {{-90.0f, -0.5f, 1.0f}, {90.0f, -0.5f, 1.0f}, {90.0f, 0.5f, 1.0f},
                           {-90.0f, 0.5f, 1.0f}};

// Slides the bars half a unit a frame, turning about 5 units either side of
// where they started, so later frames probe between earlier bar positions.
template <int N>
void Sweep(Vec3f (&bars)[N], float Vec3f::*axis, float start, bool& rising) {
    for (Vec3f& bar : bars) {
        const float first = bars[0].*axis;
        if (start - 5 > first) rising = true;
        if (start + 5 < first) {
            rising = false;
            bar.*axis -= 0.5f;
        } else {
            bar.*axis += rising ? 0.5f : -0.5f;
        }
    }
}

// The coordinate of the first bar under the mouse, or 0 when none is.
// Worked out here rather than with GL's selection mode, which costs a
// software renderer memory on every pass.
template <int N>
float FirstBarHit(const Vec3f (&bars)[N], float Vec3f::*axis, const PickView& view,
                  const Vec3f (&quad)[4]) {
    for (const Vec3f& bar : bars)
        if (QuadInPickRegion(view, bar, quad)) return bar.*axis;
    return 0;
}

}  // namespace

PickView CurrentPickView(const int mouse[2], int region) {
    PickView view;
    glGetFloatv(GL_MODELVIEW_MATRIX, view.modelview);
    glGetIntegerv(GL_VIEWPORT, view.viewport);
    view.mouse[0] = mouse[0];
    view.mouse[1] = mouse[1];
    view.region = region;
    return view;
}

bool EyePolygonInPickRegion(const PickView& view, const double (*eye)[4], int corners) {
    const int* vp = view.viewport;
    if (vp[2] <= 0 || vp[3] <= 0 || view.region <= 0 || corners < 1 || corners > 4) return false;
    // gluPickMatrix then gluPerspective(45, aspect, 0.1, 1000), as selection uses.
    const double region = view.region;
    const double sx = vp[2] / region, sy = vp[3] / region;
    const double tx = (vp[2] - 2.0 * (view.mouse[0] - vp[0])) / region;
    const double ty = (vp[3] - 2.0 * ((vp[3] - view.mouse[1]) - vp[1])) / region;
    const double f = 1.0 / std::tan(45.0 * 3.14159265358979323846 / 360.0);
    const double aspect = static_cast<double>(vp[2]) / vp[3];
    const double n = 0.1, fa = 1000.0;

    // Clip coordinates of the corners.
    using Vertex = std::array<double, 4>;
    std::array<Vertex, 12> poly, next;  // six cuts add at most six corners
    size_t count = 0;
    for (int i = 0; i < corners; ++i) {
        const double ex = eye[i][0], ey = eye[i][1], ez = eye[i][2], ew = eye[i][3];
        const double px = f / aspect * ex, py = f * ey;
        const double pz = (fa + n) / (n - fa) * ez + 2 * fa * n / (n - fa) * ew;
        const double pw = -ez;
        poly[count++] = {sx * px + tx * pw, sy * py + ty * pw, pz, pw};
    }
    // Cut the polygon by each of the six planes -w <= x, y, z <= w; a hit is
    // whatever is left.
    for (int plane = 0; plane < 6 && count > 0; ++plane) {
        const int axis = plane / 2;
        const double sign = plane % 2 ? -1.0 : 1.0;
        auto inside = [&](const Vertex& v) { return v[3] + sign * v[axis]; };
        size_t kept = 0;
        for (size_t i = 0; i < count; ++i) {
            const Vertex& a = poly[i];
            const Vertex& b = poly[(i + 1) % count];
            const double da = inside(a), db = inside(b);
            if (da >= 0) next[kept++] = a;
            if ((da >= 0) != (db >= 0)) {
                const double t = da / (da - db);
                Vertex v;
                for (int k = 0; k < 4; ++k) v[k] = a[k] + t * (b[k] - a[k]);
                next[kept++] = v;
            }
        }
        poly = next;
        count = kept;
    }
    return count > 0;
}

bool QuadInPickRegion(const PickView& view, const Vec3f& at, const Vec3f (&quad)[4]) {
    double eye[4][4];
    const float* m = view.modelview;  // column-major
    for (int i = 0; i < 4; ++i) {
        const double x = quad[i].x + at.x, y = quad[i].y + at.y, z = quad[i].z + at.z;
        for (int r = 0; r < 4; ++r) eye[i][r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
    }
    return EyePolygonInPickRegion(view, eye, 4);
}

PickFishSink::PickFishSink(const PickView& view, const Vec3f& at) : view_(view) {
    Matrix m;
    for (int i = 0; i < 16; ++i) m[i] = view.modelview[i];
    stack_.push_back(m);
    Translate(at.x, at.y, at.z);
}

void PickFishSink::Multiply(const Matrix& by) {
    Matrix& m = stack_.back();
    Matrix out{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k) out[c * 4 + r] += m[k * 4 + r] * by[c * 4 + k];
    m = out;
}

void PickFishSink::Vertex(float, float, float, float, float, float x, float y, float z) {
    if (Hit) return;  // one hit is all selection reports
    const Matrix& m = stack_.back();
    std::array<double, 4> eye;
    for (int r = 0; r < 4; ++r) eye[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
    strip_.push_back(eye);
    // A quad strip: every new pair closes a quad with the pair before.
    const size_t n = strip_.size();
    if (n >= 4 && n % 2 == 0) {
        const double quad[4][4] = {{strip_[n - 4][0], strip_[n - 4][1], strip_[n - 4][2], strip_[n - 4][3]},
                                   {strip_[n - 3][0], strip_[n - 3][1], strip_[n - 3][2], strip_[n - 3][3]},
                                   {strip_[n - 1][0], strip_[n - 1][1], strip_[n - 1][2], strip_[n - 1][3]},
                                   {strip_[n - 2][0], strip_[n - 2][1], strip_[n - 2][2], strip_[n - 2][3]}};
        Hit = EyePolygonInPickRegion(view_, quad, 4);
    }
}

void PickFishSink::PopMatrix() {
    if (stack_.size() > 1) stack_.pop_back();
}

void PickFishSink::Rotate(float degrees, float ax, float ay, float az) {
    const double len = std::sqrt(double(ax) * ax + double(ay) * ay + double(az) * az);
    if (len == 0) return;
    const double x = ax / len, y = ay / len, z = az / len;
    const double a = degrees * 3.14159265358979323846 / 180.0;
    const double c = std::cos(a), s = std::sin(a), t = 1 - c;
    // glRotate's matrix, column by column.
    Multiply({t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0,  //
              t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0,  //
              t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0,  //
              0, 0, 0, 1});
}

void PickFishSink::Translate(float x, float y, float z) {
    Multiply({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1});
}

void PickFishSink::Scale(float k) {
    Multiply({k, 0, 0, 0, 0, k, 0, 0, 0, 0, k, 0, 0, 0, 0, 1});
}

FeedPickState& PickState() {
    static FeedPickState state;
    return state;
}

void FeedPass(TankScene& scene, bool drawn) {
    FeedPickState& pick = PickState();
    const TankBounds& b = scene.Bounds;
    Sweep(scene.PickColumns, &Vec3f::x, b.xMin, pick.ColumnsRising);
    Sweep(scene.PickRows, &Vec3f::y, b.yMin, pick.RowsRising);
    if (!drawn || !scene.FeedClickPending) return;

    const PickView view = CurrentPickView(scene.MousePos, kBarRegion);
    const float x = FirstBarHit(scene.PickColumns, &Vec3f::x, view, kColumn);
    const float y = FirstBarHit(scene.PickRows, &Vec3f::y, view, kRow);
    if (!pick.XResolved && x >= b.xMin && x <= b.xMax) {
        pick.FeedX = x;
        pick.XResolved = true;
    }
    if (!pick.YResolved && y >= b.yMin && y <= b.yMax) {
        pick.FeedY = y;
        pick.YResolved = true;
    }
    if (!(pick.XResolved && pick.YResolved)) return;

    pick.XResolved = pick.YResolved = false;
    scene.FeedClickPending = false;
    if (ReleaseFoodFish(scene.Food, TankScene::kFoodFishCount, pick.FeedX, pick.FeedY) >= 0)
        ++scene.PreyReleased;
}

void FishPickPass(TankScene& scene) {
    if (!scene.ButtonDown) return;
    scene.ButtonDown = false;
    const PickView view = CurrentPickView(scene.MousePos, kFishRegion);
    const int total = scene.ActiveFishCount();
    for (int i = 0; i < total; ++i) {
        Fish& fish = scene.Fishes[i];
        // The pick draws the fish by ticking it: a picked-at fish swims one frame more.
        PickFishSink sink(view, Vec3f{fish.X, fish.Y, fish.Z});
        fish.Tick(sink);
        if (!sink.Hit) continue;
        if (scene.InteractionMode == ID_TOUCH_FISH) {
            RespondToTouch(fish);
        } else {
            RespondToZoom(fish, scene.InteractionMode == ID_ZOOM_IN_FISH);
        }
        return;
    }
}
