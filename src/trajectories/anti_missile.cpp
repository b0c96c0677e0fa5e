#include "trajectories/anti_missile.h"

namespace trajectories {

// Empty until the interception simulation and its drop formulas are built.
void AntiMissile::sales() {}

} // namespace trajectories
