#include "job/option_names.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace vantrel {

namespace {

struct IntegerField {
    const char* Name;
    std::int32_t SimulationOptions::*Field;
    std::int32_t Min;
    std::int32_t Max;
};

struct BooleanField {
    const char* Name;
    bool SimulationOptions::*Field;
};

// Ranges are those the options dialog accepts; Algorithm and GraphPlotType
// are the indices of their radio groups.
constexpr IntegerField IntegerFields[] = {
    {"Algorithm", &SimulationOptions::Algorithm, 0, 3},
    {"GraphPlotType", &SimulationOptions::GraphPlotType, 0, 1},
    {"LatticeSiteIndex", &SimulationOptions::LatticeSiteIndex, 1, 30000},
    {"LogBufferLines", &SimulationOptions::LogBufferLines, 0, 9000000},
};

constexpr BooleanField BooleanFields[] = {
    {"NeighbourSearch", &SimulationOptions::NeighbourSearch},
    {"Verbose", &SimulationOptions::Verbose},
    {"ReportEnergy", &SimulationOptions::ReportEnergy},
    {"ReportInelastic", &SimulationOptions::ReportInelastic},
    {"ReportLatticeEnergy", &SimulationOptions::ReportLatticeEnergy},
    {"ElementalTarget", &SimulationOptions::ElementalTarget},
    {"StoreInitial", &SimulationOptions::StoreInitial},
    {"StoreInelastic", &SimulationOptions::StoreInelastic},
    {"HotTarget", &SimulationOptions::HotTarget},
    {"LoadOptionsAtStart", &SimulationOptions::LoadOptionsAtStart},
    {"FixedTimestep", &SimulationOptions::FixedTimestep},
    {"NoYVibration", &SimulationOptions::NoYVibration},
    {"UseLSS", &SimulationOptions::UseLSS},
    {"UseOR", &SimulationOptions::UseOR},
    {"UseST", &SimulationOptions::UseST},
    {"UseCooling", &SimulationOptions::UseCooling},
    {"IgnoreTargetForces", &SimulationOptions::IgnoreTargetForces},
    {"SelfBombard", &SimulationOptions::SelfBombard},
    {"UseImagePotential", &SimulationOptions::UseImagePotential},
};

// The options beside the block, listed after the companion values in this
// order.  A new one gets a row here and a field in ExtendedOptions.
struct ExtendedBooleanField {
    const char* Name;
    bool ExtendedOptions::*Field;
};

constexpr ExtendedBooleanField ExtendedBooleanFields[] = {
    {"PerRunStreams", &ExtendedOptions::PerRunStreams},
    {"StoreResults", &ExtendedOptions::StoreResults},
    {"SmoothDensityJoin", &ExtendedOptions::SmoothDensityJoin},
};

struct ExtendedIntegerField {
    const char* Name;
    std::int32_t ExtendedOptions::*Field;
    std::int32_t Min;
    std::int32_t Max;
};

constexpr ExtendedIntegerField ExtendedIntegerFields[] = {
    {"Threads", &ExtendedOptions::Threads, 0, MaxThreads},
};

struct ExtendedRealField {
    const char* Name;
    double ExtendedOptions::*Field;
    double Min;
    double Max;
};

// Listed after the switches.
constexpr ExtendedRealField ExtendedRealFields[] = {
    {"SurfaceBinding", &ExtendedOptions::SurfaceBinding, 0.0, 1000.0},
};

const ExtendedRealField* FindExtendedReal(std::string_view name) {
    for (const ExtendedRealField& f : ExtendedRealFields)
        if (name == f.Name) return &f;
    return nullptr;
}

const ExtendedBooleanField* FindExtendedBoolean(std::string_view name) {
    for (const ExtendedBooleanField& f : ExtendedBooleanFields)
        if (name == f.Name) return &f;
    return nullptr;
}

const ExtendedIntegerField* FindExtendedInteger(std::string_view name) {
    for (const ExtendedIntegerField& f : ExtendedIntegerFields)
        if (name == f.Name) return &f;
    return nullptr;
}

// Range of the dialog's "Random seed" and "Run counter offset" fields.
constexpr std::int32_t CompanionLimit = 10000000;

// The listing order: the stored record's field order.
constexpr const char* RecordOrder[] = {
    "Algorithm",       "NeighbourSearch",    "GraphPlotType",     "Verbose",
    "ReportEnergy",    "ReportInelastic",    "ReportLatticeEnergy", "LatticeSiteIndex",
    "LogBufferLines",  "ElementalTarget",    "StoreInitial",      "StoreInelastic",
    "HotTarget",       "LoadOptionsAtStart", "FixedTimestep",     "NoYVibration",
    "UseLSS",          "UseOR",              "UseST",             "UseCooling",
    "IgnoreTargetForces", "SelfBombard",     "UseImagePotential",
};

const IntegerField* FindInteger(std::string_view name) {
    for (const IntegerField& f : IntegerFields)
        if (name == f.Name) return &f;
    return nullptr;
}

const BooleanField* FindBoolean(std::string_view name) {
    for (const BooleanField& f : BooleanFields)
        if (name == f.Name) return &f;
    return nullptr;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The known name that differs from name only in case, if any.
std::string CaseSuggestion(std::string_view name) {
    for (const char* known : RecordOrder)
        if (EqualIgnoringCase(name, known)) return known;
    for (const char* known : {"RunOffset", "RandomSeed", "GraphScale"})
        if (EqualIgnoringCase(name, known)) return known;
    for (const ExtendedBooleanField& f : ExtendedBooleanFields)
        if (EqualIgnoringCase(name, f.Name)) return f.Name;
    for (const ExtendedIntegerField& f : ExtendedIntegerFields)
        if (EqualIgnoringCase(name, f.Name)) return f.Name;
    for (const ExtendedRealField& f : ExtendedRealFields)
        if (EqualIgnoringCase(name, f.Name)) return f.Name;
    return {};
}

bool ParseInteger(std::string_view text, std::int32_t& value) {
    if (text.empty()) return false;
    std::size_t start = text.front() == '+' ? 1 : 0;
    if (start == text.size()) return false;
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}

bool ParseBoolean(std::string_view text, bool& value) {
    if (text == "1" || EqualIgnoringCase(text, "true")) {
        value = true;
        return true;
    }
    if (text == "0" || EqualIgnoringCase(text, "false")) {
        value = false;
        return true;
    }
    return false;
}

bool SetRangedInteger(std::string_view name, std::string_view text, std::int32_t min,
                      std::int32_t max, std::int32_t& target, std::string& error) {
    std::int32_t value = 0;
    if (!ParseInteger(text, value) || value < min || value > max) {
        error = "bad value for " + std::string(name) + ": '" + std::string(text) +
                "' (an integer from " + std::to_string(min) + " to " + std::to_string(max) +
                ")";
        return false;
    }
    target = value;
    return true;
}

std::string ShortestReal(double x) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
    return std::string(buffer, result.ptr);
}

bool ParseReal(std::string_view text, double& value) {
    if (text.empty()) return false;
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(text.data(), last, value);
    return result.ec == std::errc() && result.ptr == last && std::isfinite(value);
}

}  // namespace

