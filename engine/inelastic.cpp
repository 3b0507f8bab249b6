#include "engine/inelastic.h"

#include <cmath>

namespace vantrel {

double ImageForce(const InelasticParameters& parameters, double z) {
    if (!(z > parameters.ImageDistance)) return 0.0;
    const double a = 4.0 * (z - parameters.ImageDistance);
    const double d = a * a + parameters.ImageLengthSquare;
    return a * ImageForceConstant / std::sqrt(d * d * d);
}

double ImagePotential(const InelasticParameters& parameters, double z) {
    if (!(z > parameters.ImageDistance)) return -parameters.ImageEnergy;
    const double d = z - parameters.ImageDistance;
    return -CoulombConstant / std::sqrt(16.0 * d * d + parameters.ImageLengthSquare);
}

// Placeholders with the final signatures; the models fill them.

void UpdateOrPartners(SimulationState&, TrajectoryState&) {}
void UpdateStPartners(SimulationState&, TrajectoryState&) {}
void ApplyCooling(SimulationState&, const LatticeZone&) {}
void ApplyStEvents(SimulationState&, double) {}
void ApplyOrEvents(SimulationState&, double) {}
void ApplyLssLoss(SimulationState&, const LatticeZone&, double) {}

}  // namespace vantrel
