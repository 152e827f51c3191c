#pragma once

#include <QApplication>
#include <memory>

#include "app/CMainFrame.h"
#include "platform/InstanceLock.h"

// The application: refuses to run twice, then opens the frame.
class AquariumApp : public QApplication {
    Q_OBJECT
public:
    AquariumApp(int& argc, char** argv);
    ~AquariumApp() override;

    // Returns -1 when the program goes on running, else the exit status.
    // `windowWidth` x `windowHeight` of 0 covers the screen.
    int InitInstance(int windowWidth, int windowHeight, const RunOptions& options);

    CMainFrame* Frame() const { return frame_.get(); }

private:
    InstanceLock firstLock_;
    InstanceLock appLock_;
    std::unique_ptr<CMainFrame> frame_;
};
