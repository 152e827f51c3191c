#include "scene/TankScene.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "scene/FishPass.h"
#include "scene/PickPass.h"
#include "scene/Resources.h"
#include "scene/TextOverlay.h"
#include "scene/Textures.h"
#include "settings/SettingsRecord.h"
#include "settings/Slideshow.h"

namespace {

// The single light; its colours follow LIGHTQIANGDU every frame.
GLfloat g_lightAmbient[4] = {1, 1, 1, 1};
GLfloat g_lightDiffuse[4] = {1, 1, 1, 1};
const GLfloat kLightPosition[4] = {1000, -1000, 1000, 1};
// Added to the camera eye; the camera never moves.
const GLfloat kEyeOffset[3] = {0, 0, 0};

void SetFixedState(bool blendOnlyWhenNeeded) {
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();  // the light position is fixed relative to the eye
    glLightfv(GL_LIGHT1, GL_AMBIENT, g_lightAmbient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, g_lightDiffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, kLightPosition);
    glEnable(GL_LIGHT1);
    glEnable(GL_COLOR_MATERIAL);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    // Blending with the default factors (one, zero) copies the source: the
    // same pixels as no blending, in one more compiled state. The bubble pass
    // sets its own factors and turns it off again.
    if (!blendOnlyWhenNeeded) glEnable(GL_BLEND);
}

void SetLightLevel(int lightStrength) {
    const float level = static_cast<float>(100 - lightStrength) * 0.01f;
    for (int i = 0; i < 3; ++i) g_lightAmbient[i] = g_lightDiffuse[i] = level;
    glLightfv(GL_LIGHT1, GL_AMBIENT, g_lightAmbient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, g_lightDiffuse);
}

void QuadVertices(const TankBounds& b, bool gradient, int lowColor, int highColor) {
    auto color = [](int c) {
        glColor3f((c & 0xff) / 255.0f, ((c >> 8) & 0xff) / 255.0f, ((c >> 16) & 0xff) / 255.0f);
    };
    if (gradient) color(lowColor);
    glVertex3f(2 * b.xMin, 3 * b.yMin, 3 * b.zBack);
    glVertex3f(2 * b.xMax, 3 * b.yMin, 3 * b.zBack);
    if (gradient) color(highColor);
    glVertex3f(2 * b.xMax, 3 * b.yMax, 3 * b.zBack);
    glVertex3f(2 * b.xMin, 3 * b.yMax, 3 * b.zBack);
}

// The flat quads far behind the tank: a fixed colour, then a gradient. They
// lie at the same depth, so the first one drawn is the one that shows.
void DrawBackgroundQuads(const SettingsRecord& settings, const TankBounds& b, bool skipHidden,
                         bool hiddenByBackdrop) {
    const bool fixed = settings.BackGuding != 0;
    const bool gradient = settings.BackManJianBian != 0;
    if (hiddenByBackdrop) {
        // Nothing of them shows, but later passes draw in the colour they leave.
        if (fixed || gradient) glColor3ub(255, 255, 255);
        return;
    }
    // A black quad over the black clear changes no pixel, and nothing lies
    // behind it, so it is skipped: on a software renderer every full-screen
    // fill costs milliseconds.
    const bool fixedIsInvisible = skipHidden && (settings.BackColor & 0xffffff) == 0 && !gradient;
    if (fixed && fixedIsInvisible) {
        // What the quad leaves behind still counts: later passes draw in this colour.
        glColor3ub(255, 255, 255);
    } else if (fixed) {
        glShadeModel(GL_SMOOTH);
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        const int c = settings.BackColor;
        glColor3ub(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
        QuadVertices(b, false, 0, 0);
        glEnd();
        glColor3ub(255, 255, 255);
        glEnable(GL_TEXTURE_2D);
    }
    if (gradient) {
        glShadeModel(GL_SMOOTH);
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        QuadVertices(b, true, settings.BackColor2, settings.BackColor1);
        glEnd();
        glColor3ub(255, 255, 255);
        glEnable(GL_TEXTURE_2D);
    }
}

// At this light strength or less the light saturates: the ambient term alone
// (the light's level plus the global 0.2) reaches full white.
constexpr int kSaturatingLight = 20;

// Below this many texels a pixel the filter never leaves mip level 0
// (nearest level: log2 under 0.5), so a plain linear filter is the same.
constexpr double kLevelZeroTexelsPerPixel = 1.3;

// One built-in image, unscrambled and uploaded from memory: no disk needed.
template <typename Builder>
void LoadBuiltinTexture(int id, Builder build, GLuint* texture) {
    const std::string bytes = LoadResourceBytes(id);
    build(AsBmpBytes(bytes), texture);
}

// The squares of a bubble pass nobody sees.
class NullQuadSink final : public BubbleQuadSink {
public:
    void Quad(const BubbleVertex (&)[4]) override {}
};

}  // namespace

bool TankScene::BackdropCoversView() const {
    // The wall as drawn: a grid of n x n flat cells between evaluated points.
    // It fills the view when its four edges lie beyond the four sides.
    const Frustum f = FrameFrustum(ScreenWidth, ScreenHeight);
    const double eyeZ = kBackdropZ + EyeToWall();
    const int n = Backdrop.Tessellation < 1 ? 1 : (Backdrop.Tessellation > 64 ? 64 : Backdrop.Tessellation);
    constexpr double kBeyond = 1.001;
    // For each edge: the least and greatest x and y, in units of the view's half size.
    double lo[4][2], hi[4][2];
    for (auto& e : lo) e[0] = e[1] = 1e9;
    for (auto& e : hi) e[0] = e[1] = -1e9;
    for (int i = 0; i <= n; ++i) {
        const double s = static_cast<double>(i) / n;
        Vec3d rows[BackdropPatch::kRows];
        for (int r = 0; r < BackdropPatch::kRows; ++r) rows[r] = Bernstein5(Backdrop.Points[r], s);
        for (int j = 0; j <= n; ++j) {
            if (i != 0 && i != n && j != 0 && j != n) continue;
            const Vec3d p = Bernstein5(rows, static_cast<double>(j) / n);
            const double depth = eyeZ - p.z;
            if (depth <= 1.0) return false;
            const double v[2] = {p.x / depth / f.right, p.y / depth / f.top};
            const int edges[4] = {i == 0 ? 0 : -1, i == n ? 1 : -1, j == 0 ? 2 : -1, j == n ? 3 : -1};
            for (int e : edges) {
                if (e < 0) continue;
                for (int a = 0; a < 2; ++a) {
                    lo[e][a] = std::min(lo[e][a], v[a]);
                    hi[e][a] = std::max(hi[e][a], v[a]);
                }
            }
        }
    }
    auto beyond = [&](int e, int axis, int sign) {
        return sign > 0 ? lo[e][axis] >= kBeyond : hi[e][axis] <= -kBeyond;
    };
    auto apart = [&](int e1, int e2, int axis) {
        return (beyond(e1, axis, 1) && beyond(e2, axis, -1)) ||
               (beyond(e1, axis, -1) && beyond(e2, axis, 1));
    };
    return apart(0, 1, 0) && apart(2, 3, 1);
}

double TankScene::EyeToWall() const { return kEyeOffset[2] + CameraZOffset - 5.0 - kBackdropZ; }

bool TankScene::BackdropNeverMinified(int texelsAcross, int texelsDown) const {
    if (texelsAcross < 1 || texelsDown < 1) return true;
    // Texels a pixel across and down where the wall is farthest (one unit
    // behind its flat part), with the picture cropped to cover the view.
    const Frustum f = FrameFrustum(ScreenWidth, ScreenHeight);
    const double wall = EyeToWall();
    const BackdropTextureMap m = CoverMapping(
        Bounds, f, wall, static_cast<double>(texelsAcross) / texelsDown, false);
    const double farthest = (wall + 1.0) / wall;
    const double viewShare = 1.0 / kBackdropSwayMargin;
    const double scale = viewShare * farthest;
    const double acrossPerPixel = texelsAcross * m.shown.across * scale / ScreenWidth;
    const double downPerPixel = texelsDown * m.shown.down * scale / ScreenHeight;
    return acrossPerPixel <= kLevelZeroTexelsPerPixel && downPerPixel <= kLevelZeroTexelsPerPixel;
}

void TankScene::BindBackdropTexture() {
    const int current = UserBackgrounds != nullptr ? UserBackgrounds->CurrentTexture : 0;
    // Until an own picture is ready, or when none is left, the built-in one shows.
    const bool own = current > 0 && UserBackgrounds->OwnBackgroundActive;
    double aspect = BuiltinAspect;
    if (own) {
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(current));
        aspect = UserBackgrounds->CurrentAspect();
        if (!(aspect > 0)) {
            GLint w = 0, h = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
            aspect = h > 0 ? static_cast<double>(w) / h : 0.0;
        }
    } else {
        glBindTexture(GL_TEXTURE_2D, BackgroundTexture);
    }
    // The picture covers the view, cropped to its shape; a photo is turned
    // to read the right way round, since the patch runs right to left.
    const BackdropTextureMap m =
        CoverMapping(Bounds, FrameFrustum(ScreenWidth, ScreenHeight), EyeToWall(), aspect, own);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glTranslated(m.sOffset, m.tOffset, 0.0);
    glScaled(m.sScale, m.tScale, 1.0);
    glMatrixMode(GL_MODELVIEW);
}

