// Statistics of per-run results: means with their standard errors,
// histograms, and the two fits of sputtering distributions.
//
// Yield.  The number of atoms a run sputters, y_i, over N runs: mean Y,
// sample standard deviation s = sqrt(sum (y_i - Y)^2 / (N - 1)), standard
// error s / sqrt(N).  A fraction (reflection, transmission) is a mean of
// 0/1 values: the same formulas.
//
// Thompson energy distribution.  Atoms sputtered from a planar surface
// binding U have dN/dE proportional to E / (E + U)^3; normalised on [0, inf)
// the density is p(E) = 2 U E / (E + U)^3 with the cumulative F(E) =
// (E / (E + U))^2, which peaks at E = U / 2.  With the sample truncated at
// E_max (energies above it left out) the density is p / F(E_max).  U is
// found by maximum likelihood: the score
//   S(U) = N / U - 3 sum 1 / (E_i + U) + 2 N / (E_max + U)
// (the last term only with truncation) vanishes; its error is the inverse
// square root of the observed information -dS/dU.
//
// Polar distribution cos^n.  A flux with dN/dOmega proportional to
// cos^n(theta) has c = cos(theta) distributed as (n + 1) c^n on [0, 1], so
// the likelihood gives n + 1 = -N / sum ln c_i in closed form, with error
// (n + 1) / sqrt(N).  The share of the flux with polar angle below theta is
// 1 - cos^(n+1)(theta).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vantrel {

// A mean built up one value at a time.
struct RunningMean {
    std::int64_t Count = 0;
    double Sum = 0;
    double SumOfSquares = 0;

    void Add(double value) {
        ++Count;
        Sum += value;
        SumOfSquares += value * value;
    }
    double Mean() const;
    // Sample standard deviation (N - 1); 0 for fewer than two values.
    double Deviation() const;
    // Deviation / sqrt(N); 0 for fewer than two values.
    double StandardError() const;
};

struct MeanWithError {
    double Mean = 0;
    double Deviation = 0;  // sample standard deviation
    double Error = 0;      // standard error of the mean
    std::int64_t Count = 0;
};

MeanWithError MeanOf(std::span<const double> values);

// Equal bins over [Low, High); values outside go to Below or Above.
struct Histogram {
    double Low = 0;
    double High = 1;
    std::vector<double> Counts;
    double Below = 0;
    double Above = 0;

    double Width() const { return Counts.empty() ? 0 : (High - Low) / Counts.size(); }
    double Centre(std::size_t bin) const { return Low + (bin + 0.5) * Width(); }
    double Total() const;  // inside the range
};

Histogram MakeHistogram(std::span<const double> values, double low, double high,
                        std::size_t bins);

struct ThompsonFit {
    bool Converged = false;
    double Binding = 0;  // U, in the unit of the energies
    double Error = 0;
    std::int64_t Count = 0;  // energies used (positive, at most E_max)
};

// Maximum-likelihood U of the energies; truncation 0 (or less) fits the
// untruncated law, otherwise only energies up to it count.  Energies of 0
// or less are left out.  Not converged with fewer than 3 energies.
ThompsonFit FitThompson(std::span<const double> energies, double truncation);

// Cumulative Thompson law F(E) = (E / (E + U))^2.
double ThompsonCumulative(double energy, double binding);

struct CosinePowerFit {
    bool Converged = false;
    double Power = 0;  // n
    double Error = 0;
    std::int64_t Count = 0;
};

// Maximum-likelihood n of polar angles (rad, 0..pi/2; others left out).
// Not converged with fewer than 3 angles.
CosinePowerFit FitCosinePower(std::span<const double> polar);

// Share of a cos^n flux with polar angle below theta: 1 - cos^(n+1)(theta).
double CosinePowerCumulative(double polar, double power);

}  // namespace vantrel
