#include "job/inelastic_file.h"

#include <span>
#include <string>

#include "core/number_text.h"
#include "io/inelastic_file.h"
#include "job/log.h"
#include "job/reader_messages.h"

namespace vantrel {

bool ReadInelasticFile(SimulationState& s, std::string_view name) {
    UserInterface& ui = s.Ui();
    SimulationOptions& options = s.Program.Options;

    const InelasticFileRead read = ParseInelasticFile(name, options);
    const std::span<const ReaderMessage> messages(read.Messages);
    if (!read.Ok) {
        ShowReaderMessages(ui, messages);
        ShowReadPlace(ui, name, read.Failure);
        return false;
    }
    ShowReaderMessages(ui, messages.first(read.CoolingReportAt));

    // A model whose table kept nothing stays off until the user sets it again.
    const InelasticParameters& v = read.Values;
    if (v.LssCount == 0) options.UseLSS = false;
    // The OR radius is only ever lowered while the program runs.  A radius of
    // 0 or less would switch OR off for good, so it is not taken.
    const double orRadiusSquare = read.OrRadius * read.OrRadius;
    if (read.OrRadius > 0.0 && orRadiusSquare < s.Program.OrRadiusSquare)
        s.Program.OrRadiusSquare = orRadiusSquare;
    if (v.OrCount == 0) options.UseOR = false;
    // A file without ST entries says nothing about the ST radius; taking its
    // "largest radius" of 0 would shrink the capture radius for later jobs.
    if (v.StCount > 0 && read.LargestStRadius * read.LargestStRadius < s.Program.StRadiusSquare) {
        const double radius = read.LargestStRadius + StRadiusMargin;
        s.Program.StRadiusSquare = radius * radius;
    }
    if (v.StCount == 0) options.UseST = false;

    if (options.UseCooling) {
        LogLine(ui, "  Cooling goal = " + FormatRealFlexible(3, v.CoolingGoal) + "K", ColourBlack);
        LogLine(ui, "  Cooling period = " + FormatRealFlexible(3, read.CoolingPeriodFs) + "fs",
                ColourBlack);
        LogLine(ui, "  Cooling starts at " + FormatRealFlexible(3, read.CoolingStartFs) + "fs",
                ColourBlack);
        LogLine(ui, "  Cooling stops at " + FormatRealFlexible(3, read.CoolingEndFs) + "fs",
                ColourBlack);
    }
    ShowReaderMessages(ui, messages.subspan(read.CoolingReportAt));

    s.Inelastic = v;
    return true;
}

}  // namespace vantrel
