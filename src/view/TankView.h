#pragma once

#include <QElapsedTimer>
#include <QOpenGLWindow>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "scene/TankScene.h"

class MusicDialog;

// How a run is driven from the command line.
struct RunOptions {
    int boundsWidth = 0;   // screen (or --window) size that picks the tank bounds
    int boundsHeight = 0;
    int frames = 0;        // quit after this many frames; 0 runs until the user leaves
    std::string screenshot;
    bool benchmark = false;
};

// The window that shows the tank and runs the frame loop: one frame per
// 10 ms tick (a slow frame lowers the rate, ticks never pile up).
class TankView : public QOpenGLWindow {
    Q_OBJECT
public:
    explicit TankView(const RunOptions& options, QWindow* parent = nullptr);
    ~TankView() override;

    TankScene& Scene() { return scene_; }
    int FramesDrawn() const { return framesDrawn_; }

    // Stops the loop and lets go of the GL context (the Exit command and close).
    void Teardown();

    // The surface format the view asks for.
    static QSurfaceFormat RequestedFormat(bool benchmark);

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
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
    void Tick();
    void CreateMusicDialog();
    // Renders one frame of the scene and handles --frames / --screenshot.
    void DrawSceneFrame();
    void FinishRun();
    void RunBareFrames();
    bool SaveScreenshot();
    void UpdateCursor();
    void StoreMousePos(const QMouseEvent* event);
    // True when this press is the second click of a double click.
    bool IsDoubleClickPress(const QMouseEvent* event);

    TankScene scene_;
    RunOptions options_;
    QTimer timer_;
    bool started_ = false;
    bool finished_ = false;
    bool tornDown_ = false;
    int framesDrawn_ = 0;
    QElapsedTimer clock_;
    qint64 lastFrameEndNs_ = -1;
    std::vector<double> sceneFrameMs_;
    QElapsedTimer lastPressClock_;
    QPointF lastPressPos_;
    bool lastPressWasDouble_ = false;
    // The modeless Custom Music dialog, created hidden at scene start.
    std::unique_ptr<MusicDialog> musicDialog_;
};
