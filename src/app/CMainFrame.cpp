#include "app/CMainFrame.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QResizeEvent>
#include <cstdio>
#include <cstdlib>

#include "platform/Folders.h"
#include "platform/MessageBox.h"

CMainFrame::CMainFrame(const RunOptions& options) {
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(TankView::RequestedFormat(options.benchmark));
    if (TempPath().empty()) {
        // No scene without a temp folder; the empty frame stays until Escape.
        ShowMessageBox("Error Find TempPath.", "ERROR");
        return;
    }
    const bool viewOnTop = QGuiApplication::platformName().startsWith("wayland");
    // Wayland desktops find the window's icon and name through its desktop entry.
    if (viewOnTop) QGuiApplication::setDesktopFileName("tidemere");
    view_ = new TankView(options, viewOnTop ? nullptr : this);
}

CMainFrame::~CMainFrame() {
    if (!view_) return;
    view_->Teardown();
    if (!view_->parent()) delete view_;  // not a child: not deleted with the frame
}

QWindow* CMainFrame::TopWindow() {
    if (view_ && !view_->parent()) return view_;
    return this;
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    if (view_) view_->setGeometry(0, 0, event->size().width(), event->size().height());
    QWindow::resizeEvent(event);
}

void CMainFrame::focusInEvent(QFocusEvent* event) {
    if (view_) view_->requestActivate();
    QWindow::focusInEvent(event);
}

void CMainFrame::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (view_) view_->Leave(0);  // saves what the dialogs hold
        std::fflush(nullptr);
        std::_Exit(0);
    }
    QWindow::keyPressEvent(event);
}
