#include "view/Cursors.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <map>
#include <mutex>

#include "fish/SceneTypes.h"

// Q_INIT_RESOURCE declares a function, so it has to run outside any namespace.
static void RegisterArtwork() {
    Q_INIT_RESOURCE(artwork);
}

void EnsureArtworkResources() {
    static std::once_flag once;
    std::call_once(once, RegisterArtwork);
}

QString IconResourcePath(int iconId) {
    return QStringLiteral(":/tidemere/icons/%1.svg").arg(iconId);
}

QString CursorResourcePath(int cursorId) {
    return QStringLiteral(":/tidemere/cursors/%1.svg").arg(cursorId);
}

int CursorIdForMode(int interactionMode, bool buttonDown) {
    switch (interactionMode) {
        case ID_FEED_FISH:
            return buttonDown ? 164 : 163;
        case ID_TOUCH_FISH:
            return buttonDown ? 159 : 158;
        case ID_ZOOM_IN_FISH:
            return buttonDown ? 177 : 167;
        case ID_ZOOM_OUT_FISH:
            return buttonDown ? 178 : 169;
        default:
            return 0;
    }
}

QPoint CursorHotSpot(int cursorId) {
    switch (cursorId) {
        case 163:
        case 164:
            return {5, 27};  // the ring where the food lands
        case 158:
            return {11, 2};  // the fingertip
        case 159:
            return {11, 4};  // the pressed fingertip sits lower
        case 167:
        case 177:
        case 169:
        case 178:
            return {12, 12};  // the centre of the lens
        default:
            return {0, 0};
    }
}

QImage CursorImage(int cursorId) {
    EnsureArtworkResources();
    const QString path = CursorResourcePath(cursorId);
    if (!QFile::exists(path)) return {};
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) return {};
    QImage image(kCursorSize, kCursorSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, kCursorSize, kCursorSize));
    return image;
}

QCursor CursorForMode(int interactionMode, bool buttonDown, bool* changes) {
    const int id = CursorIdForMode(interactionMode, buttonDown);
    if (changes) *changes = id != 0;
    if (id == 0) return QCursor(Qt::ArrowCursor);
    // The view asks on every mouse move; render each image once. The cache is
    // never freed so no QPixmap outlives the application object at exit.
    static auto* cache = new std::map<int, QCursor>;
    auto it = cache->find(id);
    if (it == cache->end()) {
        const QPoint hot = CursorHotSpot(id);
        it = cache->emplace(id, QCursor(QPixmap::fromImage(CursorImage(id)), hot.x(), hot.y()))
                 .first;
    }
    return it->second;
}
