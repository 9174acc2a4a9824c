#pragma once

#include "document/document_services.h"
#include "document/left_margin_envelope.h"
#include "document/pasteboard.h"
#include "document/plan_file.h"
#include "document/row_height_animation.h"
#include "document/zoom_animation.h"
#include "model/notification_center.h"
#include "model/store.h"

#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace mapolt {

class AlertPresenter;
class ColumnController;
struct ColumnEditing;
class Preferences;
class Project;
class Style;
class TaskClipboard;
class TaskHelper;
class TextMeasurer;

// One open project without its windows: the store, the services, the view state every
// chart and table reads, and reading and writing the plan file.
class KestilPlannerDocument {
  public:
    static constexpr float kDefaultDayWidth = 18.0f;
    static constexpr float kDefaultRowHeight = 19.0f;

    // A new document: a project dated today at local midnight with the default style.
    explicit KestilPlannerDocument(const Preferences& preferences);
    // The document of the plan file at `path`; none, with `error` naming the file and the
    // reason, when the file is no readable plan. The file is never changed.
    static std::unique_ptr<KestilPlannerDocument>
    initWithContentsOfURL(const std::filesystem::path& path, const Preferences& preferences,
                          PlanReadResult& error);
    ~KestilPlannerDocument();
    KestilPlannerDocument(const KestilPlannerDocument&) = delete;
    KestilPlannerDocument& operator=(const KestilPlannerDocument&) = delete;

    // What opening the file repaired (links that closed a loop, say), one message each, for
    // the user to be told once after opening; empty for a new document.
    const std::vector<std::string>& openWarnings() const { return openWarnings_; }

    // Saves the plan text atomically; on failure the file on disk is as it was.
    bool writeToURL(const std::filesystem::path& path, std::string& error);
    std::string dataOfType() const;

    // The style file commands without their panels. A failed import leaves the style as it
    // was; either way ProjectChanged follows.
    bool exportStyle(const std::filesystem::path& path, std::string& error);
    bool importStyle(const std::filesystem::path& path);

    Store& store() { return store_; }
    Project* project();
    // The style tree, made from the defaults when missing; styleObject() does not make it.
    Style* style();
    Style* styleObject() const;
    TaskHelper& taskHelper() { return *services_.taskHelper; }
    CalandarAccess& calandarAccess() { return *services_.calandarAccess; }
    TaskLengthCalc& taskLengthCalc() { return *services_.taskLengthCalc; }
    DependencyLinks& dependencyLinks() { return *services_.dependencyLinks; }
    ResourceHelper& resourceHelper() { return *services_.resourceHelper; }
    CriticalPath& criticalPath() { return *services_.criticalPath; }

    // The task table's columns, editing through this document's services.
    ColumnController& columnController() { return *columns_; }
    // Copy, cut, paste and delete of tasks with the shown columns as the text form. Until the
    // app gives it the desktop clipboard the document keeps a pasteboard of its own.
    TaskClipboard& taskClipboard() { return *clipboard_; }
    void setPasteboard(Pasteboard* pasteboard);
    // Asks the duplicate assignment question whenever a resource is assigned twice (table,
    // palette, paste); none adds duplicates silently.
    void setAlertPresenter(AlertPresenter* alerts);

    // What RecalcProject asks for after a calendar change: every duration read again from
    // the calendars, the dependent tasks placed, then ProjectChanged.
    void recalcProject();

    void setTextMeasurer(TextMeasurer* measurer);

    // Computes the durations of the tasks marked invalid, so that whatever draws the project
    // next only reads it. Nothing to do (and no cost) when no task changed since last time.
    void placeInvalidTasks();

    // Whether the document differs from its file: its undo history is elsewhere than at the
    // last save, or it was marked so (a recovered copy).
    bool isDocumentEdited() const;
    void noteSaved();
    void setForcedEdited(bool edited) { forcedEdited_ = edited; }

    float dayWidth() const { return zoom_.current(); }
    float leftMargin() const { return leftMargin_; }
    float leftDayMargin() const;
    float rowHeight() const;
    float rowHeightAct() const;
    // The row height the view settles at: doubled while baselines show.
    float singleOrBaselineHeight() const;
    float topMargin() const;
    float bottomMargin() const;
    float taskHeight() const;

    bool showingBase() const { return showingBase_; }
    bool isShowingBase() const { return showingBase_; }
    void setShowingBase(bool flag);
    bool showingTable() const { return showingTable_; }
    void setShowingTable(bool flag) { showingTable_ = flag; }

    void zoomIn();
    void zoomOut();
    // One tick of each animation; each posts ProjectChanged while it runs.
    void zoomAnim();
    void pulldownAnim();
    // What the app's 15 ms timer calls; the timer is needed while isAnimating().
    void tick();
    bool isAnimating() const { return zoom_.running() || rowHeight_.animating(); }
    bool isZooming() const { return zoom_.running(); }

    // Recomputes the view state; runs on every ProjectChanged.
    void projectChanged();
    void undoNotification();

  private:
    struct OpenTag {};
    KestilPlannerDocument(const Preferences& preferences, OpenTag);
    void finishInit();
    void zoomBy(float factor);
    void measureLeftLabels();
    void postProjectChanged() const;
    void makeClipboard();

    Store store_;
    const Preferences& preferences_;
    Project* project_ = nullptr;
    DocumentServices services_;
    std::unique_ptr<ColumnEditing> columnEditing_;
    std::unique_ptr<ColumnController> columns_;
    MemoryPasteboard ownPasteboard_;
    Pasteboard* pasteboard_ = &ownPasteboard_;
    AlertPresenter* alerts_ = nullptr;
    std::unique_ptr<DuplicateResourceQuestion> duplicateQuestion_;
    std::unique_ptr<TaskClipboard> clipboard_;
    TextMeasurer* textMeasurer_ = nullptr;

    ZoomAnimation zoom_{kDefaultDayWidth};
    RowHeightAnimation rowHeight_{kDefaultRowHeight};
    std::vector<std::string> openWarnings_;
    bool showingBase_ = false;
    bool showingTable_ = true;
    float leftMargin_ = 2.0f;
    LeftMarginEnvelope leftLabels_;
    // Each task's left label width with what it was measured for: the name, then who is
    // assigned and how much. Valid while the style is as it was.
    struct MeasuredLabel {
        std::string shown;
        float width = 0.0f;
        float start = 0.0f;
        std::uint64_t pass = 0;
    };
    void measureEveryLabel();
    void measureChangedLabels(const std::vector<Record*>& changes);
    // Measures the task's label again if what it shows changed, and takes its start.
    const MeasuredLabel& remeasureLabel(ATask& task);
    void buildLabelEnvelope();
    std::unordered_map<const ATask*, MeasuredLabel> measuredLabels_;
    std::uint64_t labelContextRevision_ = ~0ULL;
    std::uint64_t labelPass_ = 0;
    std::uint64_t labelTextRevision_ = ~0ULL;
    bool labelTextsKept_ = false;
    std::string labelScratch_;
    // Where the store's change journal was last read for labels and for stale durations.
    std::uint64_t labelChanges_ = 0;
    std::uint64_t placementChanges_ = 0;
    // Store revisions the cached work above was done at; a change of either redoes it.
    std::uint64_t placedRevision_ = ~0ULL;
    std::uint64_t measuredRevision_ = ~0ULL;
    std::uint64_t savedStateId_ = 0;
    bool forcedEdited_ = false;

    NotificationObserver projectChangedObserver_;
    NotificationObserver recalcProjectObserver_;
};

} // namespace mapolt
