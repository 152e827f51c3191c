// The web link: colours by state and what a failed open shows.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

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
    ShownLink() {
        window.resize(300, 80);
        link = new HyperlinkStatic(QStringLiteral("https://example.org"), QString(), &window);
        link->setGeometry(10, 10, 250, 30);
        HyperlinkStatic::SetOpener([this](const QUrl&) {
            ++opens;
            return result;
        });
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    ~ShownLink() { HyperlinkStatic::SetOpener({}); }

    // Whether the text is drawn in `colour`: the underline is solid, so many
    // pixels match it exactly.
    bool Inked(const QColor& colour) {
        const QImage image = link->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == colour.rgb();
        return n > 20;
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
    EXPECT_TRUE(shown.Inked(linkColour));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(&link, &enter);
    EXPECT_TRUE(shown.Inked(hover));
    EXPECT_EQ(shown.ClickAndReadBox(), QString());
    EXPECT_TRUE(link.IsVisited());
    EXPECT_TRUE(shown.Inked(hover));  // hover wins whatever the visited state
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    EXPECT_TRUE(shown.Inked(visited));

    // A failure shows the cause in a box and takes it back to the link colour.
    const std::pair<int, QString> failures[] = {
        {HyperlinkStatic::kNoAssociation,
         "There is no application associated\nwith the given filename extension."},
        {7, "Unknown Error (7) occurred."},
        {0, "The operating system is out\nof memory or resources."}};
    for (const auto& [result, cause] : failures) {
        shown.result = result;
        EXPECT_EQ(shown.ClickAndReadBox(), "Unable to open hyperlink:\n\n" + cause);
    }
    EXPECT_FALSE(link.IsVisited());
    EXPECT_TRUE(shown.Inked(linkColour));
    shown.result = HyperlinkStatic::kOpened;
    link.setFocus();
    QTest::keyClick(&link, Qt::Key_Space);  // the keyboard opens it too
    EXPECT_TRUE(link.IsVisited());
    EXPECT_EQ(shown.opens, 5);
}

}  // namespace
