// Values that live for the whole program rather than one job: the option
// block and its companions, the abort flags, the graph snapshot, the random
// generator and the few model values that carry over from job to job.  The
// program (desktop window, console runner or a test) owns one of these and
// passes it down; two of them can run jobs side by side.
#pragma once

#include <cstdint>
#include <string>

#include "core/random.h"
#include "core/step_timers.h"
#include "job/user_interface.h"
#include "core/options.h"

namespace vantrel {

// What the graph window draws: the position or velocity arrays of the running
// job, its flags, its particle count and the current time.
struct PlotSnapshot {
    const double* X = nullptr;  // X, Y, Z for a spatial plot; VX, VY, VZ for a velocity plot
    const double* Y = nullptr;
    const double* Z = nullptr;
    const std::uint32_t* Flags = nullptr;
    std::int32_t AtomCount = 0;
    float Time = 0.0f;  // s
};

// Default companion values (not stored in the configuration file).
inline constexpr double SpatialGraphScale = 1e11;   // px per m: 1 px = 0.1 A
inline constexpr double VelocityGraphScale = 0.01;  // px per m/s: 1 px = 100 m/s

// Initial squared interaction radius of the OR and ST models: (2 A)^2.
inline constexpr double DefaultInelasticRadiusSquare = 4.0e-20;  // m^2

struct ProgramContext {
    explicit ProgramContext(UserInterface& ui) : Ui(ui) {}
    ProgramContext(const ProgramContext&) = delete;
    ProgramContext& operator=(const ProgramContext&) = delete;

    UserInterface& Ui;

    // Option block and its companion values.
    SimulationOptions Options;
    ExtendedOptions Extended;  // beside the block, never in the configuration record
    double GraphScale = SpatialGraphScale;
    std::int32_t RunOffset = 0;
    std::int32_t RandomSeed = 1;
    std::string ConfigFilePath = "vantrel.cfg";

    // The only channel from the window into a running job.
    bool AbortRequested = false;  // Cancel, Ctrl-Break, overflows: ask at the next rebuild
    bool AbortNow = false;        // Step, confirmed abort, overflow: end this trajectory

    PlotSnapshot Plot;
    RandomGenerator Random;

    // Inverted by every executed energy report; its phase carries over jobs.
    bool FinalReportToggle = false;
    // OR and ST interaction radii, squared (m^2); only ever lowered by the
    // inelastic reader (OR) or set from the file's largest radius (ST).
    double OrRadiusSquare = DefaultInelasticRadiusSquare;
    double StRadiusSquare = DefaultInelasticRadiusSquare;
    // Steps since the last cooling temperature line; never reset by a job.
    std::int32_t CoolingReportCounter = 0;
    // Phase timing for the benchmarks; null (no timing) everywhere else.
    StepTimers* Timers = nullptr;
};

}  // namespace vantrel
