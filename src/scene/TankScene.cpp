#include "scene/TankScene.h"

#include <GL/glu.h>

#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "scene/FishPass.h"
#include "scene/PickPass.h"
#include "scene/Resources.h"
#include "scene/TextOverlay.h"
#include "scene/Textures.h"
#include "settings/SettingsRecord.h"

namespace {

// The single light; its colours follow LIGHTQIANGDU every frame.
GLfloat g_lightAmbient[4] = {1, 1, 1, 1};
GLfloat g_lightDiffuse[4] = {1, 1, 1, 1};
const GLfloat kLightPosition[4] = {1000, -1000, 1000, 1};
// Added to the camera eye; the camera never moves.
const GLfloat kEyeOffset[3] = {0, 0, 0};

void SetFixedState() {
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
    glEnable(GL_BLEND);
}

void SetUpFog() {
    const GLfloat fogColor[4] = {1, 1, 1, 1};
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogfv(GL_FOG_COLOR, fogColor);
    glFogf(GL_FOG_DENSITY, 0.5f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, -10.0f);
    glFogf(GL_FOG_END, 100.0f);
    glEnable(GL_FOG);
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
void DrawBackgroundQuads(const TankBounds& b, bool skipHidden) {
    const bool fixed = Settings.BackGuding != 0;
    const bool gradient = Settings.BackManJianBian != 0;
    // A black quad over the black clear changes no pixel once the fog of the
    // first frame is gone, and nothing lies behind it, so it is skipped:
    // on a software renderer every full-screen fill costs milliseconds.
    const bool fixedIsInvisible = skipHidden && (Settings.BackColor & 0xffffff) == 0 && !gradient &&
                                  glIsEnabled(GL_FOG) == GL_FALSE;
    if (fixed && fixedIsInvisible) {
        // What the quad leaves behind still counts: later passes draw in this colour.
        glColor3ub(255, 255, 255);
    } else if (fixed) {
        glShadeModel(GL_SMOOTH);
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        const int c = Settings.BackColor;
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
        QuadVertices(b, true, Settings.BackColor2, Settings.BackColor1);
        glEnd();
        glColor3ub(255, 255, 255);
        glEnable(GL_TEXTURE_2D);
    }
}

// Extract, load and delete one built-in image.
template <typename Builder>
void LoadBuiltinTexture(int id, const std::string& folder, const std::string& stem,
                        Builder build, GLuint* texture) {
    const ExtractedResource file(id, folder, stem);
    build(file.Path(), texture);
}

}  // namespace

int TankScene::ActiveFishCount() const {
    int total = 0;
    for (int n : Settings.FishCounts) total += n;
    return total < 0 ? 0 : (total > kFishCount ? kFishCount : total);
}

void TankScene::Start(int screenWidth, int screenHeight) {
    BuildOutlineFont();
    SetFixedState();
    const std::string folder = WindowsFolder();

    ScreenWidth = screenWidth;
    ScreenHeight = screenHeight;
    Bounds = TankBoundsForScreen(screenWidth, screenHeight);

    // The first drawing goes to the back buffer, which the first frame clears.
    Backdrop.ComputeControlPoints(Bounds, Settings.Background);
    Backdrop.Draw();

    if (TempPath().empty()) {
        ShowMessageBox("Error Find TempPath.", "ERROR");
        State = StartState::NoTempPath;
        return;
    }

    LoadBuiltinTexture(154, folder, "BackGround0", CreateMipmappedTexture, &BackgroundTexture);
    for (int k = 0; k < kFishCount; ++k)
        LoadBuiltinTexture(10000 + k, folder, "fish" + std::to_string(k), CreateBitmapTexture,
                           &FishTextures[k]);

    LoadSettings();

    BubbleEmitterPos = {0.0f, Bounds.yMin - 5.0f, Bounds.zBack};
    Bubbles.Init(kMaxBubbles);
    for (int i = 0; i < kMaxBubbles; ++i) Bubbles.Draw(BubbleCount(Settings));
    PlaceFish(*this);
    for (int i = 0; i < kPickColumns; ++i)
        PickColumns[i] = {Bounds.xMin + i * 0.990099f, 0.0f, -70.0f};
    const int span = static_cast<int>(Bounds.yMax - Bounds.yMin);
    for (int j = 0; j < kPickRows; ++j)
        PickRows[j] = {0.0f, Bounds.yMin + span * 0.02f * j, -70.0f};

    for (FoodFish& food : Food) food.SetUp();

    SetUpFog();
    State = StartState::Started;
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

void TankScene::RenderFrame() {
    const bool started = State == StartState::Started;

    SetProjectionAndCamera();
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    DrawHelpOverlay(HelpTextVisible);

    SetLightLevel(Settings.LightQiangDu);
    glEnable(GL_LIGHTING);
    DrawBackgroundQuads(Bounds, SkipHiddenFills);

    if (started) {
        DrawFishPass(*this);
        Crowding(*this);
    }

    if (Settings.Background == 0 && Settings.ShowTerra != 0) {
        // Seam: a user's own background image replaces this texture once
        // custom backgrounds arrive.
        glBindTexture(GL_TEXTURE_2D, BackgroundTexture);
        glPushMatrix();
        Backdrop.ComputeControlPoints(Bounds, Settings.Background);
        Backdrop.Draw();
        glPopMatrix();
    }

    if (started) {
        glPushMatrix();
        glDisable(GL_FOG);
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
    }

    glDisable(GL_LIGHTING);

    if (started) DrawFoodFishPass(*this);

    if (started && InteractionMode == ID_FEED_FISH) {
        glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
        FeedPass(*this);
        glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
    }
    if (started && (InteractionMode == ID_TOUCH_FISH || InteractionMode == ID_ZOOM_IN_FISH ||
                    InteractionMode == ID_ZOOM_OUT_FISH))
        FishPickPass(*this);

    glFinish();
}
