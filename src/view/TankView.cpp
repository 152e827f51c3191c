#include "view/TankView.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleHints>
#include <QOpenGLContext>
#include <QSocketNotifier>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include "audio/BuiltinSound.h"
#include "dialogs/MusicDialog.h"
#include "dialogs/MusicRunner.h"
#include "dialogs/SlideshowRunner.h"
#include "platform/MessageBox.h"
#include "platform/Folders.h"
#include "platform/ProductInfo.h"
#include "platform/UserFile.h"
#include "scene/Resources.h"
#include "scene/UserImage.h"
#include "dialogs/CustomBackgroundDialog.h"
#include "settings/SettingsRecord.h"
#include "dialogs/FishDialog.h"
#include "view/Cursors.h"
#include "view/FrameStats.h"
#include "view/IconMenu.h"
#include "view/ProcessClock.h"

QSurfaceFormat TankView::RequestedFormat(bool benchmark) {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(24);
    // One frame per display refresh at most, so no tearing; the benchmark
    // measures the uncapped cost instead.
    format.setSwapInterval(benchmark ? 0 : 1);
    return format;
}

namespace {

// A signal only writes a byte here; the GUI thread reads it and leaves in
// order, so nothing unsafe runs inside the handler.
int g_leavePipe[2] = {-1, -1};
TankView* g_view = nullptr;  // the process's one view

void OnLeaveSignal(int) {
    const int saved = errno;
    const char byte = 1;
    if (write(g_leavePipe[1], &byte, 1) < 0) {
    }
    errno = saved;
}

}  // namespace

void TankView::RequestLeave() {
    if (g_leavePipe[1] >= 0) OnLeaveSignal(0);
}

