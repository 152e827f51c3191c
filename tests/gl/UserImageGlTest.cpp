#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <string>
#include <tuple>
#include <vector>

#include "platform/MessageBox.h"
#include "scene/TankScene.h"
#include "scene/UserImage.h"
#include "settings/SettingsRecord.h"
#include "settings/Slideshow.h"
#include "support/OffscreenTank.h"

namespace {

std::string DataDir() { return std::string(TIDEMERE_SOURCE_DIR) + "/tests/data/user_image/"; }

// A slideshow wired to the real loader, building textures in the test's context.
class UserImages : public OffscreenTank {
protected:
    UserImages() : OffscreenTank(320, 180) {}

    Slideshow show;
    std::vector<std::string> messages;
    MessageBoxHandler previousBoxes = SetMessageBoxHandler(
        [this](const std::string& text, const std::string&) { messages.push_back(text); });
    UserImageLoader loader{
        [this](const UserImagePixels& px) {
            gl.MakeCurrent();
            return CreateUserImageTexture(px, UserImageTextureFlags(true));
        },
        [this](const std::string& path, GLuint t) { show.ImageLoaded(path, t); }};

    void SetUp() override {
        ASSERT_TRUE(gl.Valid());
        show.StartLoad = [this](const std::string& p) { loader.Request(p); };
    }
    ~UserImages() override {
        SetMessageBoxHandler(previousBoxes);
        OwnBackgroundActive = false;
    }

    void Add(const std::string& path) {
        show.AddImage(path);
        loader.WaitForAll();
    }
};

TEST_F(UserImages, BrokenFilesGiveTheMessageAndGoodOnesOfEachKindBecomeTextures) {
    const QStringList bad =
        QDir(QString::fromStdString(DataDir())).entryList({"bad_*"}, QDir::Files);
    ASSERT_GE(bad.size(), 10);
    // A folder; a file no longer there; every broken picture.
    std::vector<std::string> paths = {dir.Path(), dir.File("gone.png")};
    for (const QString& name : bad) paths.push_back(DataDir() + name.toStdString());
    for (const std::string& path : paths) {
        messages.clear();
        show.StartSlideshow();
        Add(path);
        EXPECT_EQ(messages, std::vector<std::string>{"(" + path + ")image loading error."});
        EXPECT_EQ(show.ImageCount(), 0) << path;
        EXPECT_TRUE(show.Playing) << path;  // the others go on
    }
    messages.clear();
    for (const char* name : {"good.png", "good.bmp", "good.jpg"}) Add(DataDir() + name);
    ASSERT_EQ(show.ImageCount(), 3);
    gl.MakeCurrent();
    for (const auto& row : show.Rows()) EXPECT_TRUE(glIsTexture(row.texture));
}

TEST_F(UserImages, PicturesShrinkToPowersOfTwoWithinTheLimitKeepingShapeAndAlpha) {
    QImage wide(300, 100, QImage::Format_ARGB32);
    wide.fill(QColor(0, 0, 255, 128));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && wide.save(&buffer, "PNG"));
    const UserImagePixels px = DecodeUserImageData(png, 200);
    EXPECT_EQ(std::tuple(px.width, px.height, px.channels), std::tuple(128, 64, 4));
}

TEST_F(UserImages, BackdropShowsThePictureTheRightWayRound) {
    LoadFreshSettings();
    StartTank(5);
    Settings.QiPaoNum = kMaxBubbles;  // no bubbles
    for (int& n : Settings.FishCounts) n = 0;
    scene->HelpTextVisible = false;
    // Red top left, blue top right, green bottom left, yellow bottom right.
    QImage picture(64, 64, QImage::Format_RGB32);
    QPainter p(&picture);
    p.fillRect(0, 0, 32, 32, Qt::red);
    p.fillRect(32, 0, 32, 32, Qt::blue);
    p.fillRect(0, 32, 32, 32, Qt::green);
    p.fillRect(32, 32, 32, 32, Qt::yellow);
    p.end();
    // Built on the loader's thread, as the view does it.
    loader.BuildOnWorker(gl.Context(), UserImageTextureFlags(true));
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.File("q.png"))));
    Add(dir.File("q.png"));

    scene->UserBackgrounds = &show;
    show.OwnImageChecked = true;
    show.StartSlideshow();
    show.SlideshowTick();
    RenderFrames(3);
    const QImage frame = gl.Grab();
    auto dominant = [](QRgb c) {
        const int r = qRed(c), g = qGreen(c), b = qBlue(c);
        if (r > 120 && g > 120 && b < 100) return 'Y';
        if (r > g + 60 && r > b + 60) return 'R';
        if (g > r + 60 && g > b + 60) return 'G';
        if (b > r + 60 && b > g + 60) return 'B';
        return '?';
    };
    EXPECT_EQ(dominant(frame.pixel(80, 54)), 'R');
    EXPECT_EQ(dominant(frame.pixel(240, 54)), 'B');
    EXPECT_EQ(dominant(frame.pixel(80, 135)), 'G');
    EXPECT_EQ(dominant(frame.pixel(240, 135)), 'Y');

    // Own pictures off: the built-in picture is back.
    show.OwnImageChecked = false;
    show.SlideshowTick();
    RenderFrames(1);
    EXPECT_NE(dominant(gl.Grab().pixel(80, 54)), 'R');
}

}  // namespace
