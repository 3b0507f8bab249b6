#include "io/result_tables.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

namespace vantrel {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t comma = line.find(',');
        fields.push_back(Trimmed(line.substr(0, comma)));
        if (comma == std::string_view::npos) break;
        line.remove_prefix(comma + 1);
    }
    return fields;
}

// The lines of a table with their numbers; a last line without its line
// end is held apart.
struct TableLines {
    std::vector<std::pair<std::int32_t, std::string_view>> Lines;
    bool CutLastLine = false;
    std::int32_t CutLineNumber = 0;
};

TableLines SplitLines(std::string_view text) {
    TableLines out;
    std::int32_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            if (!Trimmed(text).empty()) {
                out.CutLastLine = true;
                out.CutLineNumber = number;
            }
            break;
        }
        const std::string_view line = Trimmed(text.substr(0, end));
        if (!line.empty()) out.Lines.emplace_back(number, line);
        text.remove_prefix(end + 1);
    }
    return out;
}

// Reads the fields of one row by column name; the first problem is kept.
class RowReader {
public:
    RowReader(const std::vector<std::string_view>& header, std::string_view name)
        : header_(header), name_(name) {}

    bool Has(std::string_view column) const { return Find(column).has_value(); }

    void Start(std::int32_t line, std::vector<std::string_view> fields) {
        line_ = line;
        fields_ = std::move(fields);
    }

    std::int32_t Integer(std::string_view column) {
        const std::optional<std::size_t> at = Find(column);
        if (!at) return 0;
        return IntegerAt(*at, column);
    }

    std::int32_t IntegerAt(std::size_t at, std::string_view column) {
        const std::string_view text = Field(at);
        std::int32_t value = 0;
        const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size())
            Fail(column, text);
        return value;
    }

    // An empty field reads as NaN (a value that does not apply).
    double Real(std::string_view column) {
        const std::optional<std::size_t> at = Find(column);
        if (!at) return NotApplicable;
        const std::string_view text = Field(*at);
        if (text.empty()) return NotApplicable;
        double value = 0;
        const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
        if (r.ec != std::errc() || r.ptr != text.data() + text.size()) Fail(column, text);
        return value;
    }

    // A real that must be there: 0 when its column is missing.
    double Value(std::string_view column) {
        if (!Has(column)) return 0.0;
        const double value = Real(column);
        if (std::isnan(value)) Fail(column, "");
        return value;
    }

    std::string_view Text(std::string_view column) {
        const std::optional<std::size_t> at = Find(column);
        return at ? Field(*at) : std::string_view();
    }

    void Fail(std::string_view column, std::string_view text) {
        if (!problem_.empty()) return;
        problem_ = std::string(name_) + ", line " + std::to_string(line_) + ": bad value '" +
                   std::string(text) + "' in column " + std::string(column);
    }

    const std::string& Problem() const { return problem_; }
    const std::vector<std::string_view>& Header() const { return header_; }

private:
    std::optional<std::size_t> Find(std::string_view column) const {
        for (std::size_t k = 0; k < header_.size(); ++k)
            if (header_[k] == column) return k;
        return std::nullopt;
    }
    std::string_view Field(std::size_t at) const {
        return at < fields_.size() ? fields_[at] : std::string_view();
    }

    std::vector<std::string_view> header_;
    std::string_view name_;
    std::int32_t line_ = 0;
    std::vector<std::string_view> fields_;
    std::string problem_;
};

// The common part of both readers: header, required columns, rows.
template <typename Record, typename Read, typename RowFn>
Read ParseTable(std::string_view text, std::string_view name,
                std::initializer_list<std::string_view> required, RowFn readRow) {
    Read read;
    const TableLines table = SplitLines(text);
    if (table.Lines.empty()) {
        read.Messages.push_back(std::string(name) + ": no header line");
        return read;
    }
    RowReader rows(Fields(table.Lines.front().second), name);
    for (const std::string_view column : required) {
        if (rows.Has(column)) continue;
        read.Messages.push_back(std::string(name) + ": no column " + std::string(column));
        return read;
    }
    for (std::size_t k = 1; k < table.Lines.size(); ++k) {
        const auto& [number, line] = table.Lines[k];
        rows.Start(number, Fields(line));
        Record record = readRow(rows);
        if (!rows.Problem().empty()) {
            read.Messages.push_back(rows.Problem());
            read.Rows.clear();
            return read;
        }
        read.Rows.push_back(std::move(record));
    }
    if (table.CutLastLine)
        read.Messages.push_back(std::string(name) + ", line " +
                                std::to_string(table.CutLineNumber) +
                                ": left out (no line end: the job stopped while writing it)");
    read.Ok = true;
    return read;
}