void TankView::LeaveFromAnyThread() {
    if (g_view && QThread::currentThread() == g_view->thread()) g_view->Leave(0);
    RequestLeave();
    timespec pause{0, 500'000'000};
    while (nanosleep(&pause, &pause) != 0) {
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

TankView::TankView(const RunOptions& options, QWindow* parent)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate, parent),
      options_(options),
      pacer_(options.fps) {
    setFormat(RequestedFormat(options.benchmark));
    traceFrames_ = qEnvironmentVariableIsSet("TIDEMERE_FRAME_TRACE");
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &TankView::Tick);
    g_view = this;
    if (g_leavePipe[0] < 0 && pipe2(g_leavePipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* notifier = new QSocketNotifier(g_leavePipe[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] { Leave(0); });
        struct sigaction action {};
        action.sa_handler = OnLeaveSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
    }
}

TankView::~TankView() {
    Teardown();
    if (g_view == this) g_view = nullptr;
}

void TankView::initializeGL() {
    QOpenGLContext* ctx = context();
    if (!ctx || !ctx->isValid()) {
        ShowMessageBox("ChoosePixelFormat failed", kApplicationName);
        return;
    }
    const QSurfaceFormat got = ctx->format();
    if (got.depthBufferSize() < 16 || got.swapBehavior() == QSurfaceFormat::SingleBuffer) {
        ShowMessageBox("SetPixelFormat failed", kApplicationName);
        return;
    }
    StartupMark("GL context");
    scene_.StartStage = [](const char* what) { StartupMark(what); };
    const qreal dpr = devicePixelRatio();
    const int boundsW = options_.boundsWidth > 0 ? options_.boundsWidth : qRound(width() * dpr);
    const int boundsH = options_.boundsHeight > 0 ? options_.boundsHeight : qRound(height() * dpr);
    scene_.Start(boundsW, boundsH);
    // A screensaver's own options win over the file, in memory only.
    if (options_.bubbles >= 0) scene_.Settings.QiPaoNum = kMaxBubbles - options_.bubbles;
    if (options_.light >= 0) scene_.Settings.LightQiangDu = 100 - options_.light;  // the file stores dimming
    // The viewport covers the window in device pixels, whatever picked the bounds.
    scene_.ScreenWidth = qMax(1, qRound(width() * dpr));
    scene_.ScreenHeight = qMax(1, qRound(height() * dpr));
    // Without a temp folder the scene stops short of the user's pictures and music.
    if (scene_.State == TankScene::StartState::Started) {
        StartSlideshow();
        StartupMark("slideshow");
        // The sound libraries and device load just after the first frame,
        // which has no sound to wait for.
        if (options_.sound)
            QTimer::singleShot(0, this, [this] {
                if (tornDown_ || music_) return;
                music_ = std::make_unique<MusicRunner>();
                StartupMark("music");
            });
    }
    ReleaseResourcePages();  // the built-in pictures are uploaded by now
    visibility_ = std::make_unique<WindowVisibility>(winId(), TopLevel()->winId(),
                                                     [this] { FollowVisibility(); });
    started_ = true;
    clock_.start();
    pacer_.Start(clock_.nsecsElapsed());
    ScheduleNextFrame();
}

bool TankView::Seen() const {
    return isExposed() && (!visibility_ || visibility_->Visible());
}

void TankView::FollowVisibility() {
    if (!started_ || finished_ || tornDown_) return;
    if (!Seen()) {
        timer_.stop();
    } else if (!timer_.isActive()) {
        ScheduleNextFrame();
    }
}

void TankView::exposeEvent(QExposeEvent* event) {
    QOpenGLWindow::exposeEvent(event);
    FollowVisibility();
}

void TankView::resizeGL(int, int) {
    const qreal dpr = devicePixelRatio();
    const int w = qMax(1, qRound(width() * dpr));
    const int h = qMax(1, qRound(height() * dpr));  // a height of 0 counts as 1
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(w) / h, 0.1, 400.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (started_) scene_.Reshape(w, h);
}

void TankView::paintGL() {
    // An expose draws a frame like a tick does; the window swaps afterwards.
    if (!started_ || finished_) return;
    const qint64 now = clock_.nsecsElapsed();
    const int steps = options_.benchmark ? 1 : pacer_.TakeSteps(now, true);
    stepsTakenAtNs_ = now;
    for (int i = 1; i < steps; ++i) scene_.AdvanceStep();
    DrawSceneFrame();
}

void TankView::ScheduleNextFrame() {
    if (finished_ || tornDown_) return;
    if (options_.benchmark) {
        timer_.start(0);
        return;
    }
    const qint64 wait = pacer_.NextFrameNs() - clock_.nsecsElapsed();
    timer_.start(wait <= 0 ? 0 : static_cast<int>((wait + 999'999) / 1'000'000));
}

void TankView::Tick() {
    if (!started_ || finished_) return;
    if (!Seen()) {
        // Hidden, the tank waits without a timer until it is shown again; the
        // pacer then drops the time it was away beyond its usual catch-up.
        timer_.stop();
        return;
    }
    const qint64 now = clock_.nsecsElapsed();
    const int steps = options_.benchmark ? 1 : pacer_.TakeSteps(now);
    if (steps > 0) {
        stepsTakenAtNs_ = now;
        makeCurrent();
        // Steps between frames move the tank exactly as drawn ones would.
        for (int i = 1; i < steps; ++i) scene_.AdvanceStep();
        DrawSceneFrame();
        if (finished_) return;
        context()->swapBuffers(this);
        if (options_.sound) {
            // No playlist, no word from the user's music yet: stay quiet.
            const bool silence = !music_ || music_->Playlist().SilenceRequested();
            BuiltinSoundHandshake(silence, scene_.Settings.Yinliang);
        }
        pacer_.FrameDone(clock_.nsecsElapsed());
    }
    ScheduleNextFrame();
}

void TankView::DrawSceneFrame() {
    scene_.RenderFrame();
    ++framesDrawn_;
    if (framesDrawn_ == 1) {
        MarkFirstFrame();
        StartupMark("first frame drawn");
    }
    if (traceFrames_) {
        // When its steps were taken, on the system's monotonic clock (as the
        // frame's own clock is), so another process can line frames up with its time.
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const double nowMs = now.tv_sec * 1e3 + now.tv_nsec / 1e6;
        const double stepsMs = nowMs - (clock_.nsecsElapsed() - stepsTakenAtNs_) / 1e6;
        std::printf("frame %d at %.1f ms, steps %lld, dropped %lld\n", framesDrawn_, stepsMs,
                    scene_.StepsTaken, pacer_.StepsDropped());
        std::fflush(stdout);
    }
    if (options_.benchmark) {
        const qint64 now = clock_.nsecsElapsed();
        if (lastFrameEndNs_ >= 0) sceneFrameMs_.push_back((now - lastFrameEndNs_) / 1e6);
        lastFrameEndNs_ = now;
    }
    if (options_.frames > 0 && framesDrawn_ >= options_.frames) FinishRun();
}

bool TankView::SaveScreenshot() {
    const int w = scene_.ScreenWidth, h = scene_.ScreenHeight;
    QImage image(w, h, QImage::Format_RGBA8888);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    image = image.mirrored().convertToFormat(QImage::Format_RGB32);
    // Encoded in memory and put in place by rename: the target is never
    // opened, so a FIFO or a folder of that name is refused, not waited on.
    QByteArray png;
    QBuffer buffer(&png);
    std::string why = "the picture could not be encoded";
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG") ||
        !ReplaceUserFile(options_.screenshot, png.toStdString(), 0666, &why)) {
        ReportProblem("cannot write the screenshot to " + options_.screenshot + ": " + why);
        return false;
    }
    std::printf("Screenshot saved to %s\n", options_.screenshot.c_str());
    return true;
}

void TankView::RunBareFrames() {
    // The floor: clear and swap only, same window, same size.
    std::vector<double> bareMs;
    const int count = static_cast<int>(sceneFrameMs_.size());
    QElapsedTimer t;
    t.start();
    qint64 last = t.nsecsElapsed();
    for (int i = 0; i < count; ++i) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
        context()->swapBuffers(this);
        makeCurrent();
        const qint64 now = t.nsecsElapsed();
        bareMs.push_back((now - last) / 1e6);
        last = now;
    }
    const FrameSummary scene = Summarise(sceneFrameMs_);
    const FrameSummary bare = Summarise(bareMs);
    std::printf("Benchmark at %dx%d\n", scene_.ScreenWidth, scene_.ScreenHeight);
    std::printf("startup    %.1f ms from process start to the first frame\n", FirstFrameMs());
    std::printf("%s\n", FormatSummary("scene", scene).c_str());
    std::printf("%s\n", FormatSummary("bare", bare).c_str());
    if (bare.mean > 0)
        std::printf("ratio      scene/bare mean %.2f  median %.2f\n", scene.mean / bare.mean,
                    bare.median > 0 ? scene.median / bare.median : 0.0);
    std::fflush(stdout);
}

void TankView::FinishRun() {
    finished_ = true;
    timer_.stop();
    int status = 0;
    if (!options_.screenshot.empty() && !SaveScreenshot()) status = 1;
    std::printf("Tank after %d frames: prey released %d, eaten %d\n", framesDrawn_,
                scene_.PreyReleased, scene_.PreyEaten);
    std::printf("Steps %lld in %.1f s (%lld dropped)\n", scene_.StepsTaken,
                clock_.nsecsElapsed() / 1e9, pacer_.StepsDropped());
    if (options_.benchmark) RunBareFrames();
    QCoreApplication::exit(status);
}

void TankView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        scene_.HelpTextVisible = !scene_.HelpTextVisible;
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        // Keys reach the tank only while it has the keyboard: a dialog shown
        // from the menu takes it, so its Escape stays its own.
        Leave(0);
    }
    QOpenGLWindow::keyPressEvent(event);
}

