// The frames of a job's runs as the graph window keeps them, so that after
// a run (or with the job paused) the user can go back through them.
//
// A frame is one snapshot: the time and the three plotted coordinates of
// particles 0..9999 in single precision (plenty for pixels).  The type
// flags are kept once per run.  Frames are kept evenly thinned within a
// byte budget: every stride-th snapshot of a run is kept, and when the
// frames outgrow the budget the stride doubles and every other kept frame
// goes, in every run.  The latest snapshot of each run is always kept, so
// a run's last picture is never lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "job/program.h"

namespace vantrel {

struct GraphFrame {
    float Time = 0;  // s
    std::int32_t Sequence = 0;  // the snapshot's number within its run, from 0
    std::vector<float> A, B, C;  // the snapshot's X, Y, Z (or VX, VY, VZ)
};

struct GraphRun {
    std::int32_t Number = 0;           // 1 for the job's first run
    std::vector<std::uint32_t> Flags;  // of the run's first snapshot
    std::vector<GraphFrame> Frames;    // in time order
    std::int32_t Received = 0;         // snapshots offered in this run
};

class FrameHistory {
public:
    static constexpr std::size_t DefaultBudget = std::size_t{256} << 20;  // bytes

    explicit FrameHistory(std::size_t budgetBytes = DefaultBudget, std::int32_t maxParticles = 10000);

    void Clear();
    // A new run: the next snapshots belong to it.
    void BeginRun();
    // Keeps the snapshot when its turn comes (a run is begun if none is).
    void Add(const PlotSnapshot& snapshot);

    const std::vector<GraphRun>& Runs() const { return runs_; }
    bool Empty() const;
    std::size_t Bytes() const { return bytes_; }
    std::int32_t Stride() const { return stride_; }

private:
    static std::size_t FrameBytes(const GraphFrame& frame);
    void Thin();

    std::size_t budget_;
    std::int32_t maxParticles_;
    std::vector<GraphRun> runs_;
    std::size_t bytes_ = 0;
    std::int32_t stride_ = 1;
};

}  // namespace vantrel
