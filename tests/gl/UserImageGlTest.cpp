#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <string>
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
    UserImageLoader loader{[this](const UserImagePixels& px) {
                               gl.MakeCurrent();
                               return CreateUserImageTexture(px, UserImageTextureFlags(true));
                           },
                           [this](const std::string& path, GLuint t) { show.ImageLoaded(path, t); }};

    void SetUp() override {
        ASSERT_TRUE(gl.Valid());
        show.StartLoad = [this](const std::string& p) { loader.Request(p); };
        show.ReleaseTexture = [this](unsigned t) {
            gl.MakeCurrent();
            const GLuint name = t;
            glDeleteTextures(1, &name);
        };
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
    const QStringList bad = QDir(QString::fromStdString(DataDir())).entryList({"bad_*"}, QDir::Files);
    ASSERT_GE(bad.size(), 10);
    std::vector<std::string> paths = {dir.Path(), dir.File("gone.png")};  // a folder; no longer there
    for (const QString& name : bad) paths.push_back(DataDir() + name.toStdString());
    for (const std::string& path : paths) {
        messages.clear();
        show.StartSlideshow();
        Add(path);
        EXPECT_EQ(messages, std::vector<std::string>{"(" + path + ")image loading error."});
        EXPECT_EQ(show.ImageCount(), 0) << path;
        EXPECT_FALSE(show.Playing) << path;
    }
    messages.clear();
    for (const char* name : {"good.png", "good.bmp", "good.jpg"}) Add(DataDir() + name);
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(show.ImageCount(), 3);
    gl.MakeCurrent();
    for (const auto& row : show.Rows()) EXPECT_TRUE(glIsTexture(row.texture));
    const GLuint first = show.Rows()[0].texture;  // removing lets go of the texture
    show.RemoveSelectedImage(0);
    gl.MakeCurrent();
    EXPECT_FALSE(glIsTexture(first));
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
    ASSERT_TRUE(loader.BuildsOnWorker());
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.File("q.png"))));
    Add(dir.File("q.png"));
    ASSERT_EQ(show.ImageCount(), 1);
    gl.MakeCurrent();
    EXPECT_TRUE(glIsTexture(show.Rows()[0].texture));

    scene->UserBackgrounds = &show;
    show.OwnImageChecked = true;
    show.StartSlideshow();
    show.SlideshowTick();
    ASSERT_EQ(show.CurrentTexture, static_cast<int>(show.Rows()[0].texture));
    RenderFrames(3);
    const QImage frame = gl.Grab();
    auto at = [&](double fx, double fy) { return frame.pixel(int(fx * frame.width()), int(fy * frame.height())); };
    auto dominant = [](QRgb c) {
        const int r = qRed(c), g = qGreen(c), b = qBlue(c);
        if (r > 120 && g > 120 && b < 100) return 'Y';
        if (r > g + 60 && r > b + 60) return 'R';
        if (g > r + 60 && g > b + 60) return 'G';
        if (b > r + 60 && b > g + 60) return 'B';
        return '?';
    };
    EXPECT_EQ(dominant(at(0.25, 0.3)), 'R');
    EXPECT_EQ(dominant(at(0.75, 0.3)), 'B');
    EXPECT_EQ(dominant(at(0.25, 0.75)), 'G');
    EXPECT_EQ(dominant(at(0.75, 0.75)), 'Y');

    // Own pictures off: the built-in picture is back.
    show.OwnImageChecked = false;
    show.SlideshowTick();
    RenderFrames(1);
    EXPECT_NE(dominant(gl.Grab().pixel(80, 54)), 'R');
}

}  // namespace
