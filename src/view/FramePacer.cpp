#include "view/FramePacer.h"

#include <algorithm>

FramePacer::FramePacer(int fps)
    : fps_(fps <= 0 ? 0 : std::clamp(fps, kMinFps, kMaxFps)),
      frameNs_(fps_ == 0 ? kStepNs : 1'000'000'000LL / fps_),
      maxSteps_(static_cast<int>((frameNs_ + kStepNs - 1) / kStepNs) + kCatchUpSteps) {}

void FramePacer::Start(std::int64_t nowNs) {
    originNs_ = nowNs;
    nextFrameNs_ = nowNs + frameNs_;
    stepsTaken_ = 0;
    stepsDropped_ = 0;
}

int FramePacer::TakeSteps(std::int64_t nowNs, bool atLeastOne) {
    long long owed = (nowNs - originNs_) / kStepNs - stepsTaken_;
    if (owed > maxSteps_) {
        // Time the machine could not keep up with is lost, not raced through.
        const long long dropped = owed - maxSteps_;
        stepsDropped_ += dropped;
        originNs_ += dropped * kStepNs;
        owed = maxSteps_;
    }
    if (owed < 1) owed = atLeastOne ? 1 : 0;
    stepsTaken_ += owed;
    return static_cast<int>(owed);
}

std::int64_t FramePacer::NextFrameNs() const {
    return std::max<std::int64_t>(nextFrameNs_, originNs_ + (stepsTaken_ + 1) * kStepNs);
}

void FramePacer::FrameDone(std::int64_t nowNs) {
    nextFrameNs_ += frameNs_;
    if (nextFrameNs_ < nowNs) nextFrameNs_ = nowNs;
}