bool SetOptionByName(ProgramContext& program, std::string_view name, std::string_view value,
                     std::string& error) {
    if (const IntegerField* f = FindInteger(name)) {
        if (!SetRangedInteger(name, value, f->Min, f->Max, program.Options.*(f->Field), error))
            return false;
        if (f->Field == &SimulationOptions::GraphPlotType)
            program.GraphScale =
                program.Options.GraphPlotType == 0 ? SpatialGraphScale : VelocityGraphScale;
        return true;
    }
    if (const BooleanField* f = FindBoolean(name)) {
        bool flag = false;
        if (!ParseBoolean(value, flag)) {
            error = "bad value for " + std::string(name) + ": '" + std::string(value) +
                    "' (0, 1, true or false)";
            return false;
        }
        program.Options.*(f->Field) = flag;
        return true;
    }
    if (const ExtendedBooleanField* f = FindExtendedBoolean(name)) {
        bool flag = false;
        if (!ParseBoolean(value, flag)) {
            error = "bad value for " + std::string(name) + ": '" + std::string(value) +
                    "' (0, 1, true or false)";
            return false;
        }
        program.Extended.*(f->Field) = flag;
        return true;
    }
    if (const ExtendedIntegerField* f = FindExtendedInteger(name))
        return SetRangedInteger(name, value, f->Min, f->Max, program.Extended.*(f->Field), error);
    if (const ExtendedRealField* f = FindExtendedReal(name)) {
        double real = 0;
        if (!ParseReal(value, real) || real < f->Min || real > f->Max) {
            error = "bad value for " + std::string(name) + ": '" + std::string(value) +
                    "' (a number from " + ShortestReal(f->Min) + " to " + ShortestReal(f->Max) +
                    ")";
            return false;
        }
        program.Extended.*(f->Field) = real;
        return true;
    }
    if (name == "RunOffset")
        return SetRangedInteger(name, value, -CompanionLimit, CompanionLimit, program.RunOffset,
                                error);
    if (name == "RandomSeed")
        return SetRangedInteger(name, value, -CompanionLimit, CompanionLimit, program.RandomSeed,
                                error);
    if (name == "GraphScale") {
        error = "GraphScale follows GraphPlotType and cannot be set by itself";
        return false;
    }
    error = "unknown option name: '" + std::string(name) + "'";
    const std::string suggestion = CaseSuggestion(name);
    if (!suggestion.empty()) error += " (did you mean " + suggestion + "?)";
    return false;
}

