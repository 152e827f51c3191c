#pragma once

#include <cstdint>

// The tank's clock: the simulation moves in fixed 10 ms steps, 100 a second,
// whatever the frame rate. A frame runs the steps real time owes (the last of
// them drawn); a stalled machine drops time instead of racing to catch up.
// Plain logic: the view feeds it nanoseconds from a monotonic clock.
class FramePacer {
public:
    static constexpr std::int64_t kStepNs = 10'000'000;
    static constexpr int kStepsPerSecond = 100;
    static constexpr int kMinFps = 1;
    static constexpr int kMaxFps = 1000;
    // Catch-up allowed on top of one frame's steps: a quarter of a second, so a
    // slow machine (down to about 4 frames a second) still keeps full speed.
    static constexpr int kCatchUpSteps = 25;

    // `fps` 0 paces frames like a step (the display's swap may slow them
    // further); otherwise that many frames a second, held to kMinFps..kMaxFps.
    explicit FramePacer(int fps = 0);

    void Start(std::int64_t nowNs);

    // Steps owed at `nowNs`, taken now: 0 when none is due yet (no frame is
    // worth drawing), never more than MaxStepsPerFrame(). With `atLeastOne`
    // (a frame that must be drawn) it returns 1 for an early frame and owes
    // the step back to the clock.
    int TakeSteps(std::int64_t nowNs, bool atLeastOne = false);

    // When the next frame is worth drawing: its slot has come and a step is due.
    std::int64_t NextFrameNs() const;
    // Marks the frame drawn at `nowNs`; a late frame does not bring the next one forward.
    void FrameDone(std::int64_t nowNs);

    int Fps() const { return fps_; }
    std::int64_t FrameIntervalNs() const { return frameNs_; }
    int MaxStepsPerFrame() const { return maxSteps_; }
    long long StepsTaken() const { return stepsTaken_; }
    long long StepsDropped() const { return stepsDropped_; }

private:
    int fps_;
    std::int64_t frameNs_;
    int maxSteps_;
    std::int64_t originNs_ = 0;  // where step 0 began, moved on by dropped time
    std::int64_t nextFrameNs_ = 0;
    long long stepsTaken_ = 0;
    long long stepsDropped_ = 0;
};
