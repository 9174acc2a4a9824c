#pragma once

namespace mapolt {

class ATask;
class ScheduleEngine;

// The one way every editing command (table, inspector, chart) changes a task's dates or
// work: change the task, queue it with the shifts of its start and end, run the queue, post
// ProjectChanged. Each call undoes as one step.
void changeWork(ScheduleEngine& engine, ATask* task, float hours);
// A new start in days from the project start; the incoming links' lags follow it.
void changeStart(ScheduleEngine& engine, ATask* task, float daysFromStart);
// A new end in days from the project start; the work becomes the working hours of the span.
void changeEnd(ScheduleEngine& engine, ATask* task, float endDay);
void changeCompletion(ScheduleEngine& engine, ATask* task, float percComp);

} // namespace mapolt