bool SetOptionAssignment(ProgramContext& program, std::string_view assignment,
                         std::string& error) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string_view::npos || equals == 0) {
        error = "--set wants NAME=VALUE, not '" + std::string(assignment) + "'";
        return false;
    }
    return SetOptionByName(program, assignment.substr(0, equals), assignment.substr(equals + 1),
                           error);
}

std::vector<std::string> OptionLines(const ProgramContext& program) {
    std::vector<std::string> lines;
    for (const char* name : RecordOrder) {
        if (const IntegerField* f = FindInteger(name))
            lines.push_back(std::string(name) + " = " +
                            std::to_string(program.Options.*(f->Field)));
        else if (const BooleanField* b = FindBoolean(name))
            lines.push_back(std::string(name) + " = " +
                            (program.Options.*(b->Field) ? "true" : "false"));
    }
    lines.push_back("GraphScale = " + ShortestReal(program.GraphScale));
    lines.push_back("RunOffset = " + std::to_string(program.RunOffset));
    lines.push_back("RandomSeed = " + std::to_string(program.RandomSeed));
    std::vector<std::string> extended = ExtendedOptionLines(program.Extended);
    lines.insert(lines.end(), extended.begin(), extended.end());
    return lines;
}

std::vector<std::string> ExtendedOptionLines(const ExtendedOptions& options) {
    std::vector<std::string> lines;
    for (const ExtendedBooleanField& f : ExtendedBooleanFields)
        lines.push_back(std::string(f.Name) + " = " + (options.*(f.Field) ? "true" : "false"));
    for (const ExtendedIntegerField& f : ExtendedIntegerFields)
        lines.push_back(std::string(f.Name) + " = " + std::to_string(options.*(f.Field)));
    for (const ExtendedRealField& f : ExtendedRealFields)
        lines.push_back(std::string(f.Name) + " = " + ShortestReal(options.*(f.Field)));
    return lines;
}

bool IsExtendedOptionName(std::string_view name) {
    return FindExtendedBoolean(name) != nullptr || FindExtendedInteger(name) != nullptr ||
           FindExtendedReal(name) != nullptr;
}

}  // namespace vantrel
