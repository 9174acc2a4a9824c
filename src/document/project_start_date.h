#pragma once

#include "model/date.h"

namespace mapolt {

class AlertPresenter;
class Store;

// Moves the project's start to `newStart` keeping every task on its calendar date; tasks
// that would fall before the new start are moved to it and left invalid for the next
// recalculation, after the user agreed to that. False when the user declined: then nothing
// changed. The shifts and the new start undo together.
bool setStartDate(Store& store, Date newStart, AlertPresenter* alerts);

} // namespace mapolt
