#include "controls/HyperlinkStatic.h"

#include "controls/Readable.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "platform/ProductInfo.h"

namespace {

// Whether the desktop has anything to hand a web address to: what Qt itself
// looks for before it gives up on a URL.
bool HasBrowser() {
    for (const char* var : {"DEFAULT_BROWSER", "BROWSER"})
        if (!qEnvironmentVariableIsEmpty(var)) return true;
    return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
}

int DesktopOpen(const QUrl& url) {
    if (QDesktopServices::openUrl(url)) return HyperlinkStatic::kOpened;
    return HasBrowser() ? HyperlinkStatic::kOpenFailed : HyperlinkStatic::kNoAssociation;
}

HyperlinkStatic::Opener& CurrentOpener() {
    static HyperlinkStatic::Opener opener;
    return opener;
}

}  // namespace

HyperlinkStatic::HyperlinkStatic(QWidget* parent) : HyperlinkStatic(QString(), QString(), parent) {}

HyperlinkStatic::HyperlinkStatic(const QString& text, const QString& url, QWidget* parent)
    : QLabel(text, parent), hoverColor_(palette().color(QPalette::Highlight)) {
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(false);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    SetUnderline(true);
    SetUrl(url);
}

void HyperlinkStatic::SetUrl(const QString& url) {
    url_ = url.isEmpty() ? text() : url;
    if (text().isEmpty()) setText(url_);
    setToolTip(url_);
}

void HyperlinkStatic::SetColors(const QColor& link, const QColor& visited, const QColor& hover) {
    linkColor_ = link;
    visitedColor_ = visited;
    hoverColor_ = hover;
    Refresh();
}

QColor HyperlinkStatic::CurrentColor() const {
    return over_ ? hoverColor_ : visited_ ? visitedColor_ : linkColor_;
}

void HyperlinkStatic::SetUnderline(bool underline) {
    underline_ = underline;
    QFont f = font();
    f.setUnderline(underline);
    setFont(f);
}

void HyperlinkStatic::FitToText() {
    if (!adjustToFit_) return;
    const QSize text = fontMetrics().size(Qt::TextSingleLine, this->text());
    QRect r = geometry();
    const Qt::Alignment a = alignment();
    const int width = text.width() + 2;  // room for the focus frame
    if (a & Qt::AlignHCenter)
        r.setLeft(r.center().x() - width / 2);
    else if (a & Qt::AlignRight)
        r.setLeft(r.right() + 1 - width);
    r.setWidth(width);
    if (a & Qt::AlignVCenter) r.setTop(r.center().y() - text.height() / 2);
    r.setHeight(text.height());
    setGeometry(r);
}

void HyperlinkStatic::Refresh() {
    update();
}

void HyperlinkStatic::enterEvent(QEnterEvent* event) {
    over_ = true;
    Refresh();
    QLabel::enterEvent(event);
}

void HyperlinkStatic::leaveEvent(QEvent* event) {
    over_ = false;
    Refresh();
    QLabel::leaveEvent(event);
}

void HyperlinkStatic::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Open();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void HyperlinkStatic::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Open();
            return;
        default:
            QLabel::keyPressEvent(event);
    }
}

void HyperlinkStatic::paintEvent(QPaintEvent*) {
    // Transparent: the dialog's background shows through.
    QPainter painter(this);
    // A dark theme would swallow the classic link blue: the theme's own
    // link colour then, or plain white.
    const QColor ink = CurrentColor();
    const QPalette& pal = palette();
    painter.setPen(IsDarkPalette(pal) ? ReadableOn(ink, pal.color(QPalette::Window),
                                                   pal.color(visited_ ? QPalette::LinkVisited
                                                                      : QPalette::Link))
                                      : ink);
    painter.setFont(font());
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, text());
    if (!hasFocus()) return;
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

bool HyperlinkStatic::Open() {
    const QUrl url = QUrl::fromUserInput(url_);
    const Opener& opener = CurrentOpener();
    const int result = opener ? opener(url) : DesktopOpen(url);
    visited_ = result > 32;
    Refresh();
    if (!visited_) {
        QApplication::beep();
        QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kProductTitle),
                        QStringLiteral("Unable to open hyperlink:\n\n") + ErrorText(result),
                        QMessageBox::Ok, window());
        box.exec();
    }
    emit Opened(visited_);
    return visited_;
}

void HyperlinkStatic::SetOpener(Opener opener) {
    CurrentOpener() = std::move(opener);
}

QString HyperlinkStatic::ErrorText(int result) {
    switch (result) {
        case 0:
            return QStringLiteral("The operating system is out\nof memory or resources.");
        case 2:
            return QStringLiteral("The specified file was not found.");
        case 3:
            return QStringLiteral("The specified path was not found.");
        case 5:
            return QStringLiteral("The operating system denied\naccess to the specified file.");
        case 8:
            return QStringLiteral("There was not enough memory to complete the operation.");
        case 11:
            return QStringLiteral(
                "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
        case 26:
            return QStringLiteral("A sharing violation occurred. ");
        case 27:
            return QStringLiteral("The filename association is\nincomplete or invalid.");
        case 28:
            return QStringLiteral(
                "The DDE transaction could not\nbe completed because the request timed out.");
        case 29:
            return QStringLiteral("The DDE transaction failed.");
        case 30:
            return QStringLiteral(
                "The DDE transaction could not\nbe completed because other DDE "
                "transactions\nwere being processed.");
        case 31:
            return QStringLiteral("No web browser is set up\nto open web addresses.");
        case 32:
            return QStringLiteral("The specified dynamic-link library was not found.");
        default:
            return QStringLiteral("Unknown Error (%1) occurred.").arg(result);
    }
}
