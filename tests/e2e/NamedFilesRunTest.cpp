// A screenshot target that is no file: the run says why and ends with a
// status, never hangs and never writes through it.

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "E2e.h"

namespace {

TEST_F(EndToEnd, AScreenshotTargetThatIsNoFileIsRefusedAndLeftAlone) {
    const std::string target = home.File("shot.png");
    struct Case {
        const char* name;
        std::function<bool()> make;
        const char* why;
    };
    const Case cases[] = {
        {"FIFO", [&] { return mkfifo(target.c_str(), 0600) == 0; }, "not a regular file"},
        {"folder", [&] { return mkdir(target.c_str(), 0700) == 0; }, "it is a folder"},
        {"symlink to /dev/zero", [&] { return symlink("/dev/zero", target.c_str()) == 0; },
         "not a regular file"},
    };
    for (const Case& c : cases) {
        Sh("rm -rf " + target);
        ASSERT_TRUE(c.make()) << c.name;
        struct stat before, after;
        ASSERT_EQ(lstat(target.c_str(), &before), 0);
        TankProcess run(home, {"--window", "160x120", "--frames", "3", "--screenshot", target});
        const int status = run.Wait(60);
        EXPECT_EQ(status, 1) << c.name << (status == -1 ? ": hung" : "") << "\n" << run.Output();
        EXPECT_NE(run.Output().find(c.why), std::string::npos) << c.name << run.Output();
        ASSERT_EQ(lstat(target.c_str(), &after), 0);
        EXPECT_EQ(before.st_ino, after.st_ino) << c.name;
    }

    // A file there when the run starts, swapped for a FIFO while it runs.
    Sh("rm -rf " + target);
    WriteWholeFile(target, "old");
    TankProcess run(home, {"--window", "160x120", "--frames", "60", "--screenshot", target});
    const std::string fifo = home.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(rename(fifo.c_str(), target.c_str()), 0);
    EXPECT_EQ(run.Wait(60), 1) << run.Output();
    struct stat st;
    ASSERT_EQ(lstat(target.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
