#include <fcntl.h>
#include <unistd.h>

#include "E2e.h"

namespace {

// An X server of its own, big enough for the largest window below: a window
// larger than its screen is refused.
class BigXServer {
public:
    explicit BigXServer(const std::string& log) {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out >= 0) dup2(out, 2);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "2600x2000x24",
                   "-nolisten", "tcp", nullptr);
            _exit(127);
        }
        close(fds[1]);
        char number[16] = {};
        ssize_t got = 0;
        for (ssize_t n; got < 15 && (n = read(fds[0], number + got, 15 - got)) > 0;) got += n;
        close(fds[0]);
        if (got > 0) display_ = ":" + std::string(number, strcspn(number, "\n"));
    }
    ~BigXServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// The darkest column and the darkest row of a frame, as their share of
// near-black pixels: a bar at any side shows up as a share near 1.
std::pair<double, double> DarkestLines(const QImage& image) {
    auto black = [](QRgb p) { return qRed(p) + qGreen(p) + qBlue(p) < 24; };
    double column = 0, row = 0;
    for (int x = 0; x < image.width(); ++x) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) n += black(image.pixel(x, y));
        column = std::max(column, double(n) / image.height());
    }
    for (int y = 0; y < image.height(); ++y) {
        int n = 0;
        for (int x = 0; x < image.width(); ++x) n += black(image.pixel(x, y));
        row = std::max(row, double(n) / image.width());
    }
    return {column, row};
}

// 21:9 and portrait 9:16: the backdrop reaches every edge, with no black
// column or row (fish and text may darken part of a line, never much of it).
TEST_F(EndToEnd, WideAndPortraitWindowsAreFilledEdgeToEdge) {
    BigXServer x(home.File("xvfb.txt"));
    ASSERT_FALSE(x.Display().empty()) << ReadWholeFile(home.File("xvfb.txt"));
    for (const auto& [shape, w, h] :
         {std::tuple("2520x1080", 2520, 1080), {"1080x1920", 1080, 1920}}) {
        SCOPED_TRACE(shape);
        const QImage shot = LastFrame({"--window", shape, "--seed", "5", "--frames", "20"}, nullptr,
                                     {{"DISPLAY", x.Display()}});
        ASSERT_EQ(shot.size(), QSize(w, h));
        const auto [column, row] = DarkestLines(shot);
        EXPECT_LT(column, 0.2);
        EXPECT_LT(row, 0.2);
    }
}

}  // namespace
