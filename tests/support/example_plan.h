#pragma once

#include "model/store.h"

#include <string>

namespace mapolt::testing {

// The bundled example: building a family house, 2 November 2026 to spring 2027, with
// summaries, links with and without lags, milestones, five coloured resources and the
// Thanksgiving and Christmas holidays. Dates are placed by the duration engine along the
// links in row order.
void buildHouseBuild(Store& store);
// The example as the plan file text the bundled file holds.
std::string houseBuildPlanText();

} // namespace mapolt::testing