std::string FileText(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    if (!ok) return {};
    std::ostringstream text;
    text << in.rdbuf();
    ok = !in.bad();
    return text.str();
}

constexpr std::string_view SpeciesPrefix = "sputtered_Z";

}  // namespace

ResultsTableRead ParseResultsTable(std::string_view text, std::string_view name) {
    return ParseTable<RunResultRecord, ResultsTableRead>(
        text, name, {"run", "sputtered", "projectile"}, [](RowReader& row) {
            RunResultRecord r;
            r.Run = row.Integer("run");
            r.IonEnergy = row.Value("ion_energy_eV");
            r.IonZ = row.Integer("ion_Z");
            r.IncidencePolar = row.Value("incidence_polar_deg");
            r.IncidenceAzimuth = row.Value("incidence_azimuth_deg");
            r.ImpactX = row.Value("impact_x_A");
            r.ImpactY = row.Value("impact_y_A");
            r.StartHeight = row.Value("start_height_A");
            r.Sputtered = row.Integer("sputtered");
            const std::vector<std::string_view>& header = row.Header();
            for (std::size_t k = 0; k < header.size(); ++k) {
                const std::string_view column = header[k];
                if (column.substr(0, SpeciesPrefix.size()) != SpeciesPrefix) continue;
                const std::string_view digits = column.substr(SpeciesPrefix.size());
                std::int32_t z = 0;
                const auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), z);
                if (parsed.ec != std::errc() || parsed.ptr != digits.data() + digits.size()) continue;
                r.SputteredBySpecies.emplace_back(z, row.IntegerAt(k, column));
            }
            r.Vibrating = row.Integer("vibrating");
            r.LeftBottom = row.Integer("left_bottom");
            r.LeftSide = row.Integer("left_side");
            r.FastNearSurface = row.Integer("fast_near_surface");
            const std::string_view fate = row.Text("projectile");
            if (!FateFromName(fate, r.Projectile)) row.Fail("projectile", fate);
            r.ProjectileEnergy = row.Value("projectile_energy_eV");
            r.ProjectilePolar = row.Real("projectile_polar_deg");
            r.ProjectileAzimuth = row.Real("projectile_azimuth_deg");
            r.ProjectileDepth = row.Real("projectile_depth_A");
            r.EnergyError = row.Real("energy_error_pct");
            r.Timesteps = row.Integer("timesteps");
            r.Time = row.Value("time_fs");
            r.SurfaceBinding = row.Value("surface_binding_eV");
            return r;
        });
}

SputteredTableRead ParseSputteredTable(std::string_view text, std::string_view name) {
    return ParseTable<SputteredRecord, SputteredTableRead>(
        text, name, {"run", "index", "Z", "energy_eV", "polar_deg", "azimuth_deg"},
        [](RowReader& row) {
            SputteredRecord r;
            r.Run = row.Integer("run");
            r.Index = row.Integer("index");
            r.AtomicNumber = row.Integer("Z");
            r.Layer = row.Integer("layer");
            r.OriginDepth = row.Value("origin_depth_A");
            r.Energy = row.Value("energy_eV");
            r.Polar = row.Value("polar_deg");
            r.Azimuth = row.Value("azimuth_deg");
            r.Height = row.Value("height_A");
            return r;
        });
}

ResultsTableRead ReadResultsTable(const std::string& path) {
    bool ok = false;
    const std::string text = FileText(path, ok);
    if (!ok) {
        ResultsTableRead read;
        read.Messages.push_back(path + ": cannot be read");
        return read;
    }
    return ParseResultsTable(text, path);
}

SputteredTableRead ReadSputteredTable(const std::string& path) {
    bool ok = false;
    const std::string text = FileText(path, ok);
    if (!ok) {
        SputteredTableRead read;
        read.Messages.push_back(path + ": cannot be read");
        return read;
    }
    return ParseSputteredTable(text, path);
}

}  // namespace vantrel
