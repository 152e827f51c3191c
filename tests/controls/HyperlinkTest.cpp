// The web link: colours by state, fitting to its text, what a failed open shows.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <map>

#include "controls/HyperlinkStatic.h"
#include "support/GlTestContext.h"

namespace {

struct App {
    App() { EnsureTestApplication(); }
};

// The link shown in a window, with opens answered by `result`.
struct ShownLink : App {
    QWidget window;
    HyperlinkStatic* link;
    int result = HyperlinkStatic::kOpened;
    int opens = 0;
    ShownLink(const QString& text = QStringLiteral("https://example.org"),
              const QString& url = QString()) {
        window.resize(300, 80);
        link = new HyperlinkStatic(text, url, &window);
        link->setGeometry(10, 10, 250, 30);
        HyperlinkStatic::SetOpener([this](const QUrl&) {
            ++opens;
            return result;
        });
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    ~ShownLink() { HyperlinkStatic::SetOpener({}); }

    // The text's colour: the commonest colour besides the background (the
    // underline is solid).
    QColor Ink() {
        const QImage image = link->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
        std::map<QRgb, int> seen;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != background) ++seen[image.pixel(x, y)];
        if (seen.empty()) return {};
        return QColor(std::max_element(seen.begin(), seen.end(), [](auto& a, auto& b) {
                          return a.second < b.second;
                      })->first);
    }

    // Clicks the link and, if a message box comes up, returns its text and closes it.
    QString ClickAndReadBox() {
        QString text;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                box->done(QMessageBox::Ok);
            }
        });
        poll.start(20);
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
        return text;
    }
};

TEST(HyperlinkStatic, TextColourFollowsLinkHoverVisitedAndFailure) {
    ShownLink shown;
    HyperlinkStatic& link = *shown.link;
    const QColor linkColour(0, 0, 238), visited(85, 26, 139), hover(200, 0, 0);
    link.SetColors(linkColour, visited, hover);
    EXPECT_EQ(shown.Ink(), linkColour);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(&link, &enter);
    EXPECT_EQ(shown.Ink(), hover);
    EXPECT_EQ(shown.ClickAndReadBox(), QString());
    EXPECT_TRUE(link.IsVisited());
    EXPECT_EQ(shown.Ink(), hover);  // hover wins whatever the visited state
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    EXPECT_EQ(shown.Ink(), visited);

    // A failure shows the cause in a box and takes it back to the link colour.
    const std::pair<int, QString> failures[] = {
        {HyperlinkStatic::kNoAssociation, "There is no application associated\nwith the given filename extension."},
        {7, "Unknown Error (7) occurred."},
        {0, "The operating system is out\nof memory or resources."}};
    for (const auto& [result, cause] : failures) {
        shown.result = result;
        EXPECT_EQ(shown.ClickAndReadBox(), "Unable to open hyperlink:\n\n" + cause);
    }
    EXPECT_FALSE(link.IsVisited());
    EXPECT_EQ(shown.Ink(), linkColour);
    shown.result = HyperlinkStatic::kOpened;
    link.setFocus();
    QTest::keyClick(&link, Qt::Key_Space);  // the keyboard opens it too
    EXPECT_TRUE(link.IsVisited());
    EXPECT_EQ(shown.opens, 5);
}

TEST(HyperlinkStatic, EmptyTextShowsTheAddressAndFittingKeepsTheAlignedEdge) {
    ShownLink shown(QString(), QStringLiteral("https://tidemere.example"));
    HyperlinkStatic& link = *shown.link;
    EXPECT_EQ(link.text(), "https://tidemere.example");
    EXPECT_EQ(link.toolTip(), "https://tidemere.example");
    link.setAlignment(Qt::AlignRight | Qt::AlignTop);
    link.FitToText();
    EXPECT_EQ(link.geometry().right(), 259);
    EXPECT_NEAR(link.width(), link.fontMetrics().horizontalAdvance(link.text()), 3);
    EXPECT_EQ(link.y(), 10);
}

}  // namespace
