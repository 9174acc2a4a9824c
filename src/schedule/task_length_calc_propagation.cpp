#include "schedule/propagator.h"
#include "schedule/task_length_calc.h"

namespace mapolt {

void TaskLengthCalc::addInvalidTask(InvalidTask record) {
    propagator_->addInvalidTask(record);
}
void TaskLengthCalc::recalcFromInvalids() {
    propagator_->recalcFromInvalids();
}
void TaskLengthCalc::invalidateTask(ATask* task, bool andChildren) {
    propagator_->invalidateTask(task, andChildren);
}
void TaskLengthCalc::invalidateProject(Store& context) {
    propagator_->invalidateProject(context);
}
void TaskLengthCalc::recalcProject(Store& context) {
    propagator_->recalcProject(context);
}
void TaskLengthCalc::recalcAllSupers(Store& context) {
    propagator_->recalcAllSupers(context);
}
void TaskLengthCalc::calcDepsFor(ATask* task) {
    propagator_->calcDepsForSub(task);
}
void TaskLengthCalc::calcDepsForSub(ATask* task) {
    propagator_->calcDepsForSub(task);
}
float TaskLengthCalc::dependeeDist(ATask* successor, ATask* exclude) const {
    return propagator_->dependeeDist(successor, exclude);
}
void TaskLengthCalc::moveSubtasksForTask(ATask* task) {
    propagator_->moveSubtasksForTask(task);
}
void TaskLengthCalc::moveSupertaskForTask(ATask* task) {
    propagator_->moveSupertaskForTask(task);
}
void TaskLengthCalc::propagateFrom(ATask* task) {
    propagator_->propagateFrom(task);
}
void TaskLengthCalc::recalcSuper(ATask* task) {
    propagator_->recalcSuper(task);
}
void TaskLengthCalc::bumpSuper(ATask* task, float bumpAmount) {
    propagator_->bumpSuper(task, bumpAmount);
}
void TaskLengthCalc::invalidDeps(const InvalidTask& record, float bumpAmount) {
    propagator_->invalidDeps(record, bumpAmount);
}
bool TaskLengthCalc::checkSuperTaskDeps(ATask* successor, ATask* doesNotHave) const {
    return propagator_->checkSuperTaskDeps(successor, doesNotHave);
}
bool TaskLengthCalc::checkSubsOnStack(ATask* task) const {
    return propagator_->checkSubsOnStack(task);
}
bool TaskLengthCalc::taskIsOnStack(ATask* task) const {
    return propagator_->taskIsOnStack(task);
}

} // namespace mapolt