void TankView::StoreMousePos(const QMouseEvent* event) {
    // Picks work in device pixels, like the viewport.
    const QPointF p = event->position() * devicePixelRatio();
    scene_.MousePos[0] = qRound(p.x());
    scene_.MousePos[1] = qRound(p.y());
}

void TankView::UpdateCursor() {
    bool changes = false;
    const QCursor cursor = CursorForMode(scene_.InteractionMode, scene_.ButtonDown, &changes);
    if (changes)
        setCursor(cursor);
    else
        unsetCursor();  // other modes show the ordinary arrow
}

bool TankView::IsDoubleClickPress(const QMouseEvent* event) {
    const QStyleHints* hints = QGuiApplication::styleHints();
    const QPointF delta = event->position() - lastPressPos_;
    const bool isDouble = !lastPressWasDouble_ && lastPressClock_.isValid() &&
                          lastPressClock_.elapsed() < hints->mouseDoubleClickInterval() &&
                          qAbs(delta.x()) <= hints->mouseDoubleClickDistance() &&
                          qAbs(delta.y()) <= hints->mouseDoubleClickDistance();
    lastPressClock_.start();
    lastPressPos_ = event->position();
    lastPressWasDouble_ = isDouble;
    return isDouble;
}

void TankView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The menu's transient parent must be top level.
        const int command = ExecIconMenu(mapToGlobal(event->position().toPoint()), TopLevel());
        if (command != 0) OnCommand(command);
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    // The second press of a double click only updates the cursor, so a fast
    // double click releases one food fish, not two.
    if (IsDoubleClickPress(event)) {
        UpdateCursor();
        return;
    }
    StoreMousePos(event);
    scene_.ButtonDown = true;
    if (scene_.InteractionMode == ID_FEED_FISH) scene_.FeedClickPending = true;
    UpdateCursor();
}

