// The web link: colours by state and what a failed open shows.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "controls/HyperlinkStatic.h"
#include "support/GlTestContext.h"

namespace {

// Whether the text is drawn in `colour`: the underline is solid, so many
// pixels match it exactly.
bool Inked(HyperlinkStatic& link, const QColor& colour) {
    const QImage image = link.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour.rgb();
    return n > 20;
}

// Clicks the link and, if a message box comes up, returns its text and closes it.
QString ClickAndReadBox(HyperlinkStatic& link) {
    QString text;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->done(QMessageBox::Ok);
        }
    });
    poll.start(20);
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(5, 5));
    return text;
}

TEST(HyperlinkStatic, TextColourFollowsLinkHoverVisitedAndFailure) {
    EnsureTestApplication();
    QWidget window;
    window.resize(300, 80);
    HyperlinkStatic link(QStringLiteral("https://example.org"), QString(), &window);
    link.setGeometry(10, 10, 250, 30);
    int result = HyperlinkStatic::kOpened, opens = 0;  // opens are answered by `result`
    HyperlinkStatic::SetOpener([&](const QUrl&) {
        ++opens;
        return result;
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // The pointer goes through the window system, as from a real mouse.
    QTest::mouseMove(window.windowHandle(), {290, 70});
    const QColor linkColour(0, 0, 238), visited(85, 26, 139), hover(200, 0, 0);
    link.SetColors(linkColour, visited, hover);
    EXPECT_TRUE(Inked(link, linkColour));
    QTest::mouseMove(window.windowHandle(), {15, 15});
    EXPECT_TRUE(Inked(link, hover));
    EXPECT_EQ(ClickAndReadBox(link), QString());
    EXPECT_TRUE(link.IsVisited());
    EXPECT_TRUE(Inked(link, hover));  // hover wins whatever the visited state
    QTest::mouseMove(window.windowHandle(), {290, 70});
    EXPECT_TRUE(Inked(link, visited));

    // A failure shows the cause in a box and takes it back to the link colour.
    const std::pair<int, QString> failures[] = {
        {HyperlinkStatic::kNoAssociation,
         "No web browser is set up\nto open web addresses."},
        {7, "Unknown Error (7) occurred."},
        {0, "The operating system is out\nof memory or resources."}};
    for (const auto& [code, cause] : failures) {
        result = code;
        EXPECT_EQ(ClickAndReadBox(link), "Unable to open hyperlink:\n\n" + cause);
    }
    EXPECT_FALSE(link.IsVisited());
    EXPECT_TRUE(Inked(link, linkColour));
    result = HyperlinkStatic::kOpened;
    link.setFocus();
    QTest::keyClick(&link, Qt::Key_Space);  // the keyboard opens it too
    EXPECT_TRUE(link.IsVisited());
    EXPECT_EQ(opens, 5);
    HyperlinkStatic::SetOpener({});
}

}  // namespace
