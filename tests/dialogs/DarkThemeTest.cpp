// The three dialogs under a dark palette set on the application, as a dark
// desktop theme does: the link and the lists' text read against what is
// behind them, and so do the LED boxes' labels.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>
#include <map>

#include "audio/AudioTestSupport.h"
#include "controls/HyperlinkStatic.h"
#include "controls/LedCheckBox.h"
#include "controls/Readable.h"
#include "dialogs/CustomBackgroundDialog.h"
#include "dialogs/FishDialog.h"
#include "dialogs/MusicDialog.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "settings/SettingsRecord.h"
#include "support/GlTestContext.h"
#include "support/TempDir.h"

namespace {

QPalette DarkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(45, 45, 48));
    p.setColor(QPalette::WindowText, QColor(230, 230, 230));
    p.setColor(QPalette::Base, QColor(30, 30, 32));
    p.setColor(QPalette::AlternateBase, QColor(40, 40, 44));
    p.setColor(QPalette::Text, QColor(225, 225, 225));
    p.setColor(QPalette::Button, QColor(70, 70, 76));  // not the window's colour
    p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    p.setColor(QPalette::Light, QColor(110, 110, 118));
    p.setColor(QPalette::Highlight, QColor(42, 100, 180));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0, 0, 160));  // as unreadable as the classic blue
    p.setColor(QPalette::LinkVisited, QColor(60, 0, 100));
    return p;
}

// The most common colour in `area` of `image` and the contrast of the pixel
// that stands out most against it.
std::pair<QColor, double> Ground(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb ground = 0;
    int most = 0;
    for (const auto& [colour, count] : counts)
        if (count > most) most = count, ground = colour;
    double best = 1;
    for (const auto& [colour, count] : counts)
        best = std::max(best, ContrastRatio(QColor(colour), QColor(ground)));
    return {QColor(ground), best};
}

QImage Shot(QWidget& dialog) {
    QImage image = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(1);
    return image;
}

QRect In(QWidget& dialog, QWidget* child, QRect rect) {
    const qreal dpr = dialog.devicePixelRatioF();
    const QRect r(child->mapTo(&dialog, rect.topLeft()), rect.size());
    return QRect((r.topLeft() * dpr), r.size() * dpr).adjusted(1, 1, -1, -1);
}

class DarkTheme : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv config{"XDG_CONFIG_HOME", dir.Path()};
    QPalette previous;
    MessageBoxHandler previousBoxes;
    void SetUp() override {
        UseDummyAudio();
        EnsureTestApplication();
        previous = QApplication::palette();
        QApplication::setPalette(DarkPalette());
        previousBoxes = SetMessageBoxHandler([](const std::string&, const std::string&) {});
        WriteSilentWav(dir.File("a.wav"), 200);
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        picture.save(QString::fromStdString(dir.File("reef.png")));
        WriteWholeFile(SettingsFilePath(),
                       "[Custom Settings]\nMusicSum=1\nMusicList0=" + dir.File("a.wav") +
                           "\n[Custom Images]\nImageSum=1\nImageList0=" + dir.File("reef.png") +
                           "\n");
    }
    void TearDown() override {
        QApplication::setPalette(previous);
        SetMessageBoxHandler(previousBoxes);
    }
};

TEST_F(DarkTheme, LinksListsAndLedLabelsRead) {
    SettingsRecord record;
    FishDialog fish(record, nullptr, SettingsFilePath());
    MusicRunner playlist;
    MusicDialog music(playlist);
    GlTestContext gl{64, 64};
    ASSERT_TRUE(gl.Valid());
    SlideshowRunner show(
        [&](const UserImagePixels& px) {
            gl.MakeCurrent();
            return CreateUserImageTexture(px, UserImageTextureFlags(false));
        },
        [](unsigned) {}, SettingsFilePath());
    show.Loader().WaitForAll();
    CustomBackgroundDialog background(show);
    for (QWidget* d : {static_cast<QWidget*>(&fish), static_cast<QWidget*>(&music),
                       static_cast<QWidget*>(&background)}) {
        d->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(d));
    }

    auto* link = fish.findChild<HyperlinkStatic*>();
    const auto [linkGround, linkContrast] = Ground(Shot(fish), In(fish, link, link->rect()));
    EXPECT_EQ(linkGround, DarkPalette().color(QPalette::Window));
    EXPECT_GE(linkContrast, 4.5) << "the link";

    for (QDialog* d : {static_cast<QDialog*>(&music), static_cast<QDialog*>(&background)}) {
        auto* list = d->findChild<QTableWidget*>();
        ASSERT_GE(list->rowCount(), 1);
        const QRect row = list->visualRect(list->model()->index(0, 0));
        const auto [ground, contrast] = Ground(Shot(*d), In(*d, list->viewport(), row));
        EXPECT_LT(ground.lightness(), 100) << d->windowTitle().toStdString() << ": a light list";
        EXPECT_GE(contrast, 4.5) << d->windowTitle().toStdString() << ": its rows";
        // (That the LED boxes paint no patch of their own: ControlsTest.)
        for (LedCheckBox* led : d->findChildren<LedCheckBox*>())
            EXPECT_GE(Ground(Shot(*d), In(*d, led, led->rect())).second, 4.5)
                << led->text().toStdString() << ": its label";
    }
}

}  // namespace
