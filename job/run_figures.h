// The end-of-run lines whose figures run over the job's runs so far: the
// largest partner count met, the energy error with its cumulative mean, the
// losses with their cumulative sums, and the closing mean of the energy
// error.  The trajectory writes them as each run ends; the parent of worker
// processes and `vantrel-cli join` write them again for runs made elsewhere,
// from the same per-run values summed in run order, so the texts are the
// same to the byte.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "job/state.h"

namespace vantrel {

// "  Maximum no. of collision partners required was: <n>"
std::string MaxPartnersText(std::int32_t maxPartnersUsed);
// "  dE = <dE> eV; dE/(KE+|PE|) = <error> %;  (Cumulative: <mean> %)"
std::string EnergyErrorText(double dE, double error, double cumulative);
// The LSS, OR and ST lines from a run's losses and the job's sums (J).
std::array<std::string, 3> LossTexts(double lss, double orLoss, double stLoss, double lssSum,
                                     double orSum, double stSum);
// "  Cumulative error in system energy: <mean> %", the job's closing line.
std::string CumulativeEnergyErrorText(double mean);

// The lines as the job writes them, each told to the relay first
// (job/run_relay.h):
// the largest partner count so far, s.MaxPartnersUsed (black);
void ReportMaxPartners(SimulationState& s);
// the run's energy error (%), added to s.EnergyErrorSum, with the mean over
// s.RunCounter runs (blue);
void ReportEnergyError(SimulationState& s, double dE, double error);
// the run's losses s.LssLoss, s.OrLoss, s.StLoss, added to the job's sums (blue).
void ReportLosses(SimulationState& s);

}  // namespace vantrel
