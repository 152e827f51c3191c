#pragma once

#include <QApplication>
#include <memory>

#include "app/CMainFrame.h"
#include "app/HackHost.h"
#include "platform/InstanceLock.h"

// The application: refuses to run twice, then opens the frame.
class AquariumApp : public QApplication {
    Q_OBJECT
public:
    // Without `messageBoxes` (a screensaver hack) messages go to stderr only.
    AquariumApp(int& argc, char** argv, bool messageBoxes = true);
    ~AquariumApp() override;

    // Returns -1 when the program goes on running, else the exit status.
    // `windowWidth` x `windowHeight` of 0 covers the screen.
    int InitInstance(int windowWidth, int windowHeight, const RunOptions& options);
    // Full screen on screen `screenIndex` (-1: the primary one), or across
    // every screen. Returns 2 with a message for a screen that is not there.
    int InitInstance(const RunOptions& options, int screenIndex, bool span);
    // Screensaver hack mode: no lock, no frame; the tank fills `target`.
    int InitHack(const HackTarget& target, const RunOptions& options);

    CMainFrame* Frame() const { return frame_.get(); }

private:
    InstanceLock firstLock_;
    InstanceLock appLock_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<HackHost> hack_;
    QScreen* screen_ = nullptr;  // null: the primary screen
    bool span_ = false;
};
