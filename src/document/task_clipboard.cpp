#include "document/task_clipboard.h"

#include "document/pasteboard.h"
#include "interchange/json_reader.h"
#include "interchange/json_writer.h"
#include "model/alert_presenter.h"
#include "model/entities.h"
#include "model/filters.h"
#include "model/notification_center.h"
#include "model/outline_engine.h"
#include "model/store.h"
#include "model/task_helper.h"
#include "schedule/resource_helper.h"
#include "table/column_controller.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace mapolt {

namespace {

// Puts the clipboard's duplicate question in the resource service's hands while it lives,
// then gives the service its own delegate back.
class PasteDuplicateQuestion final : public ResourceHelperDelegate {
  public:
    PasteDuplicateQuestion(ResourceHelper& resources, const TaskClipboard& clipboard)
        : resources_(resources), clipboard_(clipboard), previous_(resources.delegate()) {
        resources_.setDelegate(this);
    }
    ~PasteDuplicateQuestion() override { resources_.setDelegate(previous_); }
    PasteDuplicateQuestion(const PasteDuplicateQuestion&) = delete;
    PasteDuplicateQuestion& operator=(const PasteDuplicateQuestion&) = delete;
    bool shouldAddDuplicateResource() override { return clipboard_.shouldAddDuplicateResource(); }

  private:
    ResourceHelper& resources_;
    const TaskClipboard& clipboard_;
    ResourceHelperDelegate* previous_;
};

// A tab or line break inside a cell would split it; in the text form it becomes a blank.
std::string cellText(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

void writeValue(JsonStreamWriter& out, const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v))
        out.string(*s);
    else if (const auto* f = std::get_if<float>(&v); f != nullptr && std::isfinite(*f))
        out.number(*f);
    else if (const auto* d = std::get_if<double>(&v); d != nullptr && std::isfinite(*d))
        out.number(*d);
    else if (const auto* b = std::get_if<bool>(&v))
        out.boolean(*b);
    else if (const auto* i = std::get_if<std::int32_t>(&v))
        out.number(static_cast<std::int64_t>(*i));
    else
        out.null();
}

Value readValue(const JsonValue& v, AttrType type) {
    switch (type) {
    case AttrType::String:
        if (auto s = v.asString())
            return std::string(*s);
        break;
    case AttrType::Bool:
        if (auto b = v.asBool())
            return *b;
        break;
    case AttrType::Float:
        if (auto n = v.asNumber())
            return n->toFloat();
        break;
    case AttrType::Decimal:
        if (auto n = v.asNumber())
            return n->toDouble();
        break;
    case AttrType::Int:
        if (auto n = v.asNumber())
            return n->toInt32();
        break;
    case AttrType::Date:
        break;
    }
    return {};
}

std::string stringOf(const JsonValue* v) {
    const auto s = v != nullptr ? v->asString() : std::nullopt;
    return s ? std::string(*s) : std::string();
}

} // namespace

const std::vector<std::string>& TaskClipboard::copyKeys() {
    static const std::vector<std::string> keys{
        "daysFromStart", "daysTillEnd",   "elapsedTime", "hours",        "name",
        "percComp",      "adjustElapsed", "adjustHours", "lockedLength", "lockedStart"};
    return keys;
}

std::vector<ATask*>
TaskClipboard::expandSelectionToSubTasks(const std::vector<ATask*>& tasks) const {
    std::vector<ATask*> out;
    std::unordered_set<ATask*> seen;
    std::vector<ATask*> todo(tasks.rbegin(), tasks.rend());
    while (!todo.empty()) {
        ATask* t = todo.back();
        todo.pop_back();
        if (t == nullptr || t->isDeleted() || !seen.insert(t).second)
            continue;
        out.push_back(t);
        for (ATask* sub : t->subTasks)
            todo.push_back(sub);
    }
    return out;
}

ClipboardTask::Link TaskClipboard::dictionaryRepresentationDepLink(DepLink* link) const {
    return {link->sticky.optional(), link->daysBetween.optional(),
            s_.store.identityString(link->dependeeTask()),
            s_.store.identityString(link->dependTask())};
}

ClipboardTask::Assignment
TaskClipboard::dictionaryRepresentationTaskResource(ATaskResource* assignment) const {
    return {s_.store.identityString(assignment), assignment->perc.optional(),
            assignment->resource() != nullptr ? assignment->resource()->name() : std::string()};
}

ClipboardTask TaskClipboard::dictionaryRepresentation(ATask* task) const {
    ClipboardTask r;
    for (const std::string& key : copyKeys())
        r.attributes.emplace_back(key, task->value(key));
    r.uid = s_.store.identityString(task);
    if (task->superTask() != nullptr)
        r.superTask = s_.store.identityString(task->superTask());
    for (DepLink* l : task->dependTasks)
        r.dependTasks.push_back(dictionaryRepresentationDepLink(l));
    for (ATaskResource* a : task->resources)
        if (a->resource() != nullptr)
            r.resources.push_back(dictionaryRepresentationTaskResource(a));
    return r;
}

