#include "scene/PickPass.h"

#include <GL/gl.h>
#include <GL/glu.h>

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

void DrawColumn() {
    glBegin(GL_QUADS);
    glVertex3f(-0.5f, -30.0f, 1.0f);
    glVertex3f(0.5f, -30.0f, 1.0f);
    glVertex3f(0.5f, 30.0f, 1.0f);
    glVertex3f(-0.5f, 30.0f, 1.0f);
    glEnd();
}

void DrawRow() {
    glBegin(GL_QUADS);
    glVertex3f(-90.0f, -0.5f, 1.0f);
    glVertex3f(90.0f, -0.5f, 1.0f);
    glVertex3f(90.0f, 0.5f, 1.0f);
    glVertex3f(-90.0f, 0.5f, 1.0f);
    glEnd();
}

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
template <int N, typename Draw>
float FirstBarHit(const Vec3f (&bars)[N], float Vec3f::*axis, const int mouse[2], Draw draw) {
    for (const Vec3f& bar : bars)
        if (SelectionPass(mouse, kBarRegion, bar, draw)) return bar.*axis;
    return 0;
}

}  // namespace

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

    const float x = FirstBarHit(scene.PickColumns, &Vec3f::x, scene.MousePos, DrawColumn);
    const float y = FirstBarHit(scene.PickRows, &Vec3f::y, scene.MousePos, DrawRow);
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
