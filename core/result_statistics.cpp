#include "core/result_statistics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrel {

double RunningMean::Mean() const { return Count > 0 ? Sum / static_cast<double>(Count) : 0.0; }

double RunningMean::Deviation() const {
    if (Count < 2) return 0.0;
    const double n = static_cast<double>(Count);
    const double variance = (SumOfSquares - Sum * Sum / n) / (n - 1.0);
    return variance > 0 ? std::sqrt(variance) : 0.0;
}

double RunningMean::StandardError() const {
    return Count < 2 ? 0.0 : Deviation() / std::sqrt(static_cast<double>(Count));
}

MeanWithError MeanOf(std::span<const double> values) {
    MeanWithError out;
    out.Count = static_cast<std::int64_t>(values.size());
    if (values.empty()) return out;
    double sum = 0;
    for (const double v : values) sum += v;
    out.Mean = sum / static_cast<double>(values.size());
    if (values.size() < 2) return out;
    double squares = 0;
    for (const double v : values) squares += (v - out.Mean) * (v - out.Mean);
    out.Deviation = std::sqrt(squares / static_cast<double>(values.size() - 1));
    out.Error = out.Deviation / std::sqrt(static_cast<double>(values.size()));
    return out;
}

double Histogram::Total() const {
    double total = 0;
    for (const double c : Counts) total += c;
    return total;
}

Histogram MakeHistogram(std::span<const double> values, double low, double high,
                        std::size_t bins) {
    Histogram h;
    h.Low = low;
    h.High = high > low ? high : low + 1.0;
    h.Counts.assign(std::max<std::size_t>(bins, 1), 0.0);
    const double width = h.Width();
    for (const double v : values) {
        if (std::isnan(v)) continue;
        if (v < h.Low) {
            h.Below += 1;
        } else if (v >= h.High) {
            h.Above += 1;
        } else {
            const auto bin = std::min(static_cast<std::size_t>((v - h.Low) / width),
                                      h.Counts.size() - 1);
            h.Counts[bin] += 1;
        }
    }
    return h;
}

double ThompsonCumulative(double energy, double binding) {
    if (energy <= 0) return 0.0;
    const double share = energy / (energy + binding);
    return share * share;
}

ThompsonFit FitThompson(std::span<const double> energies, double truncation) {
    ThompsonFit fit;
    std::vector<double> used;
    used.reserve(energies.size());
    for (const double e : energies)
        if (e > 0 && (truncation <= 0 || e <= truncation)) used.push_back(e);
    fit.Count = static_cast<std::int64_t>(used.size());
    if (used.size() < 3) return fit;
    const double n = static_cast<double>(used.size());
    const bool truncated = truncation > 0;
    auto score = [&](double u) {
        double s = n / u;
        for (const double e : used) s -= 3.0 / (e + u);
        if (truncated) s += 2.0 * n / (truncation + u);
        return s;
    };
    // The score falls from +inf at U -> 0; bracket its zero on a log scale
    // around the sample's median.
    std::vector<double> sorted = used;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const double median = sorted[sorted.size() / 2];
    double low = median * 1e-4, high = median * 1e4;
    if (!(score(low) > 0) || !(score(high) < 0)) return fit;
    for (int k = 0; k < 200 && high / low > 1.0 + 1e-13; ++k) {
        const double mid = std::sqrt(low * high);
        (score(mid) > 0 ? low : high) = mid;
    }
    const double u = std::sqrt(low * high);
    double information = n / (u * u);
    for (const double e : used) information -= 3.0 / ((e + u) * (e + u));
    if (truncated) information += 2.0 * n / ((truncation + u) * (truncation + u));
    fit.Converged = true;
    fit.Binding = u;
    fit.Error = information > 0 ? 1.0 / std::sqrt(information) : 0.0;
    return fit;
}

CosinePowerFit FitCosinePower(std::span<const double> polar) {
    CosinePowerFit fit;
    // A cosine of 0 (exactly grazing) would make the logarithm infinite.
    constexpr double SmallestCosine = 1e-9;
    double logSum = 0;
    std::int64_t count = 0;
    for (const double theta : polar) {
        if (!(theta >= 0 && theta <= std::numbers::pi / 2)) continue;
        logSum += std::log(std::max(std::cos(theta), SmallestCosine));
        ++count;
    }
    fit.Count = count;
    if (count < 3 || !(logSum < 0)) return fit;
    const double nPlusOne = -static_cast<double>(count) / logSum;
    fit.Converged = true;
    fit.Power = nPlusOne - 1.0;
    fit.Error = nPlusOne / std::sqrt(static_cast<double>(count));
    return fit;
}

double CosinePowerCumulative(double polar, double power) {
    if (polar <= 0) return 0.0;
    if (polar >= std::numbers::pi / 2) return 1.0;
    return 1.0 - std::pow(std::cos(polar), power + 1.0);
}

}  // namespace vantrel
