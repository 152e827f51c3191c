// The real program against hostile names and displays: it says why and ends
// with a status, never hangs and never lets Qt abort.

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

TEST_F(EndToEnd, ASettingsFileThatIsAFifoIsReportedAndTheRunGoesOnWithDefaults) {
    ASSERT_EQ(mkfifo(Settings().c_str(), 0600), 0);
    TankProcess run(home, {"--window", "160x120", "--frames", "3"});
    EXPECT_EQ(run.Wait(60), 0) << run.Output();
    EXPECT_NE(run.Output().find("Cannot read the settings file"), std::string::npos)
        << run.Output();
}

TEST_F(EndToEnd, NoDisplayOrAWindowTooLargeEndsWithAMessageNotAnAbort) {
    using Case = std::tuple<std::vector<std::string>, TankProcess::Env, std::string>;
    const std::vector<std::string> window = {"--window", "160x120", "--frames", "3"};
    const std::vector<Case> cases = {
        {window, {{"DISPLAY", ""}}, "no display"},
        {window, {{"DISPLAY", ":4093"}}, "cannot open the display ':4093'"},
        {{"--frames", "3"}, {{"DISPLAY", ":4093"}}, "cannot open the display ':4093'"},
        {{"--window", "16384x16384", "--frames", "3"}, {}, "16384x16384 does not fit"},
    };
    for (const auto& [args, env, message] : cases) {
        TankProcess run(home, args, env);
        EXPECT_EQ(run.Wait(60), 2) << message << "\n" << run.Output();
        EXPECT_NE(run.Output().find(message), std::string::npos) << run.Output();
    }
}

}  // namespace
