#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/MessageBox.h"
#include "scene/TankScene.h"
#include "scene/UserImage.h"
#include "settings/SettingsRecord.h"
#include "settings/Slideshow.h"
#include "support/BombPictures.h"
#include "support/OffscreenTank.h"

namespace {

std::string DataDir() {
    return std::string(TIDEMERE_SOURCE_DIR) + "/tests/data/user_image/";
}

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
    ~UserImages() override { SetMessageBoxHandler(previousBoxes); }

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
    for (const QString& name : bad)
        paths.push_back(DataDir() + name.toStdString());
    for (const std::string& path : paths) {
        messages.clear();
        show.StartSlideshow();
        Add(path);
        EXPECT_EQ(messages, std::vector<std::string>{"(" + path + ")image loading error."});
        EXPECT_EQ(show.ImageCount(), 0) << path;
        EXPECT_TRUE(show.Playing) << path;  // the others go on
    }
    messages.clear();
    for (const char* name : {"good.png", "good.bmp", "good.jpg"})
        Add(DataDir() + name);
    ASSERT_EQ(show.ImageCount(), 3);
    gl.MakeCurrent();
    for (const auto& row : show.Rows())
        EXPECT_TRUE(glIsTexture(row.texture));
}

QByteArray Encode(const QImage& image, const char* format, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.setQuality(95);
    EXPECT_TRUE(writer.write(image));
    return bytes;
}

QImage Filled(int w, int h, QColor colour, QImage::Format format = QImage::Format_ARGB32) {
    QImage image(w, h, format);
    image.fill(colour);
    return image;
}

// What a picture must become: its texture size, channels and one colour all over.
struct Shape {
    int width, height, channels;
    QRgb colour;
};

TEST(UserImageDecode, BombsAreRefusedOrDecodedToTheirSizeAndColours) {
    using bomb::MakePng;
    const std::string red("\xff\0\0", 3), blue("\0\0\xff", 3);
    const struct {
        const char* name;
        QByteArray bytes;
        int maxSide;
        std::optional<Shape> expected;  // nothing: refused
    } cases[] = {
        {"JPEG header claiming 11000x11000, progressive CMYK: past the pixel limit",
         QByteArray::fromStdString(bomb::MakeJpegHeader(11000, 11000, 4, true)),
         2048,
         {}},
        {"JPEG header claiming 9000x9000, progressive CMYK: 648 MB of coefficients",
         QByteArray::fromStdString(bomb::MakeJpegHeader(9000, 9000, 4, true)),
         2048,
         {}},
        {"JPEG header claiming 10000x8000, sequential: decoded at an eighth",
         QByteArray::fromStdString(bomb::MakeJpegHeader(10000, 8000, 3, false)), 2048,
         Shape{2048, 2048, 3, qRgb(128, 128, 128)}},
        {"progressive JPEG 3000x1000, red",
         Encode(Filled(3000, 1000, Qt::red, QImage::Format_RGB32), "jpeg", true), 1024,
         Shape{1024, 512, 3, qRgb(254, 0, 0)}},
        {"16-bit RGBA PNG 3000x3000",
         QByteArray::fromStdString(MakePng(
             bomb::Png(3000, 3000, 16, 6, std::string("\x12\x34\x56\x78\x9a\xbc\xff\xff", 8)))),
         2048, Shape{2048, 2048, 4, qRgba(0x12, 0x56, 0x9a, 0xff)}},
        {"1-bit palette PNG 4000x3000, every pixel the second colour",
         QByteArray::fromStdString(MakePng(bomb::Png(4000, 3000, 1, 3, "\xff", red + blue))), 512,
         Shape{512, 512, 3, qRgb(0, 0, 255)}},
        {"1-bit BMP 5000x300, every pixel the second colour",
         QByteArray::fromStdString(bomb::MakeBmp1(5000, 300, 0x00ff00, 0xffa000, 1)), 1024,
         Shape{1024, 64, 3, qRgb(255, 160, 0)}},
        {"interlaced 8-bit palette PNG 3000x2000",
         QByteArray::fromStdString(MakePng(bomb::Png(3000, 2000, 8, 3, "\x01", red + blue, true))),
         1024, Shape{1024, 1024, 3, qRgb(0, 0, 255)}},
        {"interlaced PNG claiming 9000x9000: the whole picture would be held",
         QByteArray::fromStdString(
             MakePng(bomb::Png(9000, 9000, 8, 0, std::string(1, '\0'), {}, true))),
         2048,
         {}},
        {"wide PNG with alpha keeps its shape and alpha",
         Encode(Filled(300, 100, QColor(0, 0, 255, 128)), "png"), 200,
         Shape{128, 64, 4, qRgba(0, 0, 255, 128)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_LT(c.bytes.size(), 300 * 1024);
        const UserImagePixels px = DecodeUserImageData(c.bytes, c.maxSide);
        if (!c.expected) {
            EXPECT_FALSE(px.Valid());
            continue;
        }
        const Shape& e = *c.expected;
        ASSERT_TRUE(px.Valid());
        ASSERT_EQ(std::tuple(px.width, px.height, px.channels),
                  std::tuple(e.width, e.height, e.channels));
        ASSERT_EQ(px.data.size(), size_t(px.width) * px.height * px.channels);
        const int wanted[] = {qRed(e.colour), qGreen(e.colour), qBlue(e.colour), qAlpha(e.colour)};
        for (size_t i = 0; i < px.data.size(); i += 4099)
            ASSERT_NEAR(px.data[i], wanted[i % px.channels], 2) << "byte " << i;
    }
}

TEST_F(UserImages, BackdropShowsThePictureTheRightWayRound) {
    WriteCompleteSettingsFile();
    StartTank(5);
    scene->Settings.QiPaoNum = kMaxBubbles;  // no bubbles
    for (int& n : scene->Settings.FishCounts)
        n = 0;
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
