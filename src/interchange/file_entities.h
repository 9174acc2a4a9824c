#pragma once

#include "model/schema.h"

#include <vector>

namespace mapolt {

// The entities a style file holds, in the order it lists, creates and links them.
const std::vector<Entity>& styleFileEntityOrder();

} // namespace mapolt
