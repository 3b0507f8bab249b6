// Drives the selection expression evaluator with arbitrary texts and particle
// values: no evaluation may crash, hang or misreport, every error window has
// the window's layout, an abort is always reported, and the kept form of a
// text decides and reports exactly as a fresh parse does.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "output/selection_evaluator.h"

namespace {

using namespace vantrel;

// Long enough to reach the parser's stack limit.
constexpr std::size_t MaxTextBytes = 2048;

class WindowRecorder final : public ExpressionErrorSink {
public:
    void ExpressionError(std::string_view message) override { Windows.emplace_back(message); }
    std::vector<std::string> Windows;
};

struct Result {
    SelectionOutcome Outcome;
    std::vector<std::string> Windows;
};

Result Evaluate(CompiledSelection& selection, WindowRecorder& windows,
                const SelectionVariables& v) {
    windows.Windows.clear();
    Result r;
    r.Outcome = EvaluateSelection(selection, v, windows);
    r.Windows = windows.Windows;
    return r;
}

void Check(const Result& r) {
    if (r.Outcome.ErrorReported != !r.Windows.empty()) std::abort();
    if (r.Outcome.Aborted && !r.Outcome.ErrorReported) std::abort();
    for (const std::string& w : r.Windows) {
        if (w.rfind("Error type: ", 0) != 0) std::abort();
        if (w.size() < 2 || w.compare(w.size() - 2, 2, ").") != 0) std::abort();
    }
}

bool Same(const Result& a, const Result& b) {
    return a.Outcome.Aborted == b.Outcome.Aborted &&
           a.Outcome.ErrorReported == b.Outcome.ErrorReported &&
           a.Outcome.Write == b.Outcome.Write && a.Windows == b.Windows;
}

SelectionVariables Variables(const std::uint8_t* data) {
    double reals[8];
    std::memcpy(reals, data, sizeof reals);
    std::int32_t integers[2];
    std::memcpy(integers, data + sizeof reals, sizeof integers);
    SelectionVariables v;
    v.X = reals[0];
    v.Y = reals[1];
    v.Z = reals[2];
    v.PX = reals[3];
    v.PY = reals[4];
    v.PZ = reals[5];
    v.Mass = reals[6];
    v.Time = reals[7];
    v.Index = integers[0];
    v.RunNumber = integers[1];
    return v;
}

// A copper atom 3 A deep moving out with about 20 eV.
SelectionVariables DefaultParticle() {
    SelectionVariables v;
    v.X = 1.0e-10;
    v.Y = -2.0e-10;
    v.Z = 3.0e-10;
    v.PX = 1.2e-22;
    v.PY = -0.4e-22;
    v.PZ = 1.6e-22;
    v.Mass = 1.0552e-25;
    v.Time = 2.0e-13;
    v.Index = 3;
    v.RunNumber = 5;
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The text, optionally followed by a zero byte and the raw values of two
    // particles (missing bytes read as zero), so that plain expression files
    // serve as seeds.
    constexpr std::size_t ValueBytes = 8 * sizeof(double) + 2 * sizeof(std::int32_t);
    if (size > MaxTextBytes + 1 + 2 * ValueBytes) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.rfind('\0');
    std::uint8_t values[2 * ValueBytes] = {};
    SelectionVariables first = DefaultParticle(), second = DefaultParticle();
    std::string text = input;
    if (split != std::string::npos) {
        std::memcpy(values, data + split + 1, std::min(size - split - 1, sizeof values));
        first = Variables(values);
        second = Variables(values + ValueBytes);
        text.resize(split);
    } else {
        second.X = -second.X;  // one with a negative x for the square root and logarithms
        second.Index = 0;
    }
    if (text.size() > MaxTextBytes) return 0;

    WindowRecorder windows;
    CompiledSelection selection;
    selection.Text = text;

    const Result fresh = Evaluate(selection, windows, first);
    Check(fresh);
    // The kept form, when the parse was clean.
    const Result again = Evaluate(selection, windows, first);
    Check(again);
    if (!Same(fresh, again)) std::abort();

    const Result kept = Evaluate(selection, windows, second);
    Check(kept);
    selection.Parsed.reset();
    const Result reparsed = Evaluate(selection, windows, second);
    if (!Same(kept, reparsed)) std::abort();
    return 0;
}
