// Starts under conditions a user's machine can hand the program: no OpenGL,
// a runtime folder it cannot write, stray entries in its settings folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "support/TempDir.h"

namespace {

class HostileStart : public ::testing::Test {
protected:
    TempDir home;
    std::string output;
    HostileStart() {
        std::filesystem::create_directories(home.File("config/VelmarScr"));
        std::filesystem::create_directories(home.File("runtime"));
        chmod(home.File("runtime").c_str(), 0700);
    }
    std::string Env(const std::string& extra) const {
        return "XDG_CONFIG_HOME=" + home.File("config") + " XDG_RUNTIME_DIR=" + home.File("runtime") +
               " SDL_AUDIODRIVER=dummy " + extra;
    }
    // Runs the program (at most 120 s) and returns its exit status.
    int Run(const std::string& env, const std::string& args) {
        const std::string out = home.File("output.txt");
        const std::string command = "env " + Env(env) + " timeout -s KILL 120 " TIDEMERE_BINARY " " +
                                    args + " >" + out + " 2>&1";
        const int status = std::system(command.c_str());
        output = ReadWholeFile(out);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(HostileStart, WithoutOpenGlAScriptedRunSaysSoAndFails) {
    EXPECT_EQ(Run("QT_XCB_GL_INTEGRATION=none", "--window 320x240 --frames 5"), 1) << output;
    EXPECT_NE(output.find("ChoosePixelFormat failed"), std::string::npos) << output;
}

TEST_F(HostileStart, WithoutOpenGlTheBoxStaysUntilClosedThenTheRunFails) {
    const std::string out = home.File("box.txt");
    const pid_t child = fork();
    if (child == 0) {
        const std::string command = "exec env " + Env("QT_XCB_GL_INTEGRATION=none") +
                                    " " TIDEMERE_BINARY " --window 320x240 >" + out + " 2>&1";
        execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        _exit(127);
    }
    // Return presses the box's default button.
    const int closed = std::system(
        "w=$(timeout 20 xdotool search --sync --onlyvisible --name VelmarScr | head -1) && "
        "sleep 0.5 && xdotool windowfocus \"$w\" && sleep 0.3 && xdotool key Return");
    int status = -1;
    for (int i = 0; i < 500 && waitpid(child, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    EXPECT_EQ(closed, 0);
    ASSERT_TRUE(WIFEXITED(status)) << ReadWholeFile(out);
    EXPECT_EQ(WEXITSTATUS(status), 1) << ReadWholeFile(out);
}

TEST_F(HostileStart, AnUnwritableRuntimeFolderIsReportedAndTheTankStillRuns) {
    // Not even root may make files in /proc.
    const std::string shot = home.File("tank.png");
    EXPECT_EQ(Run("XDG_RUNTIME_DIR=/proc", "--window 320x240 --frames 20 --screenshot " + shot), 0)
        << output;
    EXPECT_NE(output.find("Cannot make the lock file"), std::string::npos) << output;
    EXPECT_TRUE(std::filesystem::exists(shot)) << output;
}

TEST_F(HostileStart, StrayEntriesNamedLikeUnpackedFilesAreNeitherFollowedNorNeeded) {
    const std::string folder = home.File("config/VelmarScr/");
    WriteWholeFile(home.File("victim"), "precious");
    std::filesystem::create_directory(folder + "fish0.bmp");
    std::filesystem::create_directory(folder + "fish0.ad");
    std::filesystem::create_symlink(home.File("victim"), folder + "BackGround0.bmp");
    std::filesystem::create_symlink(home.File("victim"), folder + "fish5.ad");
    const std::string shot = home.File("tank.png");
    EXPECT_EQ(Run("", "--window 320x240 --frames 20 --screenshot " + shot), 0) << output;
    EXPECT_EQ(ReadWholeFile(home.File("victim")), "precious");
    EXPECT_TRUE(std::filesystem::is_directory(folder + "fish0.bmp"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "BackGround0.bmp"));
    // Only the settings file joins the strays: every unpacked file is gone.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 5);
}

}  // namespace
