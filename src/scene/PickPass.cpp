#include "scene/PickPass.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>

#include "fish/GlFishSink.h"
#include "fish/Reactions.h"
#include "scene/TankScene.h"

namespace {

constexpr int kBarRegion = 15;
constexpr int kFishRegion = 20;

// Does anything `draw` issues at `at` fall within region x region pixels
// around the mouse? Picks use their own 45-degree projection, not the frame's.
template <typename Draw>
bool SelectionPass(const int mouse[2], int region, const Vec3f& at, Draw&& draw) {
    static GLuint buffer[512];
    glPushMatrix();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glSelectBuffer(512, buffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(mouse[0], viewport[3] - mouse[1], region, region, viewport);
    gluPerspective(45.0, static_cast<double>(viewport[2]) / viewport[3], 0.1, 1000.0);

    glMatrixMode(GL_MODELVIEW);
    glTranslatef(at.x, at.y, at.z);
    draw();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    const GLint hits = glRenderMode(GL_RENDER);
    glPopMatrix();
    return hits > 0;
}

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

bool QuadInPickRegion(const PickView& view, const Vec3f& at, const Vec3f (&quad)[4]) {
    const int* vp = view.viewport;
    if (vp[2] <= 0 || vp[3] <= 0 || view.region <= 0) return false;
    // gluPickMatrix then gluPerspective(45, aspect, 0.1, 1000), as selection uses.
    const double region = view.region;
    const double sx = vp[2] / region, sy = vp[3] / region;
    const double tx = (vp[2] - 2.0 * (view.mouse[0] - vp[0])) / region;
    const double ty = (vp[3] - 2.0 * ((vp[3] - view.mouse[1]) - vp[1])) / region;
    const double f = 1.0 / std::tan(45.0 * 3.14159265358979323846 / 360.0);
    const double aspect = static_cast<double>(vp[2]) / vp[3];
    const double n = 0.1, fa = 1000.0;

    // Clip coordinates of the four corners.
    using Vertex = std::array<double, 4>;
    std::array<Vertex, 12> poly, next;  // six cuts add at most six corners
    size_t count = 0;
    const float* m = view.modelview;  // column-major
    for (const Vec3f& c : quad) {
        const double x = c.x + at.x, y = c.y + at.y, z = c.z + at.z;
        const double ex = m[0] * x + m[4] * y + m[8] * z + m[12];
        const double ey = m[1] * x + m[5] * y + m[9] * z + m[13];
        const double ez = m[2] * x + m[6] * y + m[10] * z + m[14];
        const double ew = m[3] * x + m[7] * y + m[11] * z + m[15];
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

FeedPickState& PickState() {
    static FeedPickState state;
    return state;
}

void FeedPass(TankScene& scene) {
    FeedPickState& pick = PickState();
    const TankBounds& b = scene.Bounds;
    Sweep(scene.PickColumns, &Vec3f::x, b.xMin, pick.ColumnsRising);
    Sweep(scene.PickRows, &Vec3f::y, b.yMin, pick.RowsRising);
    if (!scene.FeedClickPending) return;

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
    static GlFishSink sink;
    if (!scene.ButtonDown) return;
    scene.ButtonDown = false;
    const int total = scene.ActiveFishCount();
    for (int i = 0; i < total; ++i) {
        Fish& fish = scene.Fishes[i];
        // The pick draws the fish by ticking it: a picked-at fish swims one frame more.
        if (!SelectionPass(scene.MousePos, kFishRegion, Vec3f{fish.X, fish.Y, fish.Z},
                           [&] { fish.Tick(sink); }))
            continue;
        if (scene.InteractionMode == ID_TOUCH_FISH) {
            RespondToTouch(fish);
        } else {
            RespondToZoom(fish, scene.InteractionMode == ID_ZOOM_IN_FISH);
        }
        return;
    }
}
