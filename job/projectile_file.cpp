#include "job/projectile_file.h"

#include "io/projectile_file.h"
#include "job/reader_messages.h"

namespace vantrel {

bool ReadProjectileFile(SimulationState& s, std::string_view name) {
    const ProjectileFileRead read = ParseProjectileFile(name);
    s.Projectile.ProjectileName = read.Projectile.ProjectileName;
    ShowReaderMessages(s.Ui(), read.Messages);
    ShowReadPlace(s.Ui(), name, read.Failure);
    if (!read.Ok) return false;
    s.Projectile = read.Projectile;
    return true;
}

}  // namespace vantrel
