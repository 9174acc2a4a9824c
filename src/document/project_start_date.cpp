#include "document/project_start_date.h"

#include "model/alert_presenter.h"
#include "model/entities.h"
#include "model/notification_center.h"
#include "model/store.h"

namespace mapolt {

bool setStartDate(Store& store, Date newStart, AlertPresenter* alerts) {
    Project* project = store.fetchFirst<Project>({}, {});
    if (project == nullptr)
        return false;
    const int delta = civil::daysBetween(project->startDate(), newStart);
    const std::vector<ATask*> tasks = store.fetch<ATask>();
    bool anyBefore = false;
    for (const ATask* t : tasks)
        anyBefore = anyBefore || static_cast<double>(t->daysFromStart()) - delta < 0.0;
    if (anyBefore) {
        const int answer =
            alerts != nullptr
                ? alerts->runAlert(Alert{AlertStyle::Warning,
                                         "Changing the start date to after task start dates will "
                                         "cause these tasks to be moved to the project start date.",
                                         "Are you sure you want to do this?",
                                         {"OK", "Cancel"}})
                : 1;
        if (answer != 0)
            return false;
    }
    for (ATask* t : tasks) {
        double shifted = static_cast<double>(t->daysFromStart()) - delta;
        if (shifted < 0.0) {
            t->set(&ATask::invalid, true);
            shifted = 0.0;
        }
        // Recorded with the new start, so that undoing the change puts every task back on
        // its calendar date rather than shifting them all by the difference.
        t->set(&ATask::daysFromStart, static_cast<float>(shifted));
    }
    project->set(&Project::startDate, newStart);
    NotificationCenter::defaultCenter().post(kProjectChanged, project, &store);
    return true;
}

} // namespace mapolt
