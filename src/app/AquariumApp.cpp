#include "app/AquariumApp.h"

#include <QMessageBox>
#include <QOpenGLContext>
#include <QScreen>
#include <cstdio>
#include <set>
#include <string>

#include "platform/MessageBox.h"
#include "platform/ProductInfo.h"

namespace {

// Boxes are shown without blocking the tank, once per text while open (the
// line on stderr is already written).
void ShowQtMessageBox(const std::string& text, const std::string& caption) {
    static std::set<std::string> open;
    if (!open.insert(text).second) return;
    auto* box = new QMessageBox(QMessageBox::Warning, QString::fromStdString(caption),
                                QString::fromStdString(text), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QObject::destroyed, [text] { open.erase(text); });
    box->show();
}

// Without any OpenGL the window cannot be drawn at all (and Qt's paint path
// would crash trying), so this is checked before a window exists.
bool HasOpenGl(const RunOptions& options) {
    QOpenGLContext probe;
    probe.setFormat(TankView::RequestedFormat(options.benchmark));
    return probe.create();
}

}  // namespace

AquariumApp::AquariumApp(int& argc, char** argv, bool messageBoxes)
    : QApplication(argc, argv), firstLock_("FirstMyProject_Quen"), appLock_(kApplicationName) {
    setOrganizationName(kOrganizationName);
    setApplicationName(kApplicationName);
    setApplicationDisplayName(kProductTitle);
    SetMessageBoxHandler(messageBoxes ? MessageBoxHandler(ShowQtMessageBox) : MessageBoxHandler());
}

AquariumApp::~AquariumApp() {
    hack_.reset();
    frame_.reset();
    SetMessageBoxHandler({});
}

int AquariumApp::InitInstance(int windowWidth, int windowHeight, const RunOptions& options) {
    if (!firstLock_.Acquire()) {
        if (firstLock_.HeldByAnother()) return 0;       // already running: leave quietly
        ShowMessageBox(firstLock_.Problem(), "ERROR");  // and run unlocked
    }
    if (!appLock_.Acquire() && appLock_.HeldByAnother()) return 1;
    if (!HasOpenGl(options)) {
        ShowMessageBox("ChoosePixelFormat failed", kApplicationName);
        // A scripted run fails at once; otherwise the box stays until closed.
        if (options.frames <= 0) exec();
        return 1;
    }

    RunOptions run = options;
    QScreen* screen = screen_ ? screen_ : primaryScreen();
    // Spanning covers the union of every screen, in logical pixels.
    const QRect cover = !screen ? QRect() : span_ ? screen->virtualGeometry() : screen->geometry();
    if (windowWidth == 0 && screen) {
        // The bounds table is keyed on the screen's pixel size.
        const qreal dpr = screen->devicePixelRatio();
        run.boundsWidth = qRound(cover.width() * dpr);
        run.boundsHeight = qRound(cover.height() * dpr);
    } else {
        run.boundsWidth = windowWidth;
        run.boundsHeight = windowHeight;
    }

    frame_ = std::make_unique<CMainFrame>(run);
    TankView* view = frame_->View();
    QWindow* top = frame_->TopWindow();  // the view itself on Wayland
    top->setTitle(kProductTitle);
    // Without a view there are no frames to count: a scripted run would
    // never end, so it fails instead of waiting for Escape.
    if (!view && run.frames > 0) return 1;
    if (windowWidth > 0) {
        top->resize(windowWidth, windowHeight);
        if (view && view != top) view->resize(windowWidth, windowHeight);
        top->show();
    } else {
        top->setFlags(Qt::Window | Qt::FramelessWindowHint);
        if (screen) top->setScreen(screen);
        if (screen) top->setGeometry(cover);
        if (view && view != top) view->resize(top->size());
        // Full screen snaps to one screen; a span is a plain window over all.
        if (span_)
            top->show();
        else
            top->showFullScreen();
    }
    if (view) {
        if (view != top) view->show();
        view->requestActivate();
    }
    return -1;
}

int AquariumApp::InitInstance(const RunOptions& options, int screenIndex, bool span) {
    const QList<QScreen*> all = screens();
    if (screenIndex >= static_cast<int>(all.size())) {
        std::string list;
        for (int i = 0; i < all.size(); ++i) {
            const QRect g = all[i]->geometry();
            list += "\n  " + std::to_string(i) + ": " + all[i]->name().toStdString() + " " +
                    std::to_string(g.width()) + "x" + std::to_string(g.height()) + "+" +
                    std::to_string(g.x()) + "+" + std::to_string(g.y());
        }
        std::fprintf(stderr, "tidemere: --screen %d: there is no such screen; the screens are:%s\n",
                     screenIndex, list.c_str());  // a list, on purpose
        return 2;
    }
    if (screenIndex >= 0) screen_ = all[screenIndex];
    span_ = span;
    return InitInstance(0, 0, options);
}

int AquariumApp::InitHack(const HackTarget& target, const RunOptions& options) {
    // A daemon runs one copy per screen and one for the preview: no lock.
    hack_ = std::make_unique<HackHost>(target, options);
    if (!hack_->Following()) {
        ReportProblem("cannot follow the window given to draw into, so would not end with it");
        return 1;
    }
    if (!hack_->View() && options.frames > 0) return 1;
    return -1;
}
