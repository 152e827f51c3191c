#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "platform/IniFile.h"
#include "platform/Random.h"
#include "scene/TankScene.h"
#include "settings/SettingsRecord.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTank.h"
#include "support/TempDir.h"

namespace {

constexpr int kWidth = 320, kHeight = 180;

double MeanBrightness(const QImage& image) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            sum += qRed(p) + qGreen(p) + qBlue(p);
        }
    return sum / (3.0 * image.width() * image.height());
}

class SceneGl : public OffscreenTank {
protected:
    SceneGl() : OffscreenTank(kWidth, kHeight) {}

    void SetUp() override {
        ASSERT_TRUE(gl.Valid());
        SeedDefaultRandom(3);
        LoadFreshSettings();
    }

    void SetKey(const std::string& key, const std::string& value) {
        const std::string path = dir.Path() + "/VelmarScr/KelvaronSet.ini";
        ASSERT_TRUE(WriteProfileString(path, "Aquarium Settings", key, value));
    }

    void Start(std::uint32_t seed = 11) { StartTank(seed); }
    QImage Frames(int n) {
        RenderFrames(n);
        return gl.Grab();
    }
};

TEST_F(SceneGl, LightStrengthDarkensTheBackdropAndStyleOrTerrainOffLeavesTheBlackQuad) {
    Start();
    scene->HelpTextVisible = false;  // the text is unlit
    const double lit = MeanBrightness(Frames(3));
    EXPECT_GT(lit, 40.0);
    Settings.LightQiangDu = 50;  // read every frame
    const double half = MeanBrightness(Frames(1));
    Settings.LightQiangDu = 100;
    const double dark = MeanBrightness(Frames(1));
    EXPECT_LT(dark, lit * 0.25);  // only the global ambient light is left
    EXPECT_TRUE(half > dark && half < lit) << half;
    Settings.LightQiangDu = 0;
    Settings.Background = 1;
    EXPECT_LT(MeanBrightness(Frames(2)), 12.0);
    Settings.Background = 0;
    Settings.ShowTerra = 0;
    EXPECT_LT(MeanBrightness(Frames(2)), 12.0);
}

TEST_F(SceneGl, FixedQuadIsDrawnFirstAndHidesTheGradient) {
    Start();
    scene->HelpTextVisible = false;
    Settings.Background = 1;
    Settings.BackManJianBian = 1;
    Settings.BackColor1 = 0x00ff00;  // green at the top
    Settings.BackColor2 = 0x0000ff;  // red at the bottom
    Frames(2);
    Settings.BackColor = 0xff0000;  // the fixed quad in blue wins
    QImage image = Frames(1);
    QRgb top = image.pixel(kWidth / 2, 2);
    EXPECT_GT(qBlue(top), 200);
    EXPECT_LT(qGreen(top), 40);

    Settings.BackGuding = 0;  // without it, the gradient shows
    image = Frames(1);
    top = image.pixel(kWidth / 2, 2);
    const QRgb bottom = image.pixel(kWidth / 2, kHeight - 3);
    EXPECT_GT(qGreen(top), 150);
    EXPECT_LT(qRed(top), 80);
    EXPECT_GT(qRed(bottom), 150);
    EXPECT_LT(qGreen(bottom), 80);
}

// Skipping the invisible black quad must not change a single pixel.
TEST_F(SceneGl, SkippedFillsGiveTheSamePixelsAsDrawingEverything) {
    for (int style : {0, 1}) {
        SetKey("BACKGROUND", std::to_string(style));
        Start(21);
        scene->SkipHiddenFills = true;
        const QImage fast = Frames(4);
        Start(21);
        scene->SkipHiddenFills = false;
        const QImage plain = Frames(4);
        // The window has no alpha channel; the offscreen buffer has.
        EXPECT_TRUE(fast.convertToFormat(QImage::Format_RGB32) ==
                    plain.convertToFormat(QImage::Format_RGB32))
            << "backdrop style " << style;
    }
}

// Fog is on only until the first bubble pass: the first frame is washed out.
TEST_F(SceneGl, OnlyTheFirstFrameIsFogged) {
    Start();
    scene->HelpTextVisible = false;
    const double first = MeanBrightness(Frames(1));
    const double second = MeanBrightness(Frames(1));
    EXPECT_GT(first, 200.0);
    EXPECT_LT(second, first - 50.0);
}

}  // namespace
