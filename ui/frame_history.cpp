#include "ui/frame_history.h"

#include <algorithm>

namespace vantrel {

FrameHistory::FrameHistory(std::size_t budgetBytes, std::int32_t maxParticles)
    : budget_(budgetBytes), maxParticles_(maxParticles) {}

void FrameHistory::Clear() {
    runs_.clear();
    bytes_ = 0;
    stride_ = 1;
}

void FrameHistory::BeginRun() {
    GraphRun run;
    run.Number = static_cast<std::int32_t>(runs_.size()) + 1;
    runs_.push_back(std::move(run));
}

bool FrameHistory::Empty() const {
    return std::all_of(runs_.begin(), runs_.end(), [](const GraphRun& run) { return run.Frames.empty(); });
}

std::size_t FrameHistory::FrameBytes(const GraphFrame& frame) {
    return sizeof(GraphFrame) + (frame.A.capacity() + frame.B.capacity() + frame.C.capacity()) * sizeof(float);
}

void FrameHistory::Add(const PlotSnapshot& snapshot) {
    if (runs_.empty()) BeginRun();
    GraphRun& run = runs_.back();
    const std::int32_t sequence = run.Received++;
    const bool arrays = snapshot.X != nullptr && snapshot.Y != nullptr && snapshot.Z != nullptr;
    const std::int32_t count = arrays ? std::clamp(snapshot.AtomCount + 1, 0, maxParticles_) : 0;
    if (run.Flags.empty() && snapshot.Flags != nullptr && count > 0)
        run.Flags.assign(snapshot.Flags, snapshot.Flags + count);

    // The latest frame off the stride was kept only for being the latest.
    if (!run.Frames.empty() && run.Frames.back().Sequence % stride_ != 0) {
        bytes_ -= FrameBytes(run.Frames.back());
        run.Frames.pop_back();
    }
    GraphFrame frame;
    frame.Time = snapshot.Time;
    frame.Sequence = sequence;
    frame.A.assign(snapshot.X, snapshot.X + count);
    frame.B.assign(snapshot.Y, snapshot.Y + count);
    frame.C.assign(snapshot.Z, snapshot.Z + count);
    bytes_ += FrameBytes(frame);
    run.Frames.push_back(std::move(frame));
    while (bytes_ > budget_) {
        const std::size_t before = bytes_;
        Thin();
        if (bytes_ == before) break;  // nothing left to thin: every run down to its latest frame
    }
}

void FrameHistory::Thin() {
    if (stride_ >= (1 << 29)) return;
    stride_ *= 2;
    for (GraphRun& run : runs_) {
        if (run.Frames.empty()) continue;
        const std::int32_t latest = run.Frames.back().Sequence;
        std::erase_if(run.Frames, [&](const GraphFrame& frame) {
            const bool goes = frame.Sequence % stride_ != 0 && frame.Sequence != latest;
            if (goes) bytes_ -= FrameBytes(frame);
            return goes;
        });
    }
}

}  // namespace vantrel