std::string TaskClipboard::stringDescription(const ATask* task) {
    return task->name();
}

std::string TaskClipboard::stringDescription(ATask* task, const ColumnController* withKeys) const {
    std::string line;
    if (withKeys == nullptr)
        return line;
    for (TableColumn* column : const_cast<ColumnController*>(withKeys)->getActiveColumns()) {
        line += cellText(column->stringValueForItem(task).value_or(""));
        line += '\t';
    }
    return line;
}

std::string TaskClipboard::headerLine() const {
    std::string line;
    if (s_.columns == nullptr)
        return line;
    for (TableColumn* column : s_.columns->getActiveColumns()) {
        line += cellText(column->description());
        line += '\t';
    }
    return line;
}

std::string TaskClipboard::encode(const std::vector<ClipboardTask>& tasks) {
    std::string text;
    JsonStreamWriter out(text);
    out.beginArray();
    for (const ClipboardTask& t : tasks) {
        out.beginObject();
        out.key("attributes");
        out.beginObject();
        for (const auto& [key, value] : t.attributes) {
            out.key(key);
            writeValue(out, value);
        }
        out.endObject();
        out.key("uid");
        out.string(t.uid);
        if (t.superTask) {
            out.key("superTask");
            out.string(*t.superTask);
        }
        out.key("dependTasks");
        out.beginArray();
        for (const ClipboardTask::Link& l : t.dependTasks) {
            out.beginObject();
            out.key("sticky");
            writeValue(out, l.sticky ? Value{*l.sticky} : Value{});
            out.key("daysBetween");
            writeValue(out, l.daysBetween ? Value{*l.daysBetween} : Value{});
            out.key("dependeeTask");
            out.string(l.dependeeTask);
            out.key("dependTask");
            out.string(l.dependTask);
            out.endObject();
        }
        out.endArray();
        out.key("resources");
        out.beginArray();
        for (const ClipboardTask::Assignment& a : t.resources) {
            out.beginObject();
            out.key("uid");
            out.string(a.uid);
            out.key("perc");
            writeValue(out, a.perc ? Value{*a.perc} : Value{});
            out.key("name");
            out.string(a.name);
            out.endObject();
        }
        out.endArray();
        out.endObject();
    }
    out.endArray();
    return text;
}

std::optional<std::vector<ClipboardTask>> TaskClipboard::decode(const std::string& bytes) {
    const JsonParseResult parsed = parseJson(bytes);
    if (!parsed || !parsed.value.isArray())
        return std::nullopt;
    const EntitySchema& schema = schemaOf(Entity::ATask);
    std::vector<ClipboardTask> tasks;
    for (const JsonValue& element : parsed.value.elements()) {
        if (!element.isObject())
            return std::nullopt;
        ClipboardTask t;
        if (const JsonValue* attributes = element.find("attributes")) {
            for (const std::string& key : copyKeys()) {
                const JsonValue* v = attributes->find(key);
                const AttributeDesc* a = schema.attribute(key);
                t.attributes.emplace_back(key, v != nullptr && a != nullptr ? readValue(*v, a->type)
                                                                            : Value{});
            }
        }
        t.uid = stringOf(element.find("uid"));
        if (const JsonValue* super = element.find("superTask");
            super != nullptr && super->asString())
            t.superTask = std::string(*super->asString());
        if (const JsonValue* links = element.find("dependTasks"))
            for (const JsonValue& l : links->elements()) {
                ClipboardTask::Link link;
                if (const JsonValue* s = l.find("sticky"))
                    link.sticky = s->asBool();
                if (const JsonValue* d = l.find("daysBetween"); d != nullptr && d->asNumber())
                    link.daysBetween = d->asNumber()->toDouble();
                link.dependeeTask = stringOf(l.find("dependeeTask"));
                link.dependTask = stringOf(l.find("dependTask"));
                t.dependTasks.push_back(std::move(link));
            }
        if (const JsonValue* assignments = element.find("resources"))
            for (const JsonValue& a : assignments->elements()) {
                ClipboardTask::Assignment assignment;
                assignment.uid = stringOf(a.find("uid"));
                if (const JsonValue* p = a.find("perc"); p != nullptr && p->asNumber())
                    assignment.perc = p->asNumber()->toFloat();
                assignment.name = stringOf(a.find("name"));
                t.resources.push_back(std::move(assignment));
            }
        tasks.push_back(std::move(t));
    }
    return tasks;
}

void TaskClipboard::copy(const std::vector<ATask*>& selection) {
    std::vector<ATask*> tasks = expandSelectionToSubTasks(selection);
    if (tasks.empty())
        return;
    std::stable_sort(tasks.begin(), tasks.end(),
                     [](const ATask* a, const ATask* b) { return filters::byViewOrder(*a, *b); });
    std::vector<ClipboardTask> records;
    std::string text = headerLine();
    for (ATask* t : tasks) {
        records.push_back(dictionaryRepresentation(t));
        text += '\n';
        text += stringDescription(t, s_.columns);
    }
    pasteboard_.setContents(
        {{std::string(kProjectMPBoardType), encode(records)}, {std::string(kPlainTextType), text}});
}

