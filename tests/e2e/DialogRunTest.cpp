// A dialog in the real program, as a user meets it: opened from the tank's
// menu under a window manager (and without one), driven by keyboard only and
// by mouse, and left every way there is; what it held must be in the file
// afterwards. (Each dialog's own keys and saves: tests/dialogs.)

#include <signal.h>

#include <cstdio>

#include "E2e.h"

// After Qt: Xlib's macros clash with Qt's names.
#include <X11/Xlib.h>

namespace {

std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

// Openbox on the test's display for as long as this lives.
class WindowManager {
public:
    explicit WindowManager(bool wanted) {
        if (!wanted) return;
        pid_ = fork();
        if (pid_ == 0) {
            if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr))
                _exit(127);
            execlp("openbox", "openbox", "--sm-disable", nullptr);
            _exit(127);
        }
        for (int i = 0; i < 50 && !Running(); ++i)
            Sleep(100);
    }
    ~WindowManager() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        // The next test may want no window manager at all.
        Sh("xprop -root -remove _NET_SUPPORTING_WM_CHECK");
        Sleep(300);
    }
    bool Running() const {
        return Capture("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") !=
               std::string::npos;
    }

private:
    pid_t pid_ = -1;
};

// Where a visible window whose title matches `pattern` is, on the screen.
QRect WindowRect(const std::string& pattern) {
    const std::string id =
        Capture("xdotool search --onlyvisible --name '" + pattern + "' 2>/dev/null | head -1");
    Display* display = XOpenDisplay(nullptr);
    QRect rect;
    XWindowAttributes a;
    if (display && !id.empty() && XGetWindowAttributes(display, std::stoul(id), &a)) {
        int x = 0, y = 0;
        Window child;
        XTranslateCoordinates(display, std::stoul(id), DefaultRootWindow(display), 0, 0, &x, &y,
                              &child);
        rect = QRect(x, y, a.width, a.height);
    }
    if (display) XCloseDisplay(display);
    return rect;
}

// Whether the window with the keyboard has a title starting with `title`, within two seconds.
bool HasKeyboard(const std::string& title) {
    for (int i = 0; i < 20; ++i, Sleep(100))
        if (Capture("xdotool getwindowfocus getwindowname 2>/dev/null").rfind(title, 0) == 0)
            return true;
    return false;
}

class DialogRun : public EndToEnd, public ::testing::WithParamInterface<bool> {
protected:
    std::unique_ptr<WindowManager> wm;
    std::unique_ptr<TankProcess> tank;
    QRect tankRect;

    void Start(const std::string& settings) {
        wm = std::make_unique<WindowManager>(GetParam());
        ASSERT_EQ(wm->Running(), GetParam());
        WriteWholeFile(Settings(), settings);
        tank = std::make_unique<TankProcess>(
            home, std::vector<std::string>{"--window", "1024x768", "--seed", "4"});
        ASSERT_TRUE(WaitForWindow("^Tidemere 1.1$", true, 600));
        Sleep(1500);
        tankRect = WindowRect("^Tidemere 1.1$");
        ASSERT_GT(tankRect.width(), 0);
    }
    // Right-clicks the tank near its corner and picks menu item `item` (1..8) by keyboard.
    void Menu(int item) {
        std::string keys;
        for (int i = 0; i < item; ++i)
            keys += " Down";
        ASSERT_TRUE(Sh("xdotool mousemove " + std::to_string(tankRect.x() + 60) + " " +
                       std::to_string(tankRect.y() + 60) + " click 3 sleep 0.8 key" + keys +
                       " sleep 0.2 key Return"));
    }
    void Open(int item, const std::string& title) {
        Menu(item);
        ASSERT_TRUE(WaitForWindow(title, true, 300));
        // It has the keyboard at once, so Escape is the dialog's.
        EXPECT_TRUE(HasKeyboard(title)) << Capture("xdotool getwindowfocus getwindowname");
    }
    static void Keys(const std::string& keys) {
        ASSERT_TRUE(Sh("xdotool sleep 0.3 key --delay 120 " + keys + " sleep 0.4"));
    }
    static void Click(int x, int y, int repeat = 1) {
        ASSERT_TRUE(Sh("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) +
                       " sleep 0.2 click --repeat " + std::to_string(repeat) +
                       " --delay 80 1 sleep 0.4"));
    }
    // Escape closed the dialog and nothing else, and the tank has the keyboard back.
    void EscapeClosesOnlyTheDialog(const std::string& title) {
        Keys("Escape");
        EXPECT_TRUE(WaitForWindow(title, false, 30));
        EXPECT_EQ(tank->Wait(1.0), -1) << "Escape on a dialog ended the program";
        EXPECT_TRUE(HasKeyboard("Tidemere 1.1"));
    }
    void Leaves() { EXPECT_EQ(tank->Wait(20), 0) << tank->Output(); }
    std::string Saved() const { return ReadWholeFile(Settings()); }
};

std::string Picture(const TempDir& home, const std::string& name, QColor colour) {
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(colour);
    image.save(QString::fromStdString(home.File(name)));
    return home.File(name);
}

// Keyboard: Tab leaves the list, Space presses Remove Image; Escape hides
// and saves. Mouse: Remove All, then the program is ended with the dialog
// still open, which saves it.
TEST_P(DialogRun, BackgroundDialogByKeyboardThenMouseThenExit) {
    Start(
        "[Custom Images]\nRandomImage=0\nCycImage=1\nRepeatImage=0\nOwnImage=1\nImageTime=5\n"
        "ImageSum=3\nImageList0=" +
        Picture(home, "a.png", Qt::red) + "\nImageList1=" + Picture(home, "b.png", Qt::green) +
        "\nImageList2=" + Picture(home, "c.png", Qt::blue) + "\n");
    Open(7, "Custom Background");
    // Own image, the list (Down Up ends on the first row), three modes, the
    // interval, Add, then Remove Image.
    Keys("Tab Down Up Tab Tab Tab Tab Tab Tab space");
    EscapeClosesOnlyTheDialog("Custom Background");
    EXPECT_NE(Saved().find("ImageSum=2"), std::string::npos) << Saved();
    EXPECT_EQ(Saved().find("a.png"), std::string::npos) << Saved();

    Open(7, "Custom Background");
    const QRect dialog = WindowRect("Custom Background");
    // No keys: the rightmost button of the bottom row is Remove All.
    Click(dialog.right() - 50, dialog.bottom() - 22);
    // With the dialog still open: Exit from the menu, or a SIGTERM as a
    // screensaver daemon or a session's end sends. Either saves it.
    if (GetParam())
        Menu(8);
    else
        ASSERT_EQ(kill(tank->Pid(), SIGTERM), 0);
    Leaves();
    EXPECT_NE(Saved().find("ImageSum=0"), std::string::npos) << Saved();
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutWindowManager, DialogRun, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Openbox" : "NoWm"; });

}  // namespace
