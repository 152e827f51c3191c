// The flat push button, the LED check box, the custom-drawn slider and the
// web link, painted and clicked for real.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include "controls/CustomDrawSlider.h"
#include "controls/FlatButton.h"
#include "controls/HyperlinkStatic.h"
#include "controls/LedCheckBox.h"
#include "support/GlTestContext.h"

namespace {

const QColor kFace(192, 192, 192), kLight(255, 255, 255), kDark(128, 128, 128);

QImage Grab(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void TabFocus(QWidget& w, QEvent::Type type) {
    QFocusEvent e(type, Qt::TabFocusReason);
    QApplication::sendEvent(&w, &e);
}

// Colours of the top-left and bottom-right corner pixels.
std::pair<QColor, QColor> Corners(QWidget& w) {
    const QImage image = Grab(w);
    return {QColor(image.pixel(0, 0)), QColor(image.pixel(image.width() - 1, image.height() - 1))};
}

// A control of type T in a shown window, painted with a known palette.
struct App {
    App() { EnsureTestApplication(); }
};

template <typename T>
struct Shown : App {
    QWidget window;
    T* w;
    explicit Shown(QRect geometry) {
        window.resize(200, 100);
        w = new T(QStringLiteral("&Add"), &window);
        QPalette pal;
        pal.setColor(QPalette::Button, kFace);
        pal.setColor(QPalette::Light, kLight);
        pal.setColor(QPalette::Dark, kDark);
        pal.setColor(QPalette::ButtonText, Qt::black);
        w->setPalette(pal);
        w->setGeometry(geometry);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        // The pointer goes through the window system, so the controls get their
        // enter and leave events as from a real mouse; it starts off the control.
        QTest::mouseMove(window.windowHandle(), {199, 99});
    }
};

TEST(FlatButton, BorderRaisedOnHoverSunkenWhilePressedNoneAtRest) {
    Shown<FlatButton> shown({20, 20, 80, 30});
    FlatButton& b = *shown.w;
    const auto flat = std::make_pair(kFace, kFace), raised = std::make_pair(kLight, kDark),
               sunken = std::make_pair(kDark, kLight);
    int clicks = 0;
    QObject::connect(&b, &QPushButton::clicked, [&] { ++clicks; });
    QWindow* window = shown.window.windowHandle();
    const QPoint inside(60, 35), outside(150, 80);
    EXPECT_EQ(Corners(b), flat);
    QTest::mouseMove(window, inside);
    EXPECT_EQ(Corners(b), raised);
    QTest::mousePress(window, Qt::LeftButton, {}, inside);
    EXPECT_EQ(Corners(b), sunken);
    QTest::mouseRelease(window, Qt::LeftButton, {}, inside);
    EXPECT_EQ(Corners(b), raised);  // still under the pointer
    QTest::mouseMove(window, outside);
    EXPECT_EQ(Corners(b), flat);
    TabFocus(b, QEvent::FocusIn);  // reached with Tab: raised until the focus moves on
    EXPECT_EQ(Corners(b), raised);
    TabFocus(b, QEvent::FocusOut);
    EXPECT_EQ(Corners(b), flat);

    // Dragged off while pressed: sunken until release, then flat without a click.
    QTest::mouseMove(window, inside);
    QTest::mousePress(window, Qt::LeftButton, {}, inside);
    QTest::mouseMove(window, outside);
    EXPECT_EQ(Corners(b), sunken);
    QTest::mouseRelease(window, Qt::LeftButton, {}, outside);
    EXPECT_EQ(clicks, 1) << "one click, from the first press";
    EXPECT_EQ(Corners(b), flat);
}

TEST(LedCheckBox, ClickTogglesBeforeTheParentHearsAndTheLedShowsIt) {
    Shown<LedCheckBox> shown({10, 10, 100, 25});
    LedCheckBox& box = *shown.w;
    QWindow* window = shown.window.windowHandle();
    auto led = [&] { return QColor(Grab(box).pixel(box.LedRect().center())); };
    box.SetCheck(1);
    EXPECT_EQ(led(), QColor(0, 255, 0));
    std::vector<int> seen;
    QObject::connect(&box, &QAbstractButton::clicked, [&] { seen.push_back(box.GetCheck()); });
    QTest::mouseClick(&box, Qt::LeftButton, {}, box.LedRect().center());
    EXPECT_EQ(led(), QColor(0, 127, 0));
    QTest::mouseClick(&box, Qt::LeftButton, {}, box.LedRect().center());
    EXPECT_EQ(seen, (std::vector<int>{0, 1}));

    // Our own switch artwork: a green square when on, a black one when off.
    ASSERT_TRUE(box.SetIcons(LedCheckBox::kIconSwitchOn, LedCheckBox::kIconSwitchOff));
    const QPoint iconCentre(box.LedRect().left() + 8, 8);
    const QColor on = QColor(Grab(box).pixel(iconCentre));
    EXPECT_TRUE(on.green() > 180 && on.red() < 80) << on.name().toStdString();
    box.SetCheck(0);
    EXPECT_LT(QColor(Grab(box).pixel(iconCentre)).value(), 60);

    // At rest what is behind it shows (no patch of the button colour, which
    // breaks group-box frames and dark themes); hovered, a light wash over it.
    const QColor behind(40, 40, 44);
    QPalette dark = shown.window.palette();
    dark.setColor(QPalette::Window, behind);
    shown.window.setPalette(dark);
    shown.window.setAutoFillBackground(true);
    const QPoint inside = box.geometry().topLeft() + QPoint(box.width() - 10, box.height() / 2);
    auto under = [&] { return QColor(Grab(shown.window).pixel(inside)); };
    QTest::mouseMove(window, box.geometry().center());
    const QColor hovered = under();
    EXPECT_GT(hovered.lightness(), behind.lightness() + 20) << hovered.name().toStdString();
    EXPECT_LT(hovered.lightness(), kLight.lightness());
    QTest::mouseMove(window, {199, 99});
    EXPECT_EQ(under(), behind);
}

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kWhite = qRgb(255, 255, 255);

QImage Paint(CustomDrawSlider& slider) {
    QImage image(slider.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    slider.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(CustomDrawSlider, EndMarksAndAPressedThumbOfRedAndGreenSquares) {
    EnsureTestApplication();
    CustomDrawSlider slider(Qt::Horizontal);
    slider.setRange(0, 1000);
    slider.setValue(500);
    slider.resize(120, 40);
    const QPoint centre(60, 20);

    const QImage image = Paint(slider);
    EXPECT_EQ(image.pixel(centre), kRed);
    EXPECT_EQ(image.pixel(4, 4), kWhite);  // the end marks: white first, green last
    EXPECT_EQ(image.pixel(115, 4), kGreen);
    slider.setSliderDown(true);
    const QImage pressed = Paint(slider);
    const QRgb here = pressed.pixel(centre), right = pressed.pixel(centre + QPoint(1, 0));
    EXPECT_TRUE((here == kRed && right == kGreen) || (here == kGreen && right == kRed));
    EXPECT_EQ(pressed.pixel(centre + QPoint(1, 1)), here);
}

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
        {HyperlinkStatic::kNoAssociation, "No web browser is set up\nto open web addresses."},
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
