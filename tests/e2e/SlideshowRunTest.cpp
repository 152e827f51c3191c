#include "E2e.h"

namespace {

// A broken file listed first, then two good pictures: the built-in backdrop
// shows until the first good one is ready, never a white wall, and the
// broken one does not end the slideshow.
TEST_F(EndToEnd, ListedPicturesFollowTheBuiltInBackdropPastABrokenOne) {
    QImage a(64, 64, QImage::Format_RGB32), b(64, 64, QImage::Format_RGB32);
    a.fill(QColor(230, 20, 20));
    b.fill(QColor(20, 20, 230));
    ASSERT_TRUE(a.save(QString::fromStdString(home.File("first picture.png"))));
    ASSERT_TRUE(b.save(QString::fromStdString(home.File("second.png"))));
    WriteWholeFile(home.File("broken.png"), "\x89PNG\r\n\x1a\n not a picture after all");
    WriteWholeFile(Settings(),
                   "[Aquarium Settings]\nQIPAONUM=110\n"
                   "[Fish Number]\nFish0=0\nFish1=0\nFish2=0\nFish3=0\nFish4=0\n"
                   "[Custom Images]\nRandomImage=0\nCycImage=1\nRepeatImage=0\nOwnImage=1\n"
                   "ImageTime=3\nImageSum=3\nImageList0=" +
                       home.File("broken.png") + "\nImageList1=" + home.File("first picture.png") +
                       "\nImageList2=" + home.File("second.png") + "\n");
    const auto red = [](QRgb p) {
        return qRed(p) > 120 && qRed(p) > qBlue(p) + 60 && qRed(p) > qGreen(p) + 60;
    };
    const auto blue = [](QRgb p) {
        return qBlue(p) > 120 && qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 60;
    };
    const auto white = [](QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200; };
    // Separate runs of growing length (the first frame is fogged by design):
    // the built-in picture (I) until the first good picture (A) is ready,
    // the second (B) three seconds later, and never a white wall (W) or
    // anything else (-). How soon a run gets going varies with the machine,
    // so the runs need not come in order.
    std::string seen, log;
    for (int frames : {2, 10, 40, 150, 300, 400, 500, 600}) {
        const QImage shot =
            LastFrame({"--window", "200x150", "--seed", "3", "--frames", std::to_string(frames)});
        const char c = Share(shot, white, 4) > 1.0 / 3  ? 'W'
                       : Share(shot, red, 4) > 1.0 / 3  ? 'A'
                       : Share(shot, blue, 4) > 1.0 / 3 ? 'B'
                       : Colours(shot, 8) > 40          ? 'I'
                                                        : '-';
        seen += c;
        log += std::to_string(frames) + ":" + c + " ";
        if (c == 'B') break;
    }
    EXPECT_EQ(seen.find_first_of("W-"), std::string::npos) << log;
    EXPECT_NE(seen.find('I'), std::string::npos) << log;
    EXPECT_NE(seen.find('A'), std::string::npos) << log;
    EXPECT_EQ(seen.back(), 'B') << log;
    // The dialog was never shown, so nothing saved over the list.
    EXPECT_NE(ReadWholeFile(Settings()).find("ImageSum=3"), std::string::npos);
}

}  // namespace
