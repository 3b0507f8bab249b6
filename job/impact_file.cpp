#include "job/impact_file.h"

#include "job/reader_messages.h"

namespace vantrel {

bool OpenImpactFile(SimulationState& s, ImpactFile& file, std::string_view name) {
    const bool opened = file.Open(name);
    ShowReaderMessages(s.Ui(), file.Messages());
    return opened;
}

}  // namespace vantrel
