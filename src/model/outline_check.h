#pragma once

#include <string>
#include <vector>

namespace mapolt {

class Store;

// Checks the task outline a file gave and repairs what would make a walk over it loop or
// lose rows: a task that is its own ancestor moves to the top level; a sibling chain that is
// no simple list of exactly its parent's subtasks (a ring, a branch, a link to a task of
// another parent) is rebuilt in row-number order; row numbers outside the outline's range
// are renumbered in outline order (silently: stale numbers are no damage). Relations to a record of
// the wrong entity never reach the store (it refuses them). Returns one message per repair, empty
// when the outline was sound. Writes are not recorded for undo.
std::vector<std::string> checkOutlineStructure(Store& store);

} // namespace mapolt
