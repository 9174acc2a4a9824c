#pragma once

#include <vector>

namespace mapolt {

class ATask;
class Store;

// The task rows the outline table, the chart and the printout show, top to bottom: the root
// tasks in viewOrder, each expanded summary followed by its subtasks in viewOrder, recursively.
std::vector<ATask*> arrangedObjects(const Store& store);

} // namespace mapolt
