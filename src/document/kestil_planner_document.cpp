#include "document/kestil_planner_document.h"

#include "appearance/apperance_tv_controller.h"
#include "appearance/preset_styles.h"
#include "appearance/style_tree.h"
#include "document/atomic_file_writer.h"
#include "document/task_clipboard.h"
#include "document/text_measurer.h"
#include "interchange/input_file.h"
#include "interchange/json_export.h"
#include "model/entities.h"
#include "table/column_controller.h"

#include <algorithm>
#include <cmath>

namespace mapolt {

namespace {

constexpr float kMinimumLeftMargin = 2.0f;
// Above this many points per day a new task gets a day of work, below it a week.
constexpr float kDayLevelZoom = 5.0f;

// What a task's left label is measured from besides the style: its name, then each assigned
// resource's name and share, in the order the label lists them.
void labelInputs(const ATask& task, std::string& shown) {
    constexpr char kSeparator = '\x1f';
    shown.clear();
    if (!task.name.absent())
        shown += task.name();
    for (const ATaskResource* assignment : task.resources) {
        shown += kSeparator;
        if (const Resource* r = assignment->resource(); r != nullptr && !r->name.absent())
            shown += r->name();
        const float share = assignment->perc();
        shown.append(reinterpret_cast<const char*>(&share), sizeof share);
    }
}

} // namespace

KestilPlannerDocument::KestilPlannerDocument(const Preferences& preferences)
    : preferences_(preferences) {
    finishInit();
}

KestilPlannerDocument::KestilPlannerDocument(const Preferences& preferences, OpenTag)
    : preferences_(preferences) {}

std::unique_ptr<KestilPlannerDocument> KestilPlannerDocument::initWithContentsOfURL(
    const std::filesystem::path& path, const Preferences& preferences, PlanReadResult& error) {
    std::unique_ptr<KestilPlannerDocument> document(
        new KestilPlannerDocument(preferences, OpenTag{}));
    error = readPlanFile(path, document->store_);
    if (!error)
        return nullptr;
    document->openWarnings_ = error.repairs;
    document->openWarnings_.insert(document->openWarnings_.end(), error.warnings.begin(),
                                   error.warnings.end());
    document->finishInit();
    // What opening repaired is in the document only: it differs from the file until saved.
    document->forcedEdited_ = !document->openWarnings_.empty();
    return document;
}

void KestilPlannerDocument::finishInit() {
    store_.flushPendingChanges();
    Project* p = project();
    ensureStyle(*p);
    showingTable_ = p->showsDivider();
    services_ = createDocumentServices(store_, p, preferences_);
    columnEditing_.reset(new ColumnEditing{*services_.taskHelper, *services_.taskLengthCalc,
                                           *services_.resourceHelper});
    columns_ = std::make_unique<ColumnController>(store_, p, columnEditing_.get());
    makeClipboard();
    store_.undoManager().removeAllActions();
    store_.undoManager().setAfterUndoRedo([this] { undoNotification(); });
    projectChangedObserver_ = NotificationObserver(
        kProjectChanged, nullptr, [this](const Notification&) { projectChanged(); }, &store_);
    recalcProjectObserver_ = NotificationObserver(
        kRecalcProject, nullptr, [this](const Notification&) { recalcProject(); }, &store_);
}

KestilPlannerDocument::~KestilPlannerDocument() {
    recalcProjectObserver_.reset();
    projectChangedObserver_.reset();
    store_.undoManager().setAfterUndoRedo({});
    ApperanceTVController& panel = ApperanceTVController::sharedApperanceTVController();
    if (project_ != nullptr && panel.project() == project_)
        panel.setProject(nullptr);
}

void KestilPlannerDocument::makeClipboard() {
    ClipboardServices services{store_,
                               *services_.taskHelper,
                               *services_.taskLengthCalc,
                               *services_.resourceHelper,
                               columns_.get(),
                               alerts_};
    clipboard_ = std::make_unique<TaskClipboard>(services, *pasteboard_);
}

void KestilPlannerDocument::setPasteboard(Pasteboard* pasteboard) {
    pasteboard_ = pasteboard != nullptr ? pasteboard : &ownPasteboard_;
    makeClipboard();
}

void KestilPlannerDocument::setAlertPresenter(AlertPresenter* alerts) {
    alerts_ = alerts;
    duplicateQuestion_ =
        alerts != nullptr ? std::make_unique<DuplicateResourceQuestion>(*alerts) : nullptr;
    services_.resourceHelper->setDelegate(duplicateQuestion_.get());
    makeClipboard();
}

Project* KestilPlannerDocument::project() {
    if (project_ != nullptr && !project_->isDeleted())
        return project_;
    project_ = store_.fetchFirst<Project>({}, {});
    if (project_ != nullptr)
        return project_;
    {
        UndoRegistrationPause pause(store_.undoManager());
        project_ = store_.insert<Project>();
        project_->set(&Project::startDate, civil::localMidnight(civil::now()));
        ensureStyle(*project_);
    }
    postProjectChanged();
    return project_;
}

Style* KestilPlannerDocument::style() {
    return ensureStyle(*project());
}

Style* KestilPlannerDocument::styleObject() const {
    return project_ != nullptr ? project_->style() : nullptr;
}

bool KestilPlannerDocument::writeToURL(const std::filesystem::path& path, std::string& error) {
    return writeFileAtomically(path, dataOfType(), error);
}

std::string KestilPlannerDocument::dataOfType() const {
    return JSONExport().buildJSON(store_);
}

bool KestilPlannerDocument::exportStyle(const std::filesystem::path& path, std::string& error) {
    return writeFileAtomically(path, JSONExport().exportJSONforStyle(*style()), error);
}

bool KestilPlannerDocument::importStyle(const std::filesystem::path& path) {
    std::string text;
    const bool applied = readRegularFile(path, text).empty() && applyStyleText(*project(), text);
    if (applied)
        store_.flushPendingChanges();
    postProjectChanged();
    return applied;
}

float KestilPlannerDocument::leftDayMargin() const {
    return std::ceil(leftMargin_ / dayWidth());
}

float KestilPlannerDocument::rowHeight() const {
    return std::round(rowHeight_.current());
}

float KestilPlannerDocument::topMargin() const {
    const Style* s = styleObject();
    return s != nullptr && s->margins() != nullptr ? s->margins()->top() : 0.0f;
}

float KestilPlannerDocument::bottomMargin() const {
    const Style* s = styleObject();
    return s != nullptr && s->margins() != nullptr ? s->margins()->bottom() : 0.0f;
}

float KestilPlannerDocument::taskHeight() const {
    const Style* s = styleObject();
    return s != nullptr && s->margins() != nullptr ? s->margins()->height() : 0.0f;
}

float KestilPlannerDocument::rowHeightAct() const {
    return taskHeight() + topMargin() + bottomMargin();
}

float KestilPlannerDocument::singleOrBaselineHeight() const {
    return showingBase_ ? rowHeightAct() * 2.0f : rowHeightAct();
}

void KestilPlannerDocument::setShowingBase(bool flag) {
    showingBase_ = flag;
    rowHeight_.animateTo(singleOrBaselineHeight());
}

void KestilPlannerDocument::zoomBy(float factor) {
    zoom_.zoomBy(factor);
    taskHelper().setDefaultDays(zoom_.target() > kDayLevelZoom ? 1.0f : 7.0f);
    // The chosen zoom is kept with the project as view state, outside undo.
    project()->setPrimitive(&Project::dayWidth, zoom_.target());
    store_.flushPendingChanges();
}

void KestilPlannerDocument::zoomIn() {
    zoomBy(2.0f);
}

void KestilPlannerDocument::zoomOut() {
    zoomBy(0.5f);
}

void KestilPlannerDocument::zoomAnim() {
    if (!zoom_.running())
        return;
    zoom_.tick();
    postProjectChanged();
}

void KestilPlannerDocument::pulldownAnim() {
    if (!rowHeight_.animating())
        return;
    rowHeight_.tick();
    postProjectChanged();
}

void KestilPlannerDocument::tick() {
    zoomAnim();
    pulldownAnim();
}

void KestilPlannerDocument::setTextMeasurer(TextMeasurer* measurer) {
    textMeasurer_ = measurer;
    measuredRevision_ = ~0ULL;
    labelContextRevision_ = ~0ULL;
}

// Only tasks written since the last pass can have become stale; they are placed in serial
// order, as a pass over every task would place them.
void KestilPlannerDocument::placeInvalidTasks() {
    if (store_.revision(Entity::ATask) == placedRevision_)
        return;
    std::vector<ATask*> stale;
    if (const auto changes = store_.changesSince(placementChanges_)) {
        for (Record* r : *changes)
            if (r->entity() == Entity::ATask && !r->isDeleted() &&
                static_cast<ATask*>(r)->invalid())
                stale.push_back(static_cast<ATask*>(r));
        std::sort(stale.begin(), stale.end(),
                  [](const ATask* a, const ATask* b) { return a->serial() < b->serial(); });
    } else {
        stale = store_.fetch<ATask>([](const ATask& t) { return t.invalid(); });
    }
    for (ATask* t : stale)
        if (!t->isDeleted() && t->invalid())
            services_.taskLengthCalc->calcDaysForTask(t);
    placedRevision_ = store_.revision(Entity::ATask);
}

// Labels change with names, resources and the style, never during a zoom: they are measured
// once per change of the project, and each zoom step only asks the envelope.
//
// After an edit only the tasks the edit wrote, and those whose assignments or assigned
// people it wrote, are looked at; the envelope is built again only when one of them was on
// it or rises above it. Going through every task's label took a third of the time of a
// one-row command on 100,000 tasks.
void KestilPlannerDocument::measureLeftLabels() {
    std::uint64_t context = 0;
    for (Entity e : {Entity::Style, Entity::StyleElement, Entity::StyleColours, Entity::StyleShadow,
                     Entity::StyleMargin, Entity::Colour})
        context += store_.revision(e);
    // Labels depend on the tasks, the style and the resources, never on the zoom.
    const std::uint64_t inputs = context + store_.revision(Entity::ATask) +
                                 store_.revision(Entity::Resource) +
                                 store_.revision(Entity::ATaskResource);
    if (inputs == measuredRevision_)
        return;
    measuredRevision_ = inputs;
    // When no name, assignment or person changed, and no task came or went, every label
    // reads as it did: only starts need taking, as after a recalculation or a move.
    const std::uint64_t texts =
        store_.revision(Entity::ATask, {"name", "resources"}) +
        store_.revision(Entity::ATaskResource, {"perc", "resource", "task"}) +
        store_.revision(Entity::Resource, {"name", "initials"});
    labelTextsKept_ = texts == labelTextRevision_;
    labelTextRevision_ = texts;
    const auto changes = store_.changesSince(labelChanges_);
    if (context != labelContextRevision_ || textMeasurer_ == nullptr) {
        measuredLabels_.clear();
        labelContextRevision_ = context;
        measureEveryLabel();
    } else if (!changes) {
        measureEveryLabel();
    } else {
        measureChangedLabels(*changes);
    }
}

void KestilPlannerDocument::measureEveryLabel() {
    ++labelPass_;
    if (textMeasurer_ != nullptr)
        store_.forEachLive<ATask>([this](ATask* t) { remeasureLabel(*t); });
    std::erase_if(measuredLabels_,
                  [this](const auto& entry) { return entry.second.pass != labelPass_; });
    buildLabelEnvelope();
}

void KestilPlannerDocument::measureChangedLabels(const std::vector<Record*>& changes) {
    ++labelPass_;
    std::vector<ATask*> tasks;
    for (Record* r : changes) {
        if (r->entity() == Entity::ATask) {
            tasks.push_back(static_cast<ATask*>(r));
        } else if (r->entity() == Entity::ATaskResource) {
            if (ATask* t = static_cast<ATaskResource*>(r)->task())
                tasks.push_back(t);
        } else if (r->entity() == Entity::Resource) {
            for (ATaskResource* assignment : static_cast<Resource*>(r)->taskResources)
                if (ATask* t = assignment->task())
                    tasks.push_back(t);
        }
    }
    bool rebuild = false;
    for (ATask* t : tasks) {
        const auto entry = measuredLabels_.find(t);
        const bool known = entry != measuredLabels_.end();
        if (known && entry->second.pass == labelPass_)
            continue;
        // A line on the envelope that moves or goes takes the envelope with it; the tasks
        // on it are written by most edits without moving.
        const bool mayHoldEnvelope =
            known && !leftLabels_.hides(entry->second.width, entry->second.start);
        if (t->isDeleted()) {
            if (known) {
                rebuild = rebuild || mayHoldEnvelope;
                measuredLabels_.erase(entry);
            }
            continue;
        }
        const auto before =
            known ? std::pair(entry->second.width, entry->second.start) : std::pair(0.0f, 0.0f);
        const MeasuredLabel& now = remeasureLabel(*t);
        if (known && before == std::pair(now.width, now.start))
            continue;
        rebuild = rebuild || mayHoldEnvelope || !leftLabels_.hides(now.width, now.start);
    }
    if (rebuild)
        buildLabelEnvelope();
}

const KestilPlannerDocument::MeasuredLabel& KestilPlannerDocument::remeasureLabel(ATask& task) {
    auto [entry, added] = measuredLabels_.try_emplace(&task);
    MeasuredLabel& label = entry->second;
    label.pass = labelPass_;
    // A task's start offset is its stored daysFromStart.
    label.start = task.daysFromStart();
    if (!added && labelTextsKept_)
        return label;
    labelInputs(task, labelScratch_);
    // Text is measured again only for a task whose label changed.
    if (added || label.shown != labelScratch_) {
        label.shown = labelScratch_;
        label.width = textMeasurer_->calcLeftMargin(task);
    }
    return label;
}

void KestilPlannerDocument::buildLabelEnvelope() {
    std::vector<std::pair<float, float>> labels;
    labels.reserve(measuredLabels_.size());
    for (const auto& [task, label] : measuredLabels_)
        labels.emplace_back(label.width, label.start);
    leftLabels_.build(std::move(labels));
}

void KestilPlannerDocument::projectChanged() {
    measureLeftLabels();
    leftMargin_ = leftLabels_.marginAt(dayWidth(), kMinimumLeftMargin);
    if (!rowHeight_.animating())
        rowHeight_.jumpTo(singleOrBaselineHeight());
}

bool KestilPlannerDocument::isDocumentEdited() const {
    return forcedEdited_ || store_.undoManager().stateId() != savedStateId_;
}

void KestilPlannerDocument::noteSaved() {
    store_.flushPendingChanges();
    savedStateId_ = store_.undoManager().stateId();
    forcedEdited_ = false;
}

// Undo can bring back tasks whose durations were marked stale outside the history; placing
// them again writes the values they had, and must not become a step of its own (which would
// also throw the redo history away).
void KestilPlannerDocument::undoNotification() {
    UndoRegistrationPause pause(store_.undoManager());
    postProjectChanged();
}

void KestilPlannerDocument::recalcProject() {
    {
        UndoCommandGroup command(store_.undoManager());
        services_.taskLengthCalc->recalcProject(store_);
    }
    postProjectChanged();
}

void KestilPlannerDocument::postProjectChanged() const {
    NotificationCenter::defaultCenter().post(kProjectChanged, this, &store_);
}

} // namespace mapolt
