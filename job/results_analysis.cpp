#include "job/results_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <set>
#include <tuple>

namespace vantrel {

namespace {

// Beams closer than these are one beam (the tables hold six digits).
constexpr double EnergyTolerance = 1e-4;  // relative
constexpr double AngleTolerance = 1e-3;   // deg
// The energy histogram reaches this many surface-binding energies.
constexpr double EnergyRangeInBindings = 20.0;
constexpr double DefaultEnergyRange = 70.0;  // eV, without a binding energy

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

bool SameBeam(const RunResultRecord& a, const RunResultRecord& b) {
    return a.IonZ == b.IonZ &&
           std::fabs(a.IonEnergy - b.IonEnergy) <=
               EnergyTolerance * std::max(std::fabs(a.IonEnergy), 1.0) &&
           std::fabs(a.IncidencePolar - b.IncidencePolar) <= AngleTolerance &&
           std::fabs(a.IncidenceAzimuth - b.IncidenceAzimuth) <= AngleTolerance;
}

ResultSummary Summarise(const std::vector<const RunResultRecord*>& runs) {
    ResultSummary s;
    s.Runs = static_cast<std::int64_t>(runs.size());
    if (runs.empty()) return s;
    const RunResultRecord& first = *runs.front();
    s.IonZ = first.IonZ;
    s.IonEnergy = first.IonEnergy;
    s.IncidencePolar = first.IncidencePolar;
    s.IncidenceAzimuth = first.IncidenceAzimuth;
    s.SurfaceBinding = first.SurfaceBinding;

    std::vector<double> yield, reflected, reflectedEnergy, transmitted, depth;
    std::map<std::int32_t, std::vector<double>> bySpecies;
    double vibrating = 0, leftBottom = 0, leftSide = 0;
    for (const RunResultRecord* r : runs) {
        if (!SameBeam(*r, first)) s.MixedBeams = true;
        yield.push_back(r->Sputtered);
        for (const auto& [z, count] : r->SputteredBySpecies) bySpecies[z].push_back(count);
        const bool isReflected = r->Projectile == ProjectileFate::Reflected;
        reflected.push_back(isReflected ? 1.0 : 0.0);
        reflectedEnergy.push_back(isReflected && r->IonEnergy > 0
                                      ? r->ProjectileEnergy / r->IonEnergy
                                      : 0.0);
        transmitted.push_back(r->Projectile == ProjectileFate::Transmitted ? 1.0 : 0.0);
        if (r->Projectile == ProjectileFate::Trapped) ++s.Trapped;
        if (r->Projectile == ProjectileFate::LeftSide) ++s.ProjectilesOutSide;
        leftBottom += r->LeftBottom;
        leftSide += r->LeftSide;
        if (r->Projectile == ProjectileFate::Stopped && !std::isnan(r->ProjectileDepth))
            depth.push_back(r->ProjectileDepth);
        vibrating += r->Vibrating;
        if (r->FastNearSurface > 0) ++s.RunsWithFastAtoms;
    }
    s.Yield = MeanOf(yield);
    for (auto& [z, counts] : bySpecies) {
        // A run written without this species' column counted none of it.
        counts.resize(runs.size(), 0.0);
        s.YieldBySpecies[z] = MeanOf(counts);
    }
    s.ReflectionNumber = MeanOf(reflected);
    s.ReflectionEnergy = MeanOf(reflectedEnergy);
    s.TransmissionNumber = MeanOf(transmitted);
    s.Depth = MeanOf(depth);
    s.Vibrating = vibrating / static_cast<double>(runs.size());
    s.LeftBottom = leftBottom / static_cast<double>(runs.size());
    s.LeftSide = leftSide / static_cast<double>(runs.size());
    return s;
}

std::string Number(double value, int decimals) {
    if (std::isnan(value)) return "-";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.8g", value);
    return buffer;
}

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A mean's error, or NaN when it has no runs.
double ErrorOf(const MeanWithError& m) { return m.Count > 0 ? m.Error : NotApplicable; }
double MeanValue(const MeanWithError& m) { return m.Count > 0 ? m.Mean : NotApplicable; }

// The keys every summary object shares.
std::string SummaryFields(const ResultSummary& s) {
    std::string json;
    auto add = [&](const char* key, const std::string& value) {
        json += std::string(json.empty() ? "" : ", ") + "\"" + key + "\": " + value;
    };
    add("runs", std::to_string(s.Runs));
    add("yield", JsonNumber(MeanValue(s.Yield)));
    add("yield_error", JsonNumber(ErrorOf(s.Yield)));
    std::string species, speciesError;
    for (const auto& [z, m] : s.YieldBySpecies) {
        species += std::string(species.empty() ? "" : ", ") + "\"" + std::to_string(z) +
                   "\": " + JsonNumber(MeanValue(m));
        speciesError += std::string(speciesError.empty() ? "" : ", ") + "\"" +
                        std::to_string(z) + "\": " + JsonNumber(ErrorOf(m));
    }
    add("yield_by_species", "{" + species + "}");
    add("yield_by_species_error", "{" + speciesError + "}");
    add("reflection_number", JsonNumber(MeanValue(s.ReflectionNumber)));
    add("reflection_number_error", JsonNumber(ErrorOf(s.ReflectionNumber)));
    add("reflection_energy", JsonNumber(MeanValue(s.ReflectionEnergy)));
    add("reflection_energy_error", JsonNumber(ErrorOf(s.ReflectionEnergy)));
    add("transmission_number", JsonNumber(MeanValue(s.TransmissionNumber)));
    add("transmission_number_error", JsonNumber(ErrorOf(s.TransmissionNumber)));
    add("trapped", std::to_string(s.Trapped));
    add("stopped", std::to_string(s.Depth.Count));
    add("mean_depth_A", JsonNumber(MeanValue(s.Depth)));
    add("mean_depth_error_A", JsonNumber(ErrorOf(s.Depth)));
    add("straggling_A", JsonNumber(s.Depth.Count > 1 ? s.Depth.Deviation : NotApplicable));
    return json;
}

std::string BeamText(const ResultSummary& s) {
    return "Z " + std::to_string(s.IonZ) + ", " + Number(s.IonEnergy, 1) + " eV, incidence " +
           Number(s.IncidencePolar, 1) + " deg from the normal, azimuth " +
           Number(s.IncidenceAzimuth, 1) + " deg";
}

}  // namespace

ResultsAnalysis AnalyseResults(const std::vector<ResultTableSet>& sets, std::int32_t bins) {
    ResultsAnalysis a;
    bins = std::max<std::int32_t>(bins, 1);
    std::vector<const RunResultRecord*> runs;
    std::vector<const SputteredRecord*> atoms;
    for (std::size_t k = 0; k < sets.size(); ++k) {
        const ResultTableSet& set = sets[k];
        std::set<std::int32_t> seen;
        std::int64_t duplicates = 0, orphans = 0;
        for (const RunResultRecord& r : set.Runs) {
            if (seen.insert(r.Run).second)
                runs.push_back(&r);
            else
                ++duplicates;
        }
        if (set.HasAtomTable) a.HasAtoms = true;
        for (const SputteredRecord& atom : set.Atoms) {
            if (seen.count(atom.Run))
                atoms.push_back(&atom);
            else
                ++orphans;
        }
        const std::string which = "table set " + std::to_string(k + 1);
        if (duplicates > 0)
            a.Notes.push_back(which + ": " + std::to_string(duplicates) +
                              " rows repeat a run number; the first row of each run counts");
        if (orphans > 0)
            a.Notes.push_back(which + ": " + std::to_string(orphans) +
                              " sputtered atoms of runs without a results row left out");
    }

    a.All = Summarise(runs);
    // The beams, in the order of the curves.
    std::vector<std::vector<const RunResultRecord*>> beams;
    for (const RunResultRecord* r : runs) {
        auto beam = std::find_if(beams.begin(), beams.end(),
                                 [&](const auto& b) { return SameBeam(*b.front(), *r); });
        if (beam == beams.end())
            beams.push_back({r});
        else
            beam->push_back(r);
    }
    for (const auto& b : beams) a.Beams.push_back(Summarise(b));
    std::sort(a.Beams.begin(), a.Beams.end(), [](const ResultSummary& x, const ResultSummary& y) {
        return std::tie(x.IonZ, x.IncidencePolar, x.IncidenceAzimuth, x.IonEnergy) <
               std::tie(y.IonZ, y.IncidencePolar, y.IncidenceAzimuth, y.IonEnergy);
    });
    std::vector<double> energies, angles;
    for (const ResultSummary& b : a.Beams) {
        auto fresh = [](std::vector<double>& seen, double v, double tolerance) {
            for (const double s : seen)
                if (std::fabs(s - v) <= tolerance) return;
            seen.push_back(v);
        };
        fresh(energies, b.IonEnergy, EnergyTolerance * std::max(b.IonEnergy, 1.0));
        fresh(angles, b.IncidencePolar, AngleTolerance);
    }
    a.DistinctEnergies = static_cast<std::int32_t>(energies.size());
    a.DistinctPolarAngles = static_cast<std::int32_t>(angles.size());

    // Distributions of the sputtered atoms.
    std::vector<double> energy, polar, polarRadians, azimuth, layer;
    std::int32_t layers = 1;
    for (const SputteredRecord* atom : atoms) {
        energy.push_back(atom->Energy);
        polar.push_back(atom->Polar);
        polarRadians.push_back(Radians(atom->Polar));
        azimuth.push_back(atom->Azimuth);
        layer.push_back(atom->Layer);
        layers = std::max(layers, atom->Layer);
    }
    a.Atoms = static_cast<std::int64_t>(atoms.size());
    const double range = a.All.SurfaceBinding > 0 ? EnergyRangeInBindings * a.All.SurfaceBinding
                                                  : DefaultEnergyRange;
    a.Energy = MakeHistogram(energy, 0.0, range, static_cast<std::size_t>(bins));
    a.Polar = MakeHistogram(polar, 0.0, 90.0, static_cast<std::size_t>(bins));
    a.Azimuth = MakeHistogram(azimuth, 0.0, 360.0, static_cast<std::size_t>(bins));
    a.Layer = MakeHistogram(layer, 0.5, layers + 0.5, static_cast<std::size_t>(layers));
    a.Thompson = FitThompson(energy, range);
    a.Cosine = FitCosinePower(polarRadians);

    std::vector<double> depth;
    double deepest = 0;
    for (const RunResultRecord* r : runs) {
        if (r->Projectile != ProjectileFate::Stopped || std::isnan(r->ProjectileDepth)) continue;
        depth.push_back(r->ProjectileDepth);
        deepest = std::max(deepest, r->ProjectileDepth);
    }
    a.Depth = MakeHistogram(depth, 0.0, deepest > 0 ? std::ceil(deepest * 1.0001) : 1.0,
                            static_cast<std::size_t>(bins));
    return a;
}

std::vector<double> ThompsonCounts(const ResultsAnalysis& a) {
    std::vector<double> counts;
    if (!a.Thompson.Converged) return counts;
    const double u = a.Thompson.Binding;
    const double whole = ThompsonCumulative(a.Energy.High, u);
    for (std::size_t k = 0; k < a.Energy.Counts.size(); ++k) {
        const double low = a.Energy.Low + k * a.Energy.Width();
        const double share =
            ThompsonCumulative(low + a.Energy.Width(), u) - ThompsonCumulative(low, u);
        counts.push_back(static_cast<double>(a.Thompson.Count) * share / whole);
    }
    return counts;
}

std::vector<double> CosinePowerCounts(const ResultsAnalysis& a) {
    std::vector<double> counts;
    if (!a.Cosine.Converged) return counts;
    for (std::size_t k = 0; k < a.Polar.Counts.size(); ++k) {
        const double low = Radians(a.Polar.Low + k * a.Polar.Width());
        const double high = Radians(a.Polar.Low + (k + 1) * a.Polar.Width());
        counts.push_back(static_cast<double>(a.Cosine.Count) *
                         (CosinePowerCumulative(high, a.Cosine.Power) -
                          CosinePowerCumulative(low, a.Cosine.Power)));
    }
    return counts;
}

std::vector<std::string> SummaryLines(const ResultsAnalysis& a) {
    const ResultSummary& s = a.All;
    std::vector<std::string> lines;
    lines.push_back("Runs: " + std::to_string(s.Runs) +
                    (s.MixedBeams ? " (" + std::to_string(a.Beams.size()) + " beams)"
                                  : (s.Runs > 0 ? " (" + BeamText(s) + ")" : std::string())));
    if (s.Runs == 0) return lines;
    lines.push_back("Sputtering yield: " + Number(s.Yield.Mean, 3) + " +/- " +
                    Number(s.Yield.Error, 3) + " atoms/ion");
    for (const auto& [z, m] : s.YieldBySpecies)
        lines.push_back("  Z " + std::to_string(z) + ": " + Number(m.Mean, 3) + " +/- " +
                        Number(m.Error, 3));
    lines.push_back("Reflection: number " + Number(s.ReflectionNumber.Mean, 3) + " +/- " +
                    Number(s.ReflectionNumber.Error, 3) + ", energy " +
                    Number(s.ReflectionEnergy.Mean, 4) + " +/- " +
                    Number(s.ReflectionEnergy.Error, 4));
    lines.push_back("Transmission: number " + Number(s.TransmissionNumber.Mean, 3) + " +/- " +
                    Number(s.TransmissionNumber.Error, 3));
    if (s.Trapped > 0)
        lines.push_back("Trapped above the surface at the end of the run: " +
                        std::to_string(s.Trapped) + " projectiles (neither reflected nor stopped)");
    if (s.ProjectilesOutSide > 0)
        lines.push_back("Out through a side of the crystal: " + std::to_string(s.ProjectilesOutSide) +
                        " projectiles (a wider crystal would hold them)");
    if (s.Depth.Count > 0)
        lines.push_back("Projectile depth (" + std::to_string(s.Depth.Count) +
                        " stopped): mean " + Number(s.Depth.Mean, 2) + " +/- " +
                        Number(s.Depth.Error, 2) + " A, straggling " +
                        Number(s.Depth.Count > 1 ? s.Depth.Deviation : NotApplicable, 2) + " A");
    if (a.HasAtoms) {
        lines.push_back("Sputtered atoms in the tables: " + std::to_string(a.Atoms));
        if (a.Thompson.Converged)
            lines.push_back("Energy distribution: Thompson fit U = " +
                            Number(a.Thompson.Binding, 2) + " +/- " +
                            Number(a.Thompson.Error, 2) + " eV (" +
                            std::to_string(a.Thompson.Count) + " atoms up to " +
                            Number(a.Energy.High, 1) + " eV)");
        if (a.Cosine.Converged)
            lines.push_back("Polar distribution: cos^n fit n = " + Number(a.Cosine.Power, 2) +
                            " +/- " + Number(a.Cosine.Error, 2) + " (" +
                            std::to_string(a.Cosine.Count) + " atoms)");
    }
    lines.push_back("Surface-binding energy of the classification: " +
                    Number(s.SurfaceBinding, 3) + " eV");
    lines.push_back("Vibrating atoms at the end of a run: " + Number(s.Vibrating, 1) +
                    " per run (not counted as sputtered)");
    if (s.LeftBottom > 0 || s.LeftSide > 0)
        lines.push_back("Target atoms out through the lower face: " + Number(s.LeftBottom, 2) +
                        " per run, through the sides: " + Number(s.LeftSide, 2) +
                        " per run (not counted as sputtered)");
    if (s.RunsWithFastAtoms > 0)
        lines.push_back("Runs that ended with fast atoms near the surface: " +
                        std::to_string(s.RunsWithFastAtoms) + " (raise the maximum time)");
    if (a.Beams.size() > 1) {
        lines.push_back("Beams:");
        lines.push_back("      Z    E (eV)  polar  azim.  runs   yield     +/-  refl.    +/-"
                        "  depth (A)    +/-");
        for (const ResultSummary& b : a.Beams) {
            char buffer[200];
            std::snprintf(buffer, sizeof buffer,
                          "  %5d %9.1f %6.1f %6.1f %5lld %7.3f %7.3f %6.3f %6.3f %10s %6s", b.IonZ,
                          b.IonEnergy, b.IncidencePolar, b.IncidenceAzimuth,
                          static_cast<long long>(b.Runs), b.Yield.Mean, b.Yield.Error,
                          b.ReflectionNumber.Mean, b.ReflectionNumber.Error,
                          Number(MeanValue(b.Depth), 2).c_str(),
                          Number(ErrorOf(b.Depth), 2).c_str());
            lines.push_back(buffer);
        }
    }
    for (const std::string& note : a.Notes) lines.push_back("Note: " + note);
    return lines;
}

std::string SummaryJson(const ResultsAnalysis& a) {
    const ResultSummary& s = a.All;
    std::string json = "{" + SummaryFields(s);
    auto add = [&](const char* key, const std::string& value) {
        json += std::string(", \"") + key + "\": " + value;
    };
    add("vibrating_per_run", JsonNumber(s.Runs > 0 ? s.Vibrating : NotApplicable));
    add("left_bottom_per_run", JsonNumber(s.Runs > 0 ? s.LeftBottom : NotApplicable));
    add("left_side_per_run", JsonNumber(s.Runs > 0 ? s.LeftSide : NotApplicable));
    add("side_projectiles", std::to_string(s.ProjectilesOutSide));
    add("runs_with_fast_atoms", std::to_string(s.RunsWithFastAtoms));
    add("surface_binding_eV", JsonNumber(s.Runs > 0 ? s.SurfaceBinding : NotApplicable));
    add("sputtered_atoms", a.HasAtoms ? std::to_string(a.Atoms) : "null");
    add("thompson_binding_eV", JsonNumber(a.Thompson.Converged ? a.Thompson.Binding : NotApplicable));
    add("thompson_binding_error_eV",
        JsonNumber(a.Thompson.Converged ? a.Thompson.Error : NotApplicable));
    add("cos_power_n", JsonNumber(a.Cosine.Converged ? a.Cosine.Power : NotApplicable));
    add("cos_power_error", JsonNumber(a.Cosine.Converged ? a.Cosine.Error : NotApplicable));
    std::string beams;
    for (const ResultSummary& b : a.Beams) {
        beams += std::string(beams.empty() ? "" : ", ") + "{\"ion_Z\": " + std::to_string(b.IonZ) +
                 ", \"ion_energy_eV\": " + JsonNumber(b.IonEnergy) +
                 ", \"incidence_polar_deg\": " + JsonNumber(b.IncidencePolar) +
                 ", \"incidence_azimuth_deg\": " + JsonNumber(b.IncidenceAzimuth) + ", " +
                 SummaryFields(b) + "}";
    }
    add("beams", "[" + beams + "]");
    std::string notes;
    for (const std::string& note : a.Notes)
        notes += std::string(notes.empty() ? "" : ", ") + JsonText(note);
    add("notes", "[" + notes + "]");
    return json + "}";
}

std::string HistogramCsv(const Histogram& h, const std::string& name,
                         const std::vector<double>& fit) {
    std::string text = name + "_low," + name + "_high,count" + (fit.empty() ? "" : ",fit") + "\n";
    for (std::size_t k = 0; k < h.Counts.size(); ++k) {
        char buffer[128];
        std::snprintf(buffer, sizeof buffer, "%.6g,%.6g,%.0f", h.Low + k * h.Width(),
                      h.Low + (k + 1) * h.Width(), h.Counts[k]);
        text += buffer;
        if (k < fit.size()) {
            std::snprintf(buffer, sizeof buffer, ",%.6g", fit[k]);
            text += buffer;
        }
        text += "\n";
    }
    return text;
}

std::string BeamsCsv(const ResultsAnalysis& a) {
    std::string text =
        "ion_Z,ion_energy_eV,incidence_polar_deg,incidence_azimuth_deg,runs,yield,yield_error,"
        "reflection_number,reflection_number_error,reflection_energy,reflection_energy_error,"
        "transmission_number,transmission_number_error,mean_depth_A,mean_depth_error_A,"
        "straggling_A\n";
    auto value = [](double v) {
        if (std::isnan(v)) return std::string();
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.6g", v);
        return std::string(buffer);
    };
    for (const ResultSummary& b : a.Beams) {
        text += std::to_string(b.IonZ) + "," + value(b.IonEnergy) + "," + value(b.IncidencePolar) +
                "," + value(b.IncidenceAzimuth) + "," + std::to_string(b.Runs) + "," +
                value(b.Yield.Mean) + "," + value(b.Yield.Error) + "," +
                value(b.ReflectionNumber.Mean) + "," + value(b.ReflectionNumber.Error) + "," +
                value(b.ReflectionEnergy.Mean) + "," + value(b.ReflectionEnergy.Error) + "," +
                value(b.TransmissionNumber.Mean) + "," + value(b.TransmissionNumber.Error) + "," +
                value(MeanValue(b.Depth)) + "," + value(ErrorOf(b.Depth)) + "," +
                value(b.Depth.Count > 1 ? b.Depth.Deviation : NotApplicable) + "\n";
    }
    return text;
}

}  // namespace vantrel
