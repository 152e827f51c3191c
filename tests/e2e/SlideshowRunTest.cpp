#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

// Which of the two pictures fills most of a screenshot: 'A' (red), 'B'
// (blue) or '-' (neither: nothing loaded or picked yet).
char Shown(const QImage& shot) {
    int red = 0, blue = 0, all = 0;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4) {
            const QRgb p = shot.pixel(x, y);
            ++all;
            if (qRed(p) > 120 && qRed(p) > qBlue(p) + 60 && qRed(p) > qGreen(p) + 60) ++red;
            if (qBlue(p) > 120 && qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 60) ++blue;
        }
    if (red > all / 3) return 'A';
    if (blue > all / 3) return 'B';
    return '-';
}

TEST(SlideshowRun, TwoListedPicturesShowTheFirstThenTheSecond) {
    TempDir home;
    const std::string config = home.File("config/VelmarScr");
    QDir().mkpath(QString::fromStdString(config));
    QDir().mkpath(QString::fromStdString(home.File("runtime")));
    QImage a(64, 64, QImage::Format_RGB32), b(64, 64, QImage::Format_RGB32);
    a.fill(QColor(230, 20, 20));
    b.fill(QColor(20, 20, 230));
    ASSERT_TRUE(a.save(QString::fromStdString(home.File("first picture.png"))));
    ASSERT_TRUE(b.save(QString::fromStdString(home.File("second.png"))));
    const std::string settings = config + "/KelvaronSet.ini";
    WriteWholeFile(settings, "[Aquarium Settings]\nQIPAONUM=110\n"
                             "[Fish Number]\nFish0=0\nFish1=0\nFish2=0\nFish3=0\nFish4=0\n"
                             "[Custom Images]\nRandomImage=0\nCycImage=1\nRepeatImage=0\nOwnImage=1\n"
                             "ImageTime=1\nImageSum=2\nImageList0=" + home.File("first picture.png") +
                                 "\nImageList1=" + home.File("second.png") + "\n");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(home.File("config")));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.File("runtime")));
    env.insert("SDL_AUDIODRIVER", "dummy");

    // Separate runs of growing length: the first picture shows from the
    // first slideshow tick, the second one second later. Steps are short
    // enough that the first picture cannot be skipped.
    std::string seen;
    for (int frames : {10, 25, 40, 60, 80, 100, 125, 150, 180, 220, 260, 300}) {
        const std::string shot = home.File("shot" + std::to_string(frames) + ".png");
        QProcess run;
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(TIDEMERE_BINARY, {"--window", "200x150", "--seed", "3", "--frames",
                                    QString::number(frames), "--screenshot", QString::fromStdString(shot)});
        ASSERT_TRUE(run.waitForFinished(60000));
        ASSERT_EQ(run.exitCode(), 0) << run.readAll().toStdString();
        const char c = Shown(QImage(QString::fromStdString(shot)));
        if (seen.empty() || seen.back() != c) seen += c;
        if (c == 'B') break;
    }
    // Leading '-': still loading. Then A, then B.
    const std::string order = seen.substr(seen.find_first_not_of('-') == std::string::npos
                                              ? seen.size()
                                              : seen.find_first_not_of('-'));
    EXPECT_EQ(order.substr(0, 2), "AB") << "seen " << seen;

    // The dialog was never shown, so nothing saved over the list.
    EXPECT_NE(ReadWholeFile(settings).find("ImageSum=2"), std::string::npos);
}

TEST(SlideshowRun, MissingAndSurplusPicturesAreReportedWithoutStoppingTheTank) {
    TempDir home;
    const std::string config = home.File("config/VelmarScr");
    QDir().mkpath(QString::fromStdString(config));
    QDir().mkpath(QString::fromStdString(home.File("runtime")));
    QImage a(16, 16, QImage::Format_RGB32);
    a.fill(Qt::red);
    ASSERT_TRUE(a.save(QString::fromStdString(home.File("a.png"))));
    // Ten that exist, one that is gone, then two over the limit.
    std::string list = "[Custom Images]\nOwnImage=1\nImageSum=13\nImageList0=" + home.File("gone.jpg") + "\n";
    for (int i = 1; i < 13; ++i) list += "ImageList" + std::to_string(i) + "=" + home.File("a.png") + "\n";
    const std::string settings = config + "/KelvaronSet.ini";
    WriteWholeFile(settings, list);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(home.File("config")));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.File("runtime")));
    env.insert("SDL_AUDIODRIVER", "dummy");
    QProcess run;
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(TIDEMERE_BINARY, {"--window", "200x150", "--frames", "60"});
    ASSERT_TRUE(run.waitForFinished(60000));
    const std::string output = run.readAll().toStdString();
    EXPECT_EQ(run.exitCode(), 0) << output;
    EXPECT_NE(output.find("(" + home.File("gone.jpg") + ")image loading error."), std::string::npos) << output;
    // The missing one fails at once and leaves its place: two are over.
    size_t surplus = 0;
    for (size_t at = 0; (at = output.find("The maximum number of background is: 10", at)) != std::string::npos; ++at)
        ++surplus;
    EXPECT_EQ(surplus, 2u) << output;
    EXPECT_EQ(ReadWholeFile(settings).find("ImageSum=13") != std::string::npos, true);
}

}  // namespace
