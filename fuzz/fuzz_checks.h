#pragma once

// What every fuzz target checks of the document its input made: the plan it would save reads
// back, the schedule settles, and the project XML export completes.
#include "document/kestil_planner_document.h"
#include "interchange/json_export.h"
#include "interchange/json_import.h"
#include "interchange/project_export.h"
#include "model/diagnostic_log.h"
#include "model/store.h"

#include <cstdio>
#include <cstdlib>

namespace mapolt::fuzz {

[[noreturn]] inline void broken(const char* target, const char* what) {
    std::fprintf(stderr, "%s: %s\n", target, what);
    std::abort();
}

inline void quietLog() {
    static const bool quiet = [] {
        setDiagnosticSink([](std::string_view) {});
        return true;
    }();
    (void)quiet;
}

// No writer may write a plan our reader refuses.
inline void checkPlanReadsBack(const char* target, const Store& store) {
    const std::string written = JSONExport().buildJSON(store);
    Store again;
    UndoRegistrationPause pause(again.undoManager());
    JSONImport reader;
    if (!reader.createModelFromJSON(written, again))
        broken(target, "the plan written is refused by the reader");
}

inline void scheduleAndExport(KestilPlannerDocument& doc) {
    doc.taskHelper().reIndexProject();
    doc.recalcProject();
    (void)doc.taskHelper().outlineOrder();
    (void)ProjectExport().exportProject(doc.store(), doc.taskLengthCalc());
}

} // namespace mapolt::fuzz
