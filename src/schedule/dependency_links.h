#pragma once

#include "model/outline_engine.h"

#include <cstddef>
#include <vector>

namespace mapolt {

class ATask;
class DepLink;
class Preferences;
class Store;

// Makes, checks and removes finish-to-start links. The cycle check runs on the graph of
// links plus the edges from each summary to its subtasks, so a task can never be linked to
// its own summary or into its own subtree.
class DependencyLinks final : public DependencyLinker {
  public:
    enum Result { kLinked = 0, kCyclic = 2 };

    DependencyLinks(Store& context, const Preferences& preferences, ScheduleEngine& engine);

    int makeDepenantFrom(ATask* predecessor, ATask* successor) override;
    void fixDependacies(const std::vector<ATask*>& tasks) override;
    bool cyclicCheck(ATask* predecessor, ATask* connectingTask);
    bool cyclicCheckTarjan(ATask* start, ATask* connectingTask);
    static bool hasAsParent(const ATask* a, const ATask* to);
    // Deletes the link; both tasks keep their dates.
    void removeLink(DepLink* link);

  private:
    bool closesPlacementLoop(ATask* predecessor, ATask* successor) const;

    Store& context_;
    const Preferences& preferences_;
    ScheduleEngine& engine_;
};

} // namespace mapolt
