#pragma once

#include "model/schema.h"

#include <vector>

namespace mapolt {

// Every entity's table, indexed by Entity, inverses not yet resolved.
std::vector<EntitySchema> buildEntitySchemas();

} // namespace mapolt