void TankScene::UnbindBackdropTexture() {
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void TankScene::DrawBackdropFirst() {
    // What the lit wall would show: with the light saturated, the current
    // colour (made opaque white by the background quads when they are on).
    GLfloat current[4];
    glGetFloatv(GL_CURRENT_COLOR, current);
    if (Settings.BackGuding != 0 || Settings.BackManJianBian != 0) glColor4f(1, 1, 1, 1);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    BindBackdropTexture();
    Backdrop.Draw();
    UnbindBackdropTexture();
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glColor4fv(current);
}

void TankScene::ReleaseFont() {
    // The outline font holds megabytes of glyph meshes for a second of
    // text; F1 builds it again. Freed memory inside the heap goes back too.
    ReleaseOutlineFont();
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void TankScene::ChooseBackdropFilter() {
    glBindTexture(GL_TEXTURE_2D, BackgroundTexture);
    if (FilterTexture != BackgroundTexture) {
        // A new skin: remember the filter it came with, to go back to.
        FilterTexture = BackgroundTexture;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &OwnMinFilter);
        CurrentMinFilter = OwnMinFilter;
    }
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    const GLint wanted = FastBackdrop && BackdropNeverMinified(w, h) ? GL_LINEAR : OwnMinFilter;
    if (wanted == CurrentMinFilter) return;
    CurrentMinFilter = wanted;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, wanted);
}

