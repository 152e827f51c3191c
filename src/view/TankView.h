#pragma once

#include <QElapsedTimer>
#include <QOpenGLWindow>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "scene/TankScene.h"
#include "view/FramePacer.h"
#include "view/WindowVisibility.h"

class CustomBackgroundDialog;
class FishDialog;
class MusicDialog;
class MusicRunner;
class SlideshowRunner;

// How a run is driven from the command line.
struct RunOptions {
    int boundsWidth = 0;   // screen (or --window) size that picks the tank bounds
    int boundsHeight = 0;
    int frames = 0;        // quit after this many frames; 0 runs until the user leaves
    std::string screenshot;
    bool benchmark = false;
    int fps = 0;  // 0: as fast as the display refreshes, at most 100
    int bubbles = -1;  // hack mode: bubbles drawn, overriding the settings; -1: as set
    int light = -1;    // hack mode: brightness 0 (dark)..100 (full), overriding the settings; -1: as set
    bool sound = true;  // false: the audio device is never opened (a silent screensaver)
};

// The window that shows the tank and runs the frame loop: the tank moves in
// 10 ms steps, 100 a second; each frame runs the steps real time owes and
// draws the last (a slow frame drops time, steps never pile up). The
// benchmark draws every step, as fast as it can.
class TankView : public QOpenGLWindow {
    Q_OBJECT
public:
    explicit TankView(const RunOptions& options, QWindow* parent = nullptr);
    ~TankView() override;

    TankScene& Scene() { return scene_; }
    int FramesDrawn() const { return framesDrawn_; }
    // The dialogs are built when the menu first opens them: null until then.
    CustomBackgroundDialog* BackgroundDialog() const { return backgroundDialog_.get(); }
    MusicDialog* MusicDialogIfBuilt() const { return musicDialog_.get(); }
    // What runs from the start without them; null before the scene starts
    // (and the music without sound).
    SlideshowRunner* Slideshow() const { return slideshow_.get(); }
    MusicRunner* Music() const { return music_.get(); }

    // Stops the loop and lets go of the GL context (the Exit command and close);
    // saves what the open dialogs hold first.
    void Teardown();

    // Saves what the open dialogs hold, exactly as hiding them would.
    void SaveOpenDialogs();
    // The orderly end of every path out (Exit, Escape, SIGTERM, SIGINT,
    // SIGHUP, the hack's window going away): save, then leave with `status`.
    [[noreturn]] void Leave(int status = 0);
    // Asks the view to Leave() from a signal handler or any thread.
    static void RequestLeave();
    // Leave() from any thread: the view's own thread leaves at once, another
    // asks it and leaves anyway after half a second (a wedged GUI is not waited for).
    [[noreturn]] static void LeaveFromAnyThread();

    // The surface format the view asks for.
    static QSurfaceFormat RequestedFormat(bool benchmark);

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void exposeEvent(QExposeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

public:
    // A command from the popup menu: becomes the interaction mode, and some
    // open a dialog or end the program.
    void OnCommand(int commandId);

private:
    void RunFishDialog();
    // The frame, or the foreign window in hack mode: dialogs and the menu sit above it.
    QWindow* TopLevel();
    void Tick();
    // Can anyone see the tank? Unmapped, minimised or fully covered, it
    // draws nothing and its timer stops until it shows again.
    bool Seen() const;
    // Stops or restarts the frame loop when the tank is hidden or shown.
    void FollowVisibility();
    // Arms the timer for the next frame the pacer wants.
    void ScheduleNextFrame();
    void OpenMusicDialog();
    // Renders one frame of the scene and handles --frames / --screenshot.
    void DrawSceneFrame();
    void FinishRun();
    void RunBareFrames();
    bool SaveScreenshot();
    void UpdateCursor();
    void StoreMousePos(const QMouseEvent* event);
    // True when this press is the second click of a double click.
    bool IsDoubleClickPress(const QMouseEvent* event);
    // The user's pictures and their slideshow, run once the scene has started.
    void StartSlideshow();
    void OpenBackgroundDialog();
    // Shows `dialog`, built over `runner` the first time and kept above the
    // tank's window; nothing without a runner.
    template <class Dialog, class Runner>
    void OpenDialog(std::unique_ptr<Dialog>& dialog, Runner* runner);

    TankScene scene_;
    RunOptions options_;
    QTimer timer_;
    FramePacer pacer_;
    bool started_ = false;
    bool finished_ = false;
    bool tornDown_ = false;
    int framesDrawn_ = 0;
    QElapsedTimer clock_;
    qint64 lastFrameEndNs_ = -1;
    qint64 stepsTakenAtNs_ = 0;  // on clock_, when the last frame's steps were taken
    std::vector<double> sceneFrameMs_;
    QElapsedTimer lastPressClock_;
    QPointF lastPressPos_;
    bool lastPressWasDouble_ = false;
    std::unique_ptr<SlideshowRunner> slideshow_;
    std::unique_ptr<MusicRunner> music_;
    // The modeless dialogs, once opened.
    std::unique_ptr<CustomBackgroundDialog> backgroundDialog_;
    std::unique_ptr<MusicDialog> musicDialog_;
    std::unique_ptr<WindowVisibility> visibility_;
    // TIDEMERE_FRAME_TRACE set: one line per drawn frame (a test's view of the loop).
    bool traceFrames_ = false;
    // The modal fish dialog while it runs.
    FishDialog* fishDialog_ = nullptr;
};
