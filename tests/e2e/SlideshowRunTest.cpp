#include "E2e.h"

namespace {

// Which of the two pictures fills most of a screenshot: 'A' (red), 'B'
// (blue) or '-' (neither: nothing loaded or picked yet).
char Shown(const QImage& shot) {
    int red = 0, blue = 0, all = 0;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4, ++all) {
            const QRgb p = shot.pixel(x, y);
            red += qRed(p) > 120 && qRed(p) > qBlue(p) + 60 && qRed(p) > qGreen(p) + 60;
            blue += qBlue(p) > 120 && qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 60;
        }
    return red > all / 3 ? 'A' : blue > all / 3 ? 'B' : '-';
}

TEST_F(EndToEnd, TwoListedPicturesShowTheFirstThenTheSecond) {
    QImage a(64, 64, QImage::Format_RGB32), b(64, 64, QImage::Format_RGB32);
    a.fill(QColor(230, 20, 20));
    b.fill(QColor(20, 20, 230));
    ASSERT_TRUE(a.save(QString::fromStdString(home.File("first picture.png"))));
    ASSERT_TRUE(b.save(QString::fromStdString(home.File("second.png"))));
    WriteWholeFile(Settings(), "[Aquarium Settings]\nQIPAONUM=110\n"
                               "[Fish Number]\nFish0=0\nFish1=0\nFish2=0\nFish3=0\nFish4=0\n"
                               "[Custom Images]\nRandomImage=0\nCycImage=1\nRepeatImage=0\nOwnImage=1\n"
                               "ImageTime=1\nImageSum=2\nImageList0=" + home.File("first picture.png") +
                                   "\nImageList1=" + home.File("second.png") + "\n");
    // Separate runs of growing length: the first picture shows from the
    // first slideshow tick, the second one second later. Steps are short
    // enough that the first picture cannot be skipped.
    std::string seen;
    for (int frames : {10, 25, 40, 60, 80, 100, 125, 150, 180, 220, 260, 300}) {
        const std::string shot = home.File("shot" + std::to_string(frames) + ".png");
        TankProcess run(home, {"--window", "200x150", "--seed", "3", "--frames", std::to_string(frames),
                               "--screenshot", shot});
        ASSERT_EQ(run.Wait(60), 0) << run.Output();
        const char c = Shown(Picture(shot));
        if (c != '-' && (seen.empty() || seen.back() != c)) seen += c;
        if (c == 'B') break;
    }
    EXPECT_EQ(seen, "AB");
    // The dialog was never shown, so nothing saved over the list.
    EXPECT_NE(ReadWholeFile(Settings()).find("ImageSum=2"), std::string::npos);
}

}  // namespace