int TankScene::ActiveFishCount() const {
    int total = 0;
    for (int n : Settings.FishCounts) total += n;
    return total < 0 ? 0 : (total > kFishCount ? kFishCount : total);
}

void TankScene::Start(int screenWidth, int screenHeight) {
    auto stage = [this](const char* what) {
        if (StartStage) StartStage(what);
    };
    // The font is loaded, and its glyphs built, when the help text first
    // draws: a screensaver never shows it.
    SetFixedState(FewerGlStates);

    ScreenWidth = screenWidth;
    ScreenHeight = screenHeight;
    Bounds = TankBoundsForScreen(screenWidth, screenHeight);
    boundsAspect_ = static_cast<double>(screenWidth) / std::max(1, screenHeight);

    // The first drawing goes to the back buffer, which the first frame clears.
    Backdrop.ComputeControlPoints(Bounds, Settings.Background);
    if (!FewerGlStates) Backdrop.Draw();
    stage("backdrop");

    if (TempPath().empty()) {
        ShowMessageBox("Error Find TempPath.", "ERROR");
        State = StartState::NoTempPath;
        return;
    }

    LoadBuiltinTexture(154, CreateMipmappedTexture, &BackgroundTexture);
    {
        // The built-in picture keeps the shape it was painted in.
        GLint w = 0, h = 0;
        glBindTexture(GL_TEXTURE_2D, BackgroundTexture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        BuiltinAspect = h > 0 ? static_cast<double>(w) / h : 0.0;
    }
    for (int k = 0; k < kFishCount; ++k)
        LoadBuiltinTexture(10000 + k, CreateBitmapTexture, &FishTextures[k]);
    stage("built-in textures");

    LoadSettings(Settings);
    stage("settings");

    PlaceByBounds();
    Bubbles.Init(kMaxBubbles);
    if (FewerGlStates) {
        // The bubbles rise as if drawn, into a buffer the first frame clears anyway.
        NullQuadSink unseen;
        for (int i = 0; i < kMaxBubbles; ++i)
            Bubbles.DrawTo(BubbleCount(Settings), unseen);
        glBindTexture(GL_TEXTURE_2D, Bubbles.Texture);
    } else {
        for (int i = 0; i < kMaxBubbles; ++i)
            Bubbles.Draw(BubbleCount(Settings));
    }
    PlaceFish(*this);

    LoadBuiltinTexture(10005, CreateBitmapTexture, &PreyTexture);
    for (FoodFish& food : Food) food.SetUp(PreyTexture);

    // No fog: at the density it was made for, every fogged pixel is pure white.
    State = StartState::Started;
    stage("bubbles, fish, prey");
}

void TankScene::PlaceByBounds() {
    BubbleEmitterPos = {0.0f, Bounds.yMin - 5.0f, Bounds.zBack};
    for (int i = 0; i < kPickColumns; ++i)
        PickColumns[i] = {Bounds.xMin + i * Bounds.pickColumnStep, 0.0f, -70.0f};
    const int span = static_cast<int>(Bounds.yMax - Bounds.yMin);
    for (int j = 0; j < kPickRows; ++j)
        PickRows[j] = {0.0f, Bounds.yMin + span * 0.02f * j, -70.0f};
}

void TankScene::Reshape(int width, int height) {
    width = std::max(1, width);
    height = std::max(1, height);
    ScreenWidth = width;
    ScreenHeight = height;
    // The same shape keeps the bounds it started with (the table is keyed on
    // the screen's size, not the window's); a new shape would otherwise leave
    // black bars beside the wall.
    const double aspect = static_cast<double>(width) / height;
    if (State != StartState::Started || std::abs(aspect / boundsAspect_ - 1.0) < 0.01) return;
    Bounds = TankBoundsForScreen(width, height);
    boundsAspect_ = aspect;
    PlaceByBounds();
    Backdrop.ComputeControlPoints(Bounds, Settings.Background);
}

void TankScene::SetProjectionAndCamera() const {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const Frustum f = FrameFrustum(ScreenWidth, ScreenHeight);
    glFrustum(f.left, f.right, f.bottom, f.top, 1.0, 1000.0);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(kEyeOffset[0], kEyeOffset[1], kEyeOffset[2] + CameraZOffset - 5.0f, 0, 0, -500, 0,
              1, 0);
}

void TankScene::RenderFrame() { Step(true); }

void TankScene::AdvanceStep() { Step(false); }

// Drawn or not, a step runs the same moves in the same order: only GL calls
// and the picks (which read the drawing) depend on `draw`.
void TankScene::Step(bool draw) {
    const bool started = State == StartState::Started;
    ++StepsTaken;
    const bool backdropShown = Settings.Background == 0 && Settings.ShowTerra != 0;
    // The wall sways once a step; nothing before its place in the drawing reads it.
    if (backdropShown) Backdrop.ComputeControlPoints(Bounds, Settings.Background);
    // Everything in the tank lies in front of the wall, and where the wall
    // fills the view and the light saturates it can go first, unlit, without
    // depth: the same pixels, for a fraction of a full-screen depth-tested,
    // lit pass; nor is there any colour left to clear.
    const bool backdropFirst = draw && backdropShown && FastBackdrop &&
                               Settings.LightQiangDu <= kSaturatingLight && BackdropCoversView();

    if (draw) {
        SetProjectionAndCamera();
        glViewport(0, 0, ScreenWidth, ScreenHeight);
        if (backdropShown) ChooseBackdropFilter();
        if (backdropFirst) {
            glClear(GL_DEPTH_BUFFER_BIT);
            DrawBackdropFirst();
        } else {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        // The help text counts steps, so it stays up as long whatever the frame rate.
        if (HelpTextVisible && TextListBase == 0) PrepareOutlineFont();  // first shown, or again (F1)
        DrawHelpOverlay(HelpTextVisible);
        SetLightLevel(Settings.LightQiangDu);
        glEnable(GL_LIGHTING);
        DrawBackgroundQuads(Settings, Bounds, SkipHiddenFills, backdropFirst);
    } else {
        AdvanceHelpOverlay(HelpTextVisible);
    }
    if (draw && !HelpTextVisible && TextListBase != 0) ReleaseFont();

    if (started) {
        DrawFishPass(*this, draw);
        Crowding(*this);
    }

    if (backdropShown && !backdropFirst && draw) {
        BindBackdropTexture();
        glPushMatrix();
        Backdrop.Draw();
        glPopMatrix();
        UnbindBackdropTexture();
    }

    if (started && draw) {
        glPushMatrix();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glPushMatrix();
        glTranslatef(BubbleEmitterPos.x + 5.0f, BubbleEmitterPos.y - 25.0f,
                     BubbleEmitterPos.z - 60.0f);
        Bubbles.Draw(BubbleCount(Settings));
        glPopMatrix();
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        glPopMatrix();
    } else if (started) {
        // The jitter of every square is still drawn from the random numbers.
        NullQuadSink unseen;
        Bubbles.DrawTo(BubbleCount(Settings), unseen);
    }

    if (draw) glDisable(GL_LIGHTING);

    if (started) DrawFoodFishPass(*this, draw);

    if (started && InteractionMode == ID_FEED_FISH) {
        if (draw) glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
        FeedPass(*this, draw);
        if (draw) glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
    }
    if (draw && started &&
        (InteractionMode == ID_TOUCH_FISH || InteractionMode == ID_ZOOM_IN_FISH ||
         InteractionMode == ID_ZOOM_OUT_FISH))
        FishPickPass(*this);

    if (draw) glFinish();
}
