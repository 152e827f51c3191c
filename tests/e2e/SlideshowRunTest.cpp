#include "E2e.h"

namespace {

TEST_F(EndToEnd, TwoListedPicturesShowTheFirstThenTheSecond) {
    QImage a(64, 64, QImage::Format_RGB32), b(64, 64, QImage::Format_RGB32);
    a.fill(QColor(230, 20, 20));
    b.fill(QColor(20, 20, 230));
    ASSERT_TRUE(a.save(QString::fromStdString(home.File("first picture.png"))));
    ASSERT_TRUE(b.save(QString::fromStdString(home.File("second.png"))));
    WriteWholeFile(Settings(),
                   "[Aquarium Settings]\nQIPAONUM=110\n"
                   "[Fish Number]\nFish0=0\nFish1=0\nFish2=0\nFish3=0\nFish4=0\n"
                   "[Custom Images]\nRandomImage=0\nCycImage=1\nRepeatImage=0\nOwnImage=1\n"
                   "ImageTime=1\nImageSum=2\nImageList0=" +
                       home.File("first picture.png") + "\nImageList1=" + home.File("second.png") +
                       "\n");
    const auto red = [](QRgb p) {
        return qRed(p) > 120 && qRed(p) > qBlue(p) + 60 && qRed(p) > qGreen(p) + 60;
    };
    const auto blue = [](QRgb p) {
        return qBlue(p) > 120 && qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 60;
    };
    // Separate runs of growing length: the first picture shows from the
    // first slideshow tick, the second one second later. Steps are short
    // enough that the first picture cannot be skipped.
    std::string seen;
    for (int frames : {10, 25, 40, 60, 80, 100, 125, 150, 180, 220, 260, 300}) {
        const QImage shot =
            LastFrame({"--window", "200x150", "--seed", "3", "--frames", std::to_string(frames)});
        const char c = Share(shot, red, 4) > 1.0 / 3    ? 'A'
                       : Share(shot, blue, 4) > 1.0 / 3 ? 'B'
                                                        : '-';
        if (c != '-' && (seen.empty() || seen.back() != c)) seen += c;
        if (c == 'B') break;
    }
    EXPECT_EQ(seen, "AB");
    // The dialog was never shown, so nothing saved over the list.
    EXPECT_NE(ReadWholeFile(Settings()).find("ImageSum=2"), std::string::npos);
}

}  // namespace