void TankView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // In Touch mode the frame's pick consumes the click instead.
    const int mode = scene_.InteractionMode;
    if (mode == ID_FEED_FISH || mode == ID_ZOOM_IN_FISH || mode == ID_ZOOM_OUT_FISH)
        scene_.ButtonDown = false;
    UpdateCursor();
}

void TankView::mouseDoubleClickEvent(QMouseEvent*) { UpdateCursor(); }

void TankView::mouseMoveEvent(QMouseEvent* event) {
    UpdateCursor();
    StoreMousePos(event);  // later picks use the newest position
}

void TankView::OnCommand(int commandId) {
    scene_.SetInteractionMode(commandId & 0xffff);
    switch (scene_.InteractionMode) {
        case ID_ADD_DELETE_FISH:
            RunFishDialog();
            break;
        case ID_CUSTOM_MUSIC:
            OpenMusicDialog();
            break;
        case ID_CUSTOM_BACKGROUND:
            OpenBackgroundDialog();
            break;
        case ID_EXIT:
            Leave(0);
        default:
            break;
    }
}

QWindow* TankView::TopLevel() {
    QWindow* top = this;
    while (top->parent()) top = top->parent();
    return top;
}

void TankView::RunFishDialog() {
    QWindow* topLevel = TopLevel();
    // Built fresh each time; the frame timer keeps running in its modal loop,
    // so the tank follows every change behind it.
    FishDialog dialog(scene_.Settings);
    dialog.winId();  // a window handle to hang on the tank
    if (QWindow* handle = dialog.windowHandle()) handle->setTransientParent(topLevel);
    dialog.CentreOver(topLevel->geometry());
    fishDialog_ = &dialog;
    dialog.exec();
    fishDialog_ = nullptr;
}

void TankView::SaveOpenDialogs() {
    // A hidden dialog saved when it was hidden; one never opened changed nothing.
    if (fishDialog_) fishDialog_->SaveAndApply();
    if (backgroundDialog_ && backgroundDialog_->isVisible()) backgroundDialog_->Save();
    if (musicDialog_ && musicDialog_->isVisible()) musicDialog_->Save();
}

void TankView::Leave(int status) {
    SaveOpenDialogs();
    // Nothing else to keep: the rest ends with the process.
    std::fflush(nullptr);
    std::_Exit(status);
}

void TankView::Teardown() {
    if (tornDown_) return;
    SaveOpenDialogs();
    tornDown_ = true;
    if (context()) doneCurrent();
    scene_.UserBackgrounds = nullptr;
    backgroundDialog_.reset();
    musicDialog_.reset();
    slideshow_.reset();
    music_.reset();  // stops the music
    timer_.stop();
}

void TankView::StartSlideshow() {
    GLint maxTexture = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    const int maxSide = maxTexture > 0 ? qMin(kUserImageMaxSide, static_cast<int>(maxTexture))
                                       : kUserImageMaxSide;
    // DXT keeps ten pictures in a sixth of the memory; the compression runs
    // on the loader's thread, so it costs no frame.
    const unsigned flags = UserImageTextureFlags(true);
    slideshow_ = std::make_unique<SlideshowRunner>(
        [this, flags](const UserImagePixels& pixels) {
            makeCurrent();
            return CreateUserImageTexture(pixels, flags);
        },
        [this](unsigned texture) {
            if (tornDown_) return;  // the textures end with the context
            makeCurrent();
            const GLuint name = texture;
            glDeleteTextures(1, &name);
        },
        SettingsFilePath(), maxSide,
        [this, flags](UserImageLoader& loader) { loader.BuildOnWorker(context(), flags); });
    scene_.UserBackgrounds = &slideshow_->Show();
}

template <class Dialog, class Runner>
void TankView::OpenDialog(std::unique_ptr<Dialog>& dialog, Runner* runner) {
    if (!runner || tornDown_) return;
    if (!dialog) {
        dialog = std::make_unique<Dialog>(*runner);
        dialog->winId();  // makes the native window
        if (QWindow* handle = dialog->windowHandle()) handle->setTransientParent(TopLevel());
    }
    dialog->ShowCentredOn(QRect(mapToGlobal(QPoint(0, 0)), size()));
}

void TankView::OpenBackgroundDialog() { OpenDialog(backgroundDialog_, slideshow_.get()); }

void TankView::OpenMusicDialog() { OpenDialog(musicDialog_, music_.get()); }
