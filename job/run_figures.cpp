#include "job/run_figures.h"

#include "core/number_text.h"
#include "job/log.h"

namespace vantrel {

std::string MaxPartnersText(std::int32_t maxPartnersUsed) {
    return "  Maximum no. of collision partners required was: " + IntegerText(maxPartnersUsed);
}

std::string EnergyErrorText(double dE, double error, double cumulative) {
    return "  dE = " + FormatReal8(dE) + " eV; dE/(KE+|PE|) = " + FormatRealDecimals(4, error) +
           " %; " + " (Cumulative: " + FormatRealDecimals(4, cumulative) + " %)";
}

std::array<std::string, 3> LossTexts(double lss, double orLoss, double stLoss, double lssSum,
                                     double orSum, double stSum) {
    const double k = EvPerJoule;
    return {"  LSS loss (eV): This run: " + FormatReal8(k * lss) +
                ", cumulative: " + FormatReal8(k * lssSum),
            "  OR loss  (eV): This run: " + FormatReal8(k * orLoss) +
                ", cumulative: " + FormatReal8(k * orSum),
            "  ST loss  (eV): This run: " + FormatReal8(k * stLoss) +
                ", cumulative: " + FormatReal8(k * stSum)};
}

std::string CumulativeEnergyErrorText(double mean) {
    return "  Cumulative error in system energy: " + FormatRealDecimals(4, mean) + " %";
}

void ReportMaxPartners(SimulationState& s) {
    if (s.Relay) s.Relay->MaxPartnersLine(s.MaxPartnersUsed);
    LogLine(s.Ui(), MaxPartnersText(s.MaxPartnersUsed), ColourBlack);
}

void ReportEnergyError(SimulationState& s, double dE, double error) {
    s.EnergyErrorSum += error;
    const double cumulative = s.RunCounter > 0 ? s.EnergyErrorSum / s.RunCounter : 0.0;
    if (s.Relay) s.Relay->EnergyErrorLine(dE, error);
    LogLine(s.Ui(), EnergyErrorText(dE, error, cumulative), ColourBlue);
}

void ReportLosses(SimulationState& s) {
    s.LssLossSum += s.LssLoss;
    s.OrLossSum += s.OrLoss;
    s.StLossSum += s.StLoss;
    if (s.Relay) s.Relay->LossLines(s.LssLoss, s.OrLoss, s.StLoss);
    for (const std::string& line :
         LossTexts(s.LssLoss, s.OrLoss, s.StLoss, s.LssLossSum, s.OrLossSum, s.StLossSum))
        LogLine(s.Ui(), line, ColourBlue);
}

}  // namespace vantrel
