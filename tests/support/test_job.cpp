#include "tests/support/test_job.h"

#include <cstdio>

#include "io/example_models.h"

namespace vantrel::testing {

void TestJob::Allocate(std::int32_t n) {
    AllocateParticleTable(State, n);
    AllocateMassAndAtomicNumber(State);
}

namespace {

ModelFileDescription Example(const char* file) {
    for (const ExampleModel& e : ExampleModels())
        if (e.FileName == file) return e.Description;
    return {};
}

}  // namespace

ModelFileDescription CopperModel() { return Example("cu_sutton_chen.mdl"); }
ModelFileDescription TightBindingCopperModel() { return Example("cu_tight_binding.mdl"); }

std::string ReplaceLine(const std::string& text, int line, std::string_view replacement) {
    std::size_t start = 0;
    for (int i = 1; i < line; ++i) {
        start = text.find("\r\n", start);
        if (start == std::string::npos) return text;
        start += 2;
    }
    const std::size_t end = text.find("\r\n", start);
    return text.substr(0, start) + std::string(replacement) +
           (end == std::string::npos ? std::string() : text.substr(end));
}

std::string TargetLine(double x, double y, double z, int atomicNumber, double mass, int flags,
                       std::string_view rest) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "%.6f %.6f %.6f %d %.4f %d", x, y, z, atomicNumber,
                  mass, flags);
    std::string line = buffer;
    if (!rest.empty()) line += " " + std::string(rest);
    return line + "\r\n";
}

}  // namespace vantrel::testing
