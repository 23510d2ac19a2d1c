#include "engine/simulation/curve_run.h"

#include <cmath>

#include "engine/dataset/senstab_core.h"

namespace kivra {

void TCurveRun::Load(const TSensTabCore& page, int i) {
    Model = page;
    Model.FlowFactor = std::pow(page.Flow[i], 1.0 / 3.0);
    Inj = page.CurveInjections(i);
}

} // namespace kivra