void TaskClipboard::cut(const std::vector<ATask*>& selection) {
    copy(selection);
    deleteTasks(selection);
}

void TaskClipboard::deleteTasks(const std::vector<ATask*>& selection) {
    std::vector<ATask*> tasks;
    for (ATask* t : selection)
        if (t != nullptr && !t->isDeleted())
            tasks.push_back(t);
    std::stable_sort(tasks.begin(), tasks.end(),
                     [](const ATask* a, const ATask* b) { return filters::byViewOrder(*a, *b); });
    UndoCommandGroup command(s_.store.undoManager());
    for (auto it = tasks.rbegin(); it != tasks.rend(); ++it)
        if (!(*it)->isDeleted())
            s_.helper.deleteChildTask(*it);
}

void TaskClipboard::applyValues(ATask* task,
                                const std::vector<std::pair<std::string, Value>>& values) {
    // The name setter restarts completion and sets work; the copied values come after it.
    for (const auto& [key, value] : values)
        if (key == "name") {
            const auto* s = std::get_if<std::string>(&value);
            task->setName(s != nullptr ? std::optional<std::string>(*s) : std::nullopt);
        }
    for (const auto& [key, value] : values)
        if (key != "name")
            task->setValue(key, value);
}

ATask* TaskClipboard::pasteInsertTask(ATask* after,
                                      const std::vector<std::pair<std::string, Value>>& values) {
    if (after == nullptr) {
        s_.helper.addEndTask(-1.0f);
        return nullptr;
    }
    ATask* x = s_.helper.insertTaskAfter(after, false);
    applyValues(x, values);
    x->setPrimitive(&ATask::endDisplayDays, x->daysTillEnd.optional());
    return x;
}

ATask* TaskClipboard::pasteEndTask(const std::vector<std::pair<std::string, Value>>& values) {
    ATask* x = s_.helper.addEndTask(-1.0f);
    applyValues(x, values);
    x->set(&ATask::uid, static_cast<std::int32_t>(s_.helper.getUID()));
    x->set(&ATask::project, s_.helper.project());
    x->setPrimitive(&ATask::endDisplayDays, x->daysTillEnd.optional());
    return x;
}

bool TaskClipboard::shouldAddDuplicateResource() const {
    if (s_.alerts == nullptr)
        return false;
    return DuplicateResourceQuestion(*s_.alerts).shouldAddDuplicateResource();
}

std::vector<ATask*> TaskClipboard::paste(const std::vector<ATask*>& selection) {
    const std::optional<std::string> bytes = pasteboard_.dataForType(kProjectMPBoardType);
    if (!bytes)
        return {};
    const std::optional<std::vector<ClipboardTask>> records = decode(*bytes);
    if (!records || records->empty())
        return {};
    UndoCommandGroup command(s_.store.undoManager());
    std::unordered_map<std::string, ATask*> pasted;
    std::vector<ATask*> made;
    ATask* anchor = nullptr;
    for (ATask* t : selection)
        if (t != nullptr && !t->isDeleted())
            anchor = t;
    for (const ClipboardTask& r : *records) {
        ATask* x =
            anchor != nullptr ? pasteInsertTask(anchor, r.attributes) : pasteEndTask(r.attributes);
        anchor = x;
        pasted[r.uid] = x;
        made.push_back(x);
    }
    std::optional<PasteDuplicateQuestion> question;
    if (s_.alerts != nullptr)
        question.emplace(s_.resources, *this);
    for (std::size_t i = 0; i < records->size(); ++i) {
        const ClipboardTask& r = (*records)[i];
        ATask* x = made[i];
        for (const ClipboardTask::Assignment& a : r.resources) {
            Resource* resource = s_.resources.getNewResourceIfDoesNotExist(a.name);
            s_.resources.addResource(resource, x, a.perc);
        }
        for (const ClipboardTask::Link& l : r.dependTasks) {
            const auto successor = pasted.find(l.dependeeTask);
            if (successor == pasted.end())
                continue;
            auto* link = s_.store.insert<DepLink>();
            link->set(&DepLink::dependeeTask, successor->second);
            link->set(&DepLink::sticky, l.sticky);
            link->set(&DepLink::daysBetween, l.daysBetween);
            x->addTo(&ATask::dependTasks, link);
        }
    }
    question.reset();
    for (std::size_t i = 0; i < records->size(); ++i) {
        const ClipboardTask& r = (*records)[i];
        if (!r.superTask)
            continue;
        const auto parent = pasted.find(*r.superTask);
        if (parent == pasted.end())
            continue;
        ATask* x = made[i];
        while (x->superTask() != parent->second) {
            ATask* before = x->superTask();
            s_.helper.makeSubTask({x}, false);
            if (x->superTask() == before)
                break;
        }
    }
    s_.store.flushPendingChanges();
    s_.helper.reIndexProject();
    s_.engine.recalcAllSupers(s_.store);
    NotificationCenter::defaultCenter().post(kProjectChanged, this, &s_.store);
    return made;
}

} // namespace mapolt
