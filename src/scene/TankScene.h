#pragma once

#include <GL/gl.h>

#include <functional>
#include <string>

#include "fish/Fish.h"
#include "fish/FoodFish.h"
#include "scene/Backdrop.h"
#include "scene/BubbleSystem.h"
#include "fish/SceneTypes.h"
#include "scene/TankBounds.h"
#include "settings/SettingsRecord.h"

class Slideshow;

// Everything the tank draws and animates, owned for the life of the view.
// Plain class: no window, no widgets; the view and the GL tests drive it.
class TankScene {
public:
    static constexpr int kFishCount = 5;
    static constexpr int kPickColumns = 101;
    static constexpr int kPickRows = 51;
    static constexpr int kFoodFishCount = 50;

    Vec3f PickColumns[kPickColumns];
    Vec3f PickRows[kPickRows];
    BubbleSystem Bubbles;
    Fish Fishes[kFishCount];
    FoodFish Food[kFoodFishCount];
    bool HelpTextVisible = true;
    BackdropPatch Backdrop;
    TankBounds Bounds;
    GLuint BackgroundTexture = 0;
    // Width / height of the built-in picture (0 until it is loaded).
    double BuiltinAspect = 0;
    GLuint FishTextures[kFishCount] = {};
    // One skin for the whole pool of prey.
    GLuint PreyTexture = 0;
    // The user's pictures; the backdrop shows their current one while their
    // OwnBackgroundActive is set. Not owned; may be null.
    const Slideshow* UserBackgrounds = nullptr;
    // This run's settings: Start loads them from the file; the fish dialog
    // and a screensaver's own options change them in memory.
    SettingsRecord Settings;
    int MousePos[2] = {0, 0};
    bool ButtonDown = false;
    bool FeedClickPending = false;
    int InteractionMode = ID_FEED_FISH;
    int ScreenWidth = 1680;
    int ScreenHeight = 1050;
    float CameraZOffset = -5.0f;
    Vec3f BubbleEmitterPos;
    FishPositionRecord FishPositions[kFishCount];

    // Prey released by feed clicks and eaten so far (reported by scripted runs).
    int PreyReleased = 0;
    int PreyEaten = 0;

    // How far the start sequence got. Frames draw only what was set up.
    enum class StartState { NotStarted, NoTempPath, Started };
    StartState State = StartState::NotStarted;

    // Skips fills that change no pixel (a black quad behind everything).
    // Off only to compare against the straightforward drawing.
    bool SkipHiddenFills = true;

    // Fish go to GL from vertex arrays, one call per fish. Off only to compare
    // against immediate mode, vertex by vertex.
    bool DrawFishFromArrays = true;

    // The backdrop goes first where that changes no pixel, and its skin is
    // filtered without mip levels where none would be used. Off only to
    // compare against the straightforward drawing.
    bool FastBackdrop = true;

    // Fewer distinct GL states for the same pixels: on a software renderer each
    // state the scene draws with is a shader compiled at start-up and kept
    // resident. Start draws nothing nobody sees, and blending stays off where
    // it would copy the source. Off only to compare against the
    // straightforward drawing.
    bool FewerGlStates = true;

    // The start sequence after the GL context is current: fixed state,
    // bounds, backdrop, built-in textures, settings, bubbles, fish, prey.
    // `screenWidth` x `screenHeight` picks the tank bounds.
    void Start(int screenWidth, int screenHeight);
    // The view is now `width` x `height` pixels. A new shape gets bounds of
    // its own, so the wall still fills the view.
    void Reshape(int width, int height);
    // Told each stage of Start as it is reached (start-up timing); may be empty.
    std::function<void(const char*)> StartStage;

    // One 10 ms step of the tank, drawn, without the buffer swap (the caller swaps).
    void RenderFrame();

    // One 10 ms step nobody sees: everything moves exactly as in RenderFrame
    // (the same order, the same random draws) but nothing touches GL. The
    // picks wait for the next drawn step, since they read the drawing.
    void AdvanceStep();

    // The fixed camera and the frame's frustum for the screen size.
    void SetProjectionAndCamera() const;

    // Steps taken, drawn or not.
    long long StepsTaken = 0;

    // Total number of fish swimming (sum of the kind counts, at most 5).
    int ActiveFishCount() const;

    // A press made in the old mode must not act in the new one.
    void SetInteractionMode(int mode) {
        InteractionMode = mode;
        ButtonDown = false;
    }

    // Does the backdrop fill the whole view, however it sways?
    bool BackdropCoversView() const;
    // Is a backdrop skin of this many texels shown at level 0 everywhere
    // (never shrunk enough for a mip level to be chosen)?
    bool BackdropNeverMinified(int texelsAcross, int texelsDown) const;

private:
    void Step(bool draw);
    // Places what stands at the edges of the bounds: the bubble source, the
    // feed columns and rows.
    void PlaceByBounds();
    double boundsAspect_ = 0;
    void DrawBackdropFirst();
    // Binds the user's current picture (turned to read the right way round)
    // or the built-in one, and pushes the texture matrix that crops it to
    // cover the view.
    void BindBackdropTexture();
    void UnbindBackdropTexture();
    double EyeToWall() const;
    void ChooseBackdropFilter();
    void ReleaseFont();
    GLuint FilterTexture = 0;  // the skin whose filter is chosen
    GLint OwnMinFilter = 0;
    GLint CurrentMinFilter = 0;
};
